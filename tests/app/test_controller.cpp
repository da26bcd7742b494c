// The controller's commands on a live dialog with the null audio back end: sources,
// paths, rooms, play and stop, the preview, load errors, the dragged sprite.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

#include "audio/sound_module.h"
#include "motion/spatial_player.h"
#include "panels/user_notice.h"
#include "platform/gdi/surface.h"
#include "tests/support/dsound_hooks.h"
#include "platform/user/host.h"
#include "platform/kernel/module.h"
#include "res/resource_ids.h"
#include "tests/support/pcm_wav.h"
#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.Open();
        world.DrainNotifications();
        app_test::Pump(10);
    }
    CDemoDlg& dlg() { return *world.dlg; }
    HWND Panel() { return dlg().m_pPanel->m_hWnd; }
    HWND Pad() { return dlg().m_pad.m_hWnd; }
    std::vector<Notification> Command(int id, LPARAM lParam = 0) {
        dlg().OnPanelCommand(id, lParam);
        return world.DrainNotifications();
    }
    Vec3 PlayerPosition() {
        Vec3 v{0, 0, 0};
        CCsGuard hold(&dlg().m_csLock);
        if (dlg().m_pPlayer) dlg().m_pPlayer->GetPosition(&v);
        return v;
    }
    static Vec3 FirstPointOf(int mode) {
        CSpatialPlayer preview(nullptr);
        preview.SetPathMode(mode);
        Vec3 v{0, 0, 0};
        preview.NextPosition(&v);
        preview.Close();
        return v;
    }
    void ExpectSpriteAt(const Vec3& v) {
        const RECT want = ComputeSpriteRect(dlg().m_pad.m_rcRoom, dlg().m_pad.m_rcSprite, v.x, v.y, v.z);
        const RECT got = world.Region(29);
        EXPECT_TRUE(EqualRect(&want, &got)) << got.left << "," << got.top << " want " << want.left << "," << want.top;
    }

    DialogWorld world;
};

TEST_F(ControllerTest, SameSourceTwiceDoesNotRestart) {
    Command(kCmdPlay);
    CSpatialPlayer* playing = dlg().m_pPlayer;
    ASSERT_NE(playing, nullptr);
    const auto posted = Command(2);
    EXPECT_EQ(world.CodesTo(posted, Panel()), std::vector<WPARAM>{kNotifySource});
    EXPECT_EQ(dlg().m_pPlayer, playing);
}

TEST_F(ControllerTest, SourceChangeWhilePlayingKeepsPathAndRoom) {
    Command(12);  // Horizontal
    Command(17);  // Concerthall
    Command(kCmdPlay);
    ASSERT_NE(dlg().m_pPlayer, nullptr);
    app_test::Pump(100);

    const auto posted = Command(3);
    const std::vector<WPARAM> want{kNotifySource, kNotifyPlayState, kNotifyEnvironment, kNotifyPlayState};
    EXPECT_EQ(world.CodesTo(posted, Panel()), want);
    EXPECT_EQ(posted.back().value, 1);
    ASSERT_NE(dlg().m_pPlayer, nullptr);
    EXPECT_NE(dlg().m_hThread, nullptr);
    EXPECT_EQ(dlg().m_nPathMode, 1);
    EXPECT_EQ(dlg().m_nEnvironment, 17);
    EXPECT_NE(std::string(dlg().m_szSource).find("3D_Drums.wav"), std::string::npos);
}

TEST_F(ControllerTest, SourceChangeWhileStoppedOnlyRecords) {
    const RECT before = world.Region(29);
    Command(4);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(dlg().m_nSource, 2);
    EXPECT_NE(std::string(dlg().m_szSource).find("3D_Helicopter.wav"), std::string::npos);
    const RECT after = world.Region(29);
    EXPECT_TRUE(EqualRect(&before, &after)) << "no preview";
}

TEST_F(ControllerTest, CustomWithoutFileEmptiesTheSource) {
    Command(kCmdPlay);
    auto posted = Command(kCmdCustomSource, 0);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    EXPECT_STREQ(dlg().m_szSource, "");
    EXPECT_EQ(dlg().m_nSource, 5);
    posted = Command(kCmdPlay);
    EXPECT_EQ(world.CodesTo(posted, Panel()), std::vector<WPARAM>{kNotifyPlayState});
    EXPECT_EQ(posted[0].value, 0);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    EXPECT_TRUE(world.host.boxes.empty());
}

