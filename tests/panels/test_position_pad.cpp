// The position pad in a window of its own: sprite drawing and restoring, dragging with
// the wall clamps and message 29, the exit button, the speaker indicator.
#include <gtest/gtest.h>

#include "app/messages.h"
#include "panels/position_pad.h"
#include "tests/app/support/panel_world.h"
#include "tests/app/support/test_support.h"

namespace {

constexpr int kPadRegions[] = {24, 25, 26, 27, 28, 31};

class PadTest : public ::testing::Test {
protected:
    void SetUp() override {
        RECT r{0, 0, 0, 0};
        world.skin.GetRegionRect(24, &r);
        pad.Init(6, kPadRegions, &world.skin, &world.parent, r.left, r.top);
        ASSERT_TRUE(pad.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, r, &world.parent, kIdPositionPad));
        app_test::Pump(20);
    }
    void AllowDrag(bool allow) {
        pad.PostMessage(kMsgNotify, kNotifyPathMode, allow ? 1 : 0);
        app_test::Pump(5);
    }
    RECT Region(int region) const {
        RECT r{0, 0, 0, 0};
        world.skin.GetRegionRect(region, &r);
        return r;
    }
    std::vector<std::uint32_t> Block(const RECT& r) const {
        std::vector<std::uint32_t> out;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) out.push_back(world.Pixel(x, y));
        return out;
    }
    int CountSpriteMoved() const {
        int n = 0;
        for (const auto& m : world.Commands()) n += m.message == kMsgSpriteMoved;
        return n;
    }

    PanelWorld world;
    CPositionPad pad;
};

TEST_F(PadTest, CreationReadsRoomAndSprite) {
    EXPECT_EQ(pad.m_rcRoom.left, 305);
    EXPECT_EQ(pad.m_rcRoom.bottom, 412);
    EXPECT_EQ(pad.m_rcSprite.right - pad.m_rcSprite.left, 14);
    EXPECT_NE(pad.m_hdcBack, nullptr);
    EXPECT_NE(pad.m_nTimer, 0u);
}

TEST_F(PadTest, PlacingDrawsAndMovingAwayRestoresTheRoom) {
    const RECT first = ComputeSpriteRect(pad.m_rcRoom, pad.m_rcSprite, -0.5f, 0, 0.5f);
    pad.PlaceSprite(0.5f, 0, -0.5f);  // somewhere else first, so "first" shows the bare room
    const std::vector<std::uint32_t> bare = Block(first);

    pad.PlaceSprite(-0.5f, 0, 0.5f);
    const RECT drawn = Region(29);
    EXPECT_EQ(drawn.left, first.left);
    EXPECT_EQ(drawn.bottom, first.bottom);
    EXPECT_EQ(pad.m_rcLastSprite.top, first.top);
    EXPECT_NE(Block(first), bare) << "the sprite shows where it was placed";

    pad.PlaceSprite(0.5f, 0, -0.5f);
    EXPECT_EQ(Block(first), bare) << "the room comes back under the old place";
}

TEST_F(PadTest, VanishedSpriteLeavesNothingBehind) {
    pad.PlaceSprite(0, 0, 0);
    const RECT centre = Region(29);
    pad.PlaceSprite(0.5f, 0, 0.5f);
    const std::vector<std::uint32_t> bare = Block(centre);
    pad.PlaceSprite(0, 0, 0);
    pad.PlaceSprite(0, -1, 0);
    EXPECT_TRUE(IsRectEmpty(&pad.m_rcLastSprite));
    const RECT gone = Region(29);
    EXPECT_TRUE(IsRectEmpty(&gone));
    EXPECT_EQ(Block(centre), bare);
    // The next placement draws without restoring anything.
    pad.PlaceSprite(0.2f, 0, 0.2f);
    EXPECT_FALSE(IsRectEmpty(&pad.m_rcLastSprite));
}

TEST_F(PadTest, DragClampsToEveryWallAndSends29EachStep) {
    AllowDrag(true);
    pad.PlaceSprite(0, 0, 0);
    const POINT grab{(453 + 467) / 2, (248 + 262) / 2};
    world.Press(grab.x, grab.y);
    ASSERT_TRUE(pad.m_bDragging);

    world.Move(grab.x - 1000, grab.y);  // far past the left wall
    RECT r = Region(29);
    EXPECT_EQ(r.left, 305);
    EXPECT_EQ(r.right - r.left, 14);
    world.Move(grab.x + 1000, grab.y + 1000);  // past the right and bottom walls
    r = Region(29);
    EXPECT_EQ(r.right, 616);
    EXPECT_EQ(r.bottom, 412);
    EXPECT_EQ(r.bottom - r.top, 14);
    world.Move(grab.x, grab.y - 1000);
    r = Region(29);
    EXPECT_EQ(r.top, 99);

    ASSERT_EQ(CountSpriteMoved(), 3);
    // Sent after the rectangle was set, so the receiver reads the new place.
    const auto last = world.Commands().back();
    EXPECT_EQ(last.spriteRect.top, 99);
    EXPECT_EQ(last.wParam, 0u);

    world.Release(grab.x, grab.y);
    EXPECT_FALSE(pad.m_bDragging);
    world.Move(grab.x + 50, grab.y + 50);
    EXPECT_EQ(CountSpriteMoved(), 3) << "no drag after the release";
}

