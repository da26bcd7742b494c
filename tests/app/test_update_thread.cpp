// One tick at a time: which clips get y = -0.05 and a velocity on which path, and that
// stopping waits for the thread.
#include <gtest/gtest.h>

#include "motion/spatial_player.h"
#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

class TickTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.Open();
        app_test::Pump(10);
    }
    // Plays source slot `slot` on `mode`, then stops the thread so the test ticks by hand.
    void PlayHeld(int slot, int mode) {
        dlg().OnPanelCommand(kCmdSourceFirst + slot, 0);
        dlg().OnPanelCommand(kCmdPathFirst + mode, 0);
        dlg().OnPanelCommand(kCmdPlay, 0);
        ASSERT_NE(dlg().m_pPlayer, nullptr);
        dlg().StopUpdateThread();
        ASSERT_EQ(dlg().m_hThread, nullptr);
    }
    CDemoDlg& dlg() { return *world.dlg; }
    DialogWorld world;
};

TEST_F(TickTest, HelicopterOnFlyByGetsVelocityFromTheLastTick) {
    PlayHeld(2, 3);
    for (int i = 0; i < 5; ++i) {
        const Vec3 before = dlg().m_vLastPos;
        dlg().UpdateTick();
        const Vec3 now = dlg().m_vLastPos;
        EXPECT_FLOAT_EQ(now.y, -0.05f);
        // 15000 / 30 ms: 500 per unit moved per tick.
        EXPECT_NEAR(dlg().m_vVelocity.x, (now.x - before.x) * 500.0f, 1e-3);
        EXPECT_NEAR(dlg().m_vVelocity.y, (now.y - before.y) * 500.0f, 1e-3);
        EXPECT_NEAR(dlg().m_vVelocity.z, (now.z - before.z) * 500.0f, 1e-3);
    }
    EXPECT_NE(dlg().m_vVelocity.x, 0.0f);
}

TEST_F(TickTest, HelicopterOnInsectUsesTheShortInterval) {
    PlayHeld(2, 4);
    EXPECT_EQ(dlg().m_nInterval, 15u);
    const Vec3 before = dlg().m_vLastPos;
    dlg().UpdateTick();
    const Vec3 now = dlg().m_vLastPos;
    EXPECT_NEAR(dlg().m_vVelocity.x, (now.x - before.x) * 1000.0f, 1e-3);
}

TEST_F(TickTest, HelicopterOnTheCircles) {
    PlayHeld(2, 2);  // Vertical: y follows the circle, no velocity
    dlg().UpdateTick();
    EXPECT_GT(dlg().m_vLastPos.y, 0.4f);
    EXPECT_EQ(dlg().m_vVelocity.x, 0.0f);
    EXPECT_EQ(dlg().m_vVelocity.z, 0.0f);

    dlg().OnPanelCommand(12, 0);  // Horizontal: held below the ear, no velocity
    dlg().StopUpdateThread();
    dlg().UpdateTick();
    EXPECT_FLOAT_EQ(dlg().m_vLastPos.y, -0.05f);
    EXPECT_EQ(dlg().m_vVelocity.x, 0.0f);
}

TEST_F(TickTest, OtherClipsFollowThePathWithoutVelocity) {
    PlayHeld(1, 3);
    for (int i = 0; i < 3; ++i) dlg().UpdateTick();
    EXPECT_EQ(dlg().m_vLastPos.y, 0.0f);
    EXPECT_EQ(dlg().m_vVelocity.x, 0.0f);
    EXPECT_EQ(dlg().m_vVelocity.z, 0.0f);
    // The sprite follows the source.
    const Vec3 p = dlg().m_vLastPos;
    const RECT want = ComputeSpriteRect(dlg().m_pad.m_rcRoom, dlg().m_pad.m_rcSprite, p.x, p.y, p.z);
    const RECT got = world.Region(29);
    EXPECT_TRUE(EqualRect(&want, &got));
}

TEST_F(TickTest, ManualResendsWhereTheSourceIsAndLeavesTheSprite) {
    PlayHeld(0, 0);
    dlg().m_pad.PlaceSprite(0.5f, 0, 0.5f);
    dlg().OnPanelCommand(kCmdSpriteMoved, 0);
    const RECT sprite = world.Region(29);
    dlg().UpdateTick();
    EXPECT_NEAR(dlg().m_vLastPos.x, 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(dlg().m_vLastPos.y, -0.05f);
    const RECT after = world.Region(29);
    EXPECT_TRUE(EqualRect(&sprite, &after));
}

TEST_F(TickTest, ThreadTicksAtItsIntervalAndStopWaitsForIt) {
    dlg().OnPanelCommand(12, 0);  // Horizontal, 30 ms: 500 ticks per turn
    dlg().OnPanelCommand(kCmdPlay, 0);
    ASSERT_NE(dlg().m_hThread, nullptr);
    Sleep(600);
    int ticks = 0;
    {
        CCsGuard hold(&dlg().m_csLock);
        ticks = dlg().m_pPlayer->m_tick;
    }
    // About 20 ticks in 600 ms; generous bounds for a loaded machine.
    EXPECT_GE(ticks, 8);
    EXPECT_LE(ticks, 25);
    dlg().OnPanelCommand(kCmdStop, 0);
    EXPECT_EQ(dlg().m_hThread, nullptr);
    EXPECT_EQ(dlg().m_pPlayer, nullptr);
}

}  // namespace