TEST_F(ControllerTest, StopOnAMovingPathShowsThePreview) {
    Command(12);
    Command(kCmdPlay);
    app_test::Pump(200);
    Command(kCmdStop);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(dlg().m_hThread, nullptr);
    ExpectSpriteAt(FirstPointOf(1));
}

TEST_F(ControllerTest, StopInManualFlattensWhereItIs) {
    Command(kCmdPlay);
    dlg().m_pad.PlaceSprite(-1, 0, 1);  // top-left corner
    Command(kCmdSpriteMoved);
    Command(kCmdStop);
    const RECT r = world.Region(29);
    EXPECT_EQ(r.left, 305);
    EXPECT_EQ(r.top, 99);
    EXPECT_EQ(r.right - r.left, 14) << "y = 0: natural size";
}

TEST_F(ControllerTest, ManualWhilePlayingDropsTheThreadAndDragsBelowTheEar) {
    Command(14);  // Fly-by
    Command(kCmdPlay);
    ASSERT_NE(dlg().m_hThread, nullptr);
    app_test::Pump(100);
    const auto posted = Command(11);
    EXPECT_EQ(world.CodesTo(posted, Pad()), std::vector<WPARAM>{kNotifyPathMode});
    EXPECT_EQ(posted.back().value, 1) << "dragging allowed";
    EXPECT_EQ(dlg().m_hThread, nullptr);
    ASSERT_NE(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(PlayerPosition().y, 0.0f);

    dlg().m_pad.PlaceSprite(1, 0, -1);
    Command(kCmdSpriteMoved);
    const Vec3 v = PlayerPosition();
    // Centres are truncated, so a sprite at the wall maps to within a pixel of +-1.
    EXPECT_NEAR(v.x, 1.0f, 0.005f);
    EXPECT_NEAR(v.z, -1.0f, 0.005f);
    EXPECT_NEAR(v.y, -0.05f, 1e-6);
}

TEST_F(ControllerTest, DraggingTheSpriteMovesTheSource) {
    Command(kCmdPlay);
    app_test::Pump(20);
    const POINT grab = world.CentreOf(29);
    user_host::InjectMouse(dlg().m_hWnd, WM_LBUTTONDOWN, grab.x, grab.y, MK_LBUTTON);
    user_host::InjectMouse(dlg().m_hWnd, WM_MOUSEMOVE, grab.x - 1000, grab.y, MK_LBUTTON);
    user_host::InjectMouse(dlg().m_hWnd, WM_LBUTTONUP, grab.x - 1000, grab.y, 0);
    app_test::Pump(20);
    EXPECT_NEAR(PlayerPosition().x, -1.0f, 0.005f);
}

TEST_F(ControllerTest, ChoosingAPathWhileStoppedPreviewsIt) {
    const auto posted = Command(13);
    EXPECT_EQ(world.CodesTo(posted, Panel()), std::vector<WPARAM>{kNotifyPathMode});
    EXPECT_EQ(world.CodesTo(posted, Pad()), std::vector<WPARAM>{kNotifyPathMode});
    EXPECT_EQ(posted.back().value, 0);
    ExpectSpriteAt(FirstPointOf(2));
    EXPECT_TRUE(world.CodesTo(Command(13), Panel()).empty()) << "the same mode again posts nothing";
}

TEST_F(ControllerTest, SameRoomTwiceTogglesOff) {
    Command(kCmdPlay);
    auto posted = Command(16);
    EXPECT_EQ(dlg().m_nEnvironment, 16);
    dsound_test::ReverbState reverb{};
    ASSERT_TRUE(dsound_test::LastReverb(g_pDS3DBuffer, &reverb));
    EXPECT_TRUE(reverb.effectAttached);

    posted = Command(16);
    EXPECT_EQ(dlg().m_nEnvironment, -1);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].value, -1);
    ASSERT_TRUE(dsound_test::LastReverb(g_pDS3DBuffer, &reverb));
    EXPECT_FALSE(reverb.effectAttached);

    Command(16);
    EXPECT_EQ(dlg().m_nEnvironment, 16);
}

TEST_F(ControllerTest, RoomChosenWhileStoppedReachesTheNextPlay) {
    Command(20);
    EXPECT_EQ(dlg().m_nEnvironment, 20);
    const auto posted = Command(kCmdPlay);
    ASSERT_NE(dlg().m_pPlayer, nullptr);
    const std::vector<WPARAM> want{kNotifyEnvironment, kNotifyPlayState};
    EXPECT_EQ(world.CodesTo(posted, Panel()), want);
    dsound_test::ReverbState reverb{};
    ASSERT_TRUE(dsound_test::LastReverb(g_pDS3DBuffer, &reverb));
    EXPECT_TRUE(reverb.effectAttached);
}

