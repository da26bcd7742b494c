// Thousands of commands and drags from the UI thread while the update thread ticks:
// under the thread sanitizer this finds any unguarded access, and the controller's
// invariants must hold after every command.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/user/host.h"
#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

TEST(Stress, CommandsAndDragsBesideTheUpdateThread) {
    DialogWorld world;
    world.Open();
    app_test::Pump(10);
    CDemoDlg& dlg = *world.dlg;
    const std::string custom = app_test::ProgramDir() + "\\MUSIC\\3D_Drums.wav";
    const int commands[] = {2, 3, 4, 5, 6, 7, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 22, 22, 23, 29};

    std::mt19937 random(546);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(commands)));
    int played = 0;
    for (int i = 0; i < 2500; ++i) {
        const int choice = pick(random);
        if (choice == static_cast<int>(std::size(commands))) {
            // A drag on the sprite, wherever it is now.
            POINT at;
            {
                CCsGuard hold(&dlg.m_csLock);  // the update thread moves it
                at = world.CentreOf(29);
            }
            user_host::InjectMouse(dlg.m_hWnd, WM_LBUTTONDOWN, at.x, at.y, MK_LBUTTON);
            user_host::InjectMouse(dlg.m_hWnd, WM_MOUSEMOVE, at.x + 7, at.y - 5, MK_LBUTTON);
            user_host::InjectMouse(dlg.m_hWnd, WM_MOUSEMOVE, at.x - 40, at.y + 30, MK_LBUTTON);
            user_host::InjectMouse(dlg.m_hWnd, WM_LBUTTONUP, at.x - 40, at.y + 30, 0);
        } else {
            const int id = commands[choice];
            dlg.OnPanelCommand(id, id == 7 ? reinterpret_cast<LPARAM>(custom.c_str()) : 0);
        }
        user_host::PumpPending();
        played += dlg.m_pPlayer != nullptr;
        if (!dlg.m_pPlayer) {
            ASSERT_EQ(dlg.m_hThread, nullptr) << "a thread without a player, step " << i;
        }
        if (dlg.m_pPlayer && dlg.m_nPathMode != 0) {
            ASSERT_NE(dlg.m_hThread, nullptr) << "step " << i;
        }
        if (i % 100 == 0) Sleep(20);  // let the thread tick between bursts
    }
    EXPECT_GT(played, 100);
    EXPECT_TRUE(world.host.boxes.empty());
    world.Close();
}

}  // namespace