TEST_F(PadTest, DragKeepsTheGrabOffset) {
    AllowDrag(true);
    pad.PlaceSprite(0, 0, 0);  // (453, 248, 467, 262)
    world.Press(455, 250);     // 2 pixels in from the corner
    world.Move(405, 200);
    const RECT r = Region(29);
    EXPECT_EQ(r.left, 403);
    EXPECT_EQ(r.top, 198);
    world.Release(405, 200);
}

TEST_F(PadTest, NoDragOutsideManual) {
    AllowDrag(false);
    pad.PlaceSprite(0, 0, 0);
    world.Press(460, 255);
    EXPECT_FALSE(pad.m_bDragging);
    world.Move(400, 200);
    world.Release(400, 200);
    EXPECT_EQ(CountSpriteMoved(), 0);
    // A press beside the sprite starts nothing even in Manual.
    AllowDrag(true);
    world.Press(330, 120);
    EXPECT_FALSE(pad.m_bDragging);
    world.Release(330, 120);
}

TEST_F(PadTest, ExitButtonPosts31InEveryMode) {
    for (bool manual : {false, true}) {
        AllowDrag(manual);
        world.parent.received.clear();
        const POINT exit = world.CentreOf(31);
        world.Press(exit.x, exit.y);
        world.Release(exit.x, exit.y);
        ASSERT_EQ(world.Commands().size(), 1u);
        EXPECT_EQ(world.Commands()[0].message, kMsgPanelCommand);
        EXPECT_EQ(world.Commands()[0].wParam, static_cast<WPARAM>(kCmdExit));
        EXPECT_EQ(world.Commands()[0].lParam, 0);
    }
}

TEST_F(PadTest, IndicatorImagesAndBadge) {
    pad.ShowSpeakerConfig(DSSPEAKER_5POINT1);
    RECT r = Region(26);
    EXPECT_EQ(r.left, 423);
    EXPECT_EQ(r.right, 550);
    EXPECT_EQ(r.bottom, 98);
    EXPECT_EQ(world.skin.GetState(27), 1);

    // Mono is not recognised: the 5.1 image stays, the badge goes.
    pad.ShowSpeakerConfig(DSSPEAKER_MONO);
    r = Region(26);
    EXPECT_EQ(r.right, 550);
    EXPECT_EQ(world.skin.GetState(27), 4);

    pad.ShowSpeakerConfig(DSSPEAKER_STEREO);
    r = Region(26);
    EXPECT_EQ(r.right, 555);
    EXPECT_EQ(world.skin.GetState(27), 4);
    EXPECT_LE(r.right, 559) << "region 26 never covers the badge";

    // Stereo with another geometry byte is a new value with the same image.
    pad.ShowSpeakerConfig(0x00050000u | DSSPEAKER_STEREO);
    EXPECT_EQ(pad.m_dwSpeakerConfig, 0x00050004u);
    EXPECT_EQ(Region(26).right, 555);

    pad.ShowSpeakerConfig(DSSPEAKER_QUAD);
    EXPECT_EQ(world.skin.GetState(27), 1);
}

TEST_F(PadTest, ProbeOpensAndClosesCompletely) {
    ASSERT_TRUE(CPositionPad::OpenSpeakerProbe());
    EXPECT_NE(g_pSpeakerProbe, nullptr);
    EXPECT_TRUE(CPositionPad::OpenSpeakerProbe()) << "a second open finds the device";
    DWORD config = 0xDEADu;
    EXPECT_TRUE(CPositionPad::QuerySpeakerConfig(&config));
    EXPECT_NE(config, 0xDEADu);
    CPositionPad::CloseSpeakerProbe();
    EXPECT_EQ(g_pSpeakerProbe, nullptr);
    EXPECT_EQ(g_hProbeLibrary, nullptr);
    config = 0xDEADu;
    EXPECT_FALSE(CPositionPad::QuerySpeakerConfig(&config));
    EXPECT_EQ(config, 0xDEADu);
}

TEST_F(PadTest, PollShowsWhatTheDeviceReports) {
    DWORD reported = 0;
    ASSERT_TRUE(CPositionPad::OpenSpeakerProbe());
    CPositionPad::QuerySpeakerConfig(&reported);
    CPositionPad::CloseSpeakerProbe();
    pad.m_dwSpeakerConfig = 0x12345u;  // anything else, so the poll redraws
    pad.PollSpeakerConfig();
    EXPECT_EQ(pad.m_dwSpeakerConfig, reported);
}

}  // namespace