TEST_F(ControllerTest, LoadErrorShowsOneBoxPerPressAndLeavesTheSpriteWhereItWas) {
    const char missing[] = "\\nowhere\\missing.wav";
    Command(kCmdCustomSource, reinterpret_cast<LPARAM>(missing));
    dlg().m_pad.PlaceSprite(-0.5f, 0, 0.5f);  // Manual: wherever the user left it
    const RECT sprite = world.Region(29);
    ASSERT_FALSE(IsRectEmpty(&sprite));
    auto posted = Command(kCmdPlay);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    const RECT after = world.Region(29);
    EXPECT_TRUE(EqualRect(&sprite, &after)) << "the player that failed to load never placed the source";
    ASSERT_EQ(world.host.boxes.size(), 1u);
    char reason[256] = "";
    LoadStringA(AfxGetResourceHandle(), IDS_FILEMISSING, reason, sizeof reason);
    EXPECT_EQ(world.host.boxes[0].text, std::string("File:/nowhere/missing.wav    ") + reason);
    EXPECT_EQ(world.host.boxes[0].caption, dlg().GetWindowText());
    // The box's own loop has already delivered the stop notification.
    app_test::Pump(10);
    EXPECT_EQ(dlg().m_skin.GetState(kCmdPlay), 1);
    EXPECT_STREQ(dlg().m_szSource, missing) << "the next play tries the same file";

    Command(kCmdPlay);
    EXPECT_EQ(world.host.boxes.size(), 2u);

    // A file the probe accepts but that cannot be loaded ends the same way, not in silence.
    const std::string cut = app_test::NativeProgramDir() + "/cut_data.wav";
    sound_testing::WriteWav(cut, sound_testing::PcmFormat(22050, 1, 16), std::vector<std::uint8_t>(400), 40000);
    const std::string cutLayer = LayerPath(cut);
    Command(kCmdCustomSource, reinterpret_cast<LPARAM>(cutLayer.c_str()));
    Command(kCmdPlay);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    ASSERT_EQ(world.host.boxes.size(), 3u);
    LoadStringA(AfxGetResourceHandle(), IDS_LOADERROR, reason, sizeof reason);
    EXPECT_EQ(world.host.boxes[2].text, "File:" + cut + "    " + reason);
    app_test::Pump(10);
    EXPECT_EQ(dlg().m_skin.GetState(kCmdPlay), 1);
    ::chmod(cut.c_str(), 0200);
    Command(kCmdPlay);
    ASSERT_EQ(world.host.boxes.size(), 4u);
    LoadStringA(AfxGetResourceHandle(), IDS_FILEDENIED, reason, sizeof reason);
    EXPECT_EQ(world.host.boxes[3].text, "File:" + cut + "    " + reason) << "not called damaged";
    app_test::RemoveFile(cut);
}

TEST_F(ControllerTest, TooLongCustomPathIsRefused) {
    const std::string tooLong = "\\" + std::string(260, 'x') + ".wav";
    Command(kCmdPlay);
    Command(kCmdCustomSource, reinterpret_cast<LPARAM>(tooLong.c_str()));
    EXPECT_STREQ(dlg().m_szSource, "");
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    const std::string fits = "\\" + std::string(249, 'y') + ".wav";  // 254 characters
    Command(kCmdCustomSource, reinterpret_cast<LPARAM>(fits.c_str()));
    EXPECT_EQ(std::string(dlg().m_szSource), fits);
}

TEST_F(ControllerTest, PanelClicksReachTheController) {
    world.Click(15);
    EXPECT_EQ(dlg().m_nPathMode, 4);
    world.Click(19);
    EXPECT_EQ(dlg().m_nEnvironment, 19);
    world.Click(kCmdPlay);
    EXPECT_NE(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(dlg().m_skin.GetState(kCmdPlay), 0) << "play shows pressed";
    world.Click(kCmdStop);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(dlg().m_skin.GetState(kCmdPlay), 1);
}

// The keyboard alone: the buttons' keys, Space for play and stop, the arrows as drag
// steps in Manual, a media key as an application command, the focus ring on the room
// while the window has the keys; and all of it ignored while an auto-demo runs.
TEST_F(ControllerTest, TheKeyboardAloneDrivesThePlayer) {
    const HWND top = dlg().m_hWnd;
    const auto key = [&](UINT vk, char typed = 0) {
        user_host::InjectKey(top, vk, static_cast<BYTE>(typed));
        app_test::Pump(10);
    };
    const auto ringShown = [&] {
        auto surface = user_host::TopLevelSurface(top);
        std::lock_guard<std::mutex> hold(surface->mutex);
        const RECT room = world.Region(28);
        const std::uint32_t pixel = surface->pixels[static_cast<std::size_t>(room.top + 1) * surface->width + 400];
        const COLORREF ring = GetSysColor(COLOR_HOTLIGHT);
        return pixel == (static_cast<std::uint32_t>(GetRValue(ring)) << 16 | GetGValue(ring) << 8 | GetBValue(ring));
    };
    user_host::InjectActivate(top, true);
    app_test::Pump(20);
    EXPECT_EQ(GetFocus(), Pad());
    EXPECT_TRUE(ringShown());
    key('3', '3');
    EXPECT_EQ(dlg().m_nSource, 2);
    key('V', 'V');
    EXPECT_EQ(dlg().m_nPathMode, 2);
    key('G', 'g');
    EXPECT_EQ(dlg().m_nEnvironment, kCmdEnvHangar);
    key(VK_SPACE, ' ');
    EXPECT_NE(dlg().m_pPlayer, nullptr);
    key(VK_SPACE, ' ');
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
    key(VK_MEDIA_PLAY_PAUSE);
    ASSERT_NE(dlg().m_pPlayer, nullptr);
    key('M', 'm');
    const float before = PlayerPosition().x;
    for (int i = 0; i < 3; ++i) key(VK_RIGHT);
    EXPECT_GT(PlayerPosition().x, before + 0.1f) << "each arrow is a drag step the source follows";

    std::strcpy(dlg().m_szScriptPath, "show.ini");
    dlg().m_bScript = TRUE;
    key('1', '1');
    key(VK_SPACE, ' ');
    EXPECT_EQ(dlg().m_nSource, 2);
    EXPECT_NE(dlg().m_pPlayer, nullptr);
    dlg().m_bScript = FALSE;

    user_host::InjectActivate(top, false);
    app_test::Pump(20);
    EXPECT_FALSE(ringShown()) << "the keys went elsewhere";
}

// Dropped files join the custom list once each, the first of a drop becomes the source
// and plays, and what cannot be played is named in one box and left out.
TEST_F(ControllerTest, DroppedFilesJoinTheListOnceAndTheFirstPlays) {
    const std::string dir = app_test::NativeProgramDir();
    app_test::WriteWave(dir + "/dropped_a.wav", 0.2, 440);
    app_test::WriteWave(dir + "/dropped_b.wav", 0.2, 660);
    app_test::WriteFile(dir + "/notes.txt", "not a sound");
    const auto drop = [&](const std::vector<std::string>& names) {
        std::vector<std::string> paths;
        for (const std::string& name : names) paths.push_back(dir + "/" + name);
        EXPECT_TRUE(user_host::InjectDropFiles(dlg().m_hWnd, 400, 200, paths));
        app_test::Pump(20);
    };
    const auto listed = [&] {
        std::vector<std::string> names;
        for (int i = 0; i < dlg().m_pPanel->CustomFileCount(); ++i) names.push_back(ShownPath(dlg().m_pPanel->PickCustomFile(i)));
        return names;
    };
    drop({"dropped_a.wav", "notes.txt", "dropped_a.wav"});
    ASSERT_NE(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(ShownPath(dlg().m_szSource), dir + "/dropped_a.wav");
    EXPECT_EQ(dlg().m_nSource, kCustomSlot);
    ASSERT_EQ(world.host.boxes.size(), 1u);
    EXPECT_NE(world.host.boxes[0].text.find(dir + "/notes.txt"), std::string::npos);
    drop({"dropped_b.wav", "dropped_a.wav"});
    EXPECT_EQ(ShownPath(dlg().m_szSource), dir + "/dropped_b.wav");
    EXPECT_NE(dlg().m_pPlayer, nullptr);
    EXPECT_EQ(listed(), (std::vector<std::string>{dir + "/dropped_a.wav", dir + "/dropped_b.wav"}));
}

TEST_F(ControllerTest, OtherCommandsChangeNothing) {
    for (int id : {1, 8, 9, 10, 24, 25, 26, 27, 28, 30, 32, 0x7FFF}) {
        const auto posted = Command(id);
        EXPECT_TRUE(posted.empty()) << id;
    }
    EXPECT_EQ(dlg().m_nSource, 0);
    EXPECT_EQ(dlg().m_nPathMode, 0);
    EXPECT_EQ(dlg().m_nEnvironment, -1);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
}

}  // namespace
