// Start-up and shutdown of the main dialog: the order of the first notifications, the
// window's size, the system menu, the keys that do nothing, and the order of the
// shutdown writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/kernel/module.h"
#include "platform/user/host.h"
#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

TEST(Startup, FirstNotificationsInOrder) {
    DialogWorld world;
    world.Open();
    CDemoDlg& dlg = *world.dlg;
    ASSERT_NE(dlg.m_pPanel, nullptr);
    const auto posted = world.DrainNotifications();
    ASSERT_EQ(posted.size(), 5u);
    EXPECT_EQ(posted[0].window, dlg.m_pad.m_hWnd);
    EXPECT_EQ(posted[0].code, kNotifyPathMode);
    EXPECT_EQ(posted[0].value, 1);
    const WPARAM panelCodes[] = {kNotifySettingsPath, kNotifySource, kNotifyPathMode, kNotifyEnvironment};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(posted[i + 1].window, dlg.m_pPanel->m_hWnd);
        EXPECT_EQ(posted[i + 1].code, panelCodes[i]);
    }
    EXPECT_EQ(posted[1].value, reinterpret_cast<LPARAM>(dlg.m_szSettingsPath));
    EXPECT_EQ(posted[4].value, -1);
    EXPECT_EQ(std::string(dlg.m_szSettingsPath), app_test::ProgramDir() + "\\Zor3DPlayer.ini");
}

TEST(Startup, WindowTakesTheSkinsSizeAndAnswersNoKeys) {
    DialogWorld world;
    world.Open();
    app_test::Pump(10);
    CRect client;
    world.dlg->GetClientRect(&client);
    const RECT whole = world.Region(37);
    EXPECT_EQ(client.Width(), whole.right - whole.left);
    EXPECT_EQ(client.Height(), whole.bottom - whole.top);
    EXPECT_NE(GetCapture(), world.dlg->m_hWnd) << "no script, no capture";

    user_host::InjectKey(world.dlg->m_hWnd, VK_RETURN);
    user_host::InjectKey(world.dlg->m_hWnd, VK_ESCAPE);
    app_test::Pump(20);
    EXPECT_TRUE(IsWindow(world.dlg->m_hWnd));
    EXPECT_TRUE(IsWindowVisible(world.dlg->m_hWnd));
}

TEST(Startup, SystemMenuOpensTheAboutBox) {
    DialogWorld world;
    world.Open();
    app_test::Pump(10);
    bool hasEntry = false;
    for (const auto& item : user_host::SystemMenuItems(world.dlg->m_hWnd)) hasEntry |= item.id == 16;
    EXPECT_TRUE(hasEntry);

    HWND main = world.dlg->m_hWnd;
    HWND about = nullptr;
    world.host.onIdle = [&] {
        for (HWND top : user_host::TopLevelWindows())
            if (top != main && IsWindowVisible(top)) {
                about = top;
                user_host::InjectKey(top, VK_RETURN);
            }
    };
    world.dlg->SendMessage(WM_SYSCOMMAND, 16, 0);  // returns once the box has closed
    world.host.onIdle = nullptr;
    EXPECT_NE(about, nullptr);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST(Startup, SystemMenuChoosesHowTheSoundIsRenderedWhilePlaying) {
    DialogWorld world;
    world.Open();
    // Up to the binaural sets, which depend on what OpenAL Soft finds installed.
    auto shown = [&] {
        std::string menu;
        for (const auto& item : user_host::SystemMenuItems(world.dlg->m_hWnd)) {
            if (item.grayed) break;
            menu += (item.checked ? "*" : "") + item.text + "|";
        }
        return menu;
    };
    EXPECT_EQ(shown(), "|About Zor3DPlayer...||*Sound for: automatic|Headphones (binaural 3D)|Speakers||");
    world.dlg->OnPanelCommand(kCmdPlay, 0);
    user_host::InjectSysCommand(world.dlg->m_hWnd, 64);
    app_test::Pump(10);
    EXPECT_EQ(GetSoundRendering(), SoundRendering::Speakers);
    EXPECT_EQ(shown(), "|About Zor3DPlayer...||Sound for: automatic|Headphones (binaural 3D)|*Speakers||");
    EXPECT_NE(world.dlg->m_pPlayer, nullptr) << "the clip plays on";
    world.dlg->SendMessage(WM_SYSCOMMAND, 48 | 3, 0);  // the system's own low four bits do not count
    EXPECT_EQ(GetSoundRendering(), SoundRendering::Headphones);
}

TEST(Shutdown, StopsThenWritesSettingsThenTheCustomList) {
    DialogWorld world;
    world.Open();
    app_test::Pump(10);
    CDemoDlg& dlg = *world.dlg;
    dlg.OnPanelCommand(14, 0);
    dlg.OnPanelCommand(kCmdPlay, 0);
    ASSERT_NE(dlg.m_hThread, nullptr);
    app_test::Pump(100);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_pPlayer, nullptr);
    EXPECT_EQ(dlg.m_hThread, nullptr);
    EXPECT_EQ(dlg.m_pPanel, nullptr);
    EXPECT_EQ(dlg.m_pToolTip, nullptr);

    const std::string text = app_test::ReadFile(world.SettingsNative());
    const auto source = text.find("3DSOUNDDEMO_SOURCE");
    const auto environment = text.find("3DSOUNDDEMO_ENVIROMENT");
    const auto count = text.find("CUSTOMERCOUNT");
    ASSERT_NE(source, std::string::npos);
    ASSERT_NE(count, std::string::npos);
    EXPECT_LT(source, environment);
    EXPECT_LT(environment, count) << "the panel writes its list after the main keys";
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_PATH"), "3");
}

TEST(Shutdown, ExitCommandEndsTheModalLoop) {
    DialogWorld world;
    world.dlg = std::make_unique<CDemoDlg>();
    int idle = 0;
    world.host.onIdle = [&] {
        if (++idle == 3) world.dlg->PostMessage(kMsgPanelCommand, kCmdExit, 0);
    };
    world.dlg->DoModal();
    EXPECT_GE(idle, 3);
    EXPECT_EQ(world.dlg->m_hWnd, nullptr);
    EXPECT_EQ(world.IniValue("3DSOUNDDEMO_SOURCE"), "0");
}

TEST(ProgramDir, IsTheExecutablesFolder) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string dir = app_test::ProgramDir();
    EXPECT_EQ(std::string(path).rfind('\\'), dir.size());
    EXPECT_EQ(std::string(path).substr(0, dir.size()), dir);
}

TEST(ScriptPath, AbsoluteAsItIsRelativeBesideTheProgramThenInTheCurrentFolder) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path here = std::filesystem::temp_directory_path() / ("zor_cwd_" + std::to_string(getpid()));
    std::filesystem::create_directories(here);
    std::filesystem::current_path(here);
    app_test::WriteFile((here / "mine.ini").string(), "[Counter]\n");
    CDemoDlg dlg;
    dlg.SetDemoScript("/elsewhere/show.ini", 1);
    EXPECT_STREQ(dlg.m_szScriptPath, "/elsewhere/show.ini");
    dlg.SetDemoScript("mine.ini", 1);
    EXPECT_EQ(NativePath(dlg.m_szScriptPath), (here / "mine.ini").string());
    app_test::WriteFile(app_test::NativeProgramDir() + "/mine.ini", "[Counter]\n");
    dlg.SetDemoScript("mine.ini", 1);
    EXPECT_EQ(std::string(dlg.m_szScriptPath), app_test::ProgramDir() + "\\mine.ini") << "beside the program first";
    app_test::RemoveFile(app_test::NativeProgramDir() + "/mine.ini");
    dlg.SetDemoScript("\"quoted name\".ini", 1);
    EXPECT_EQ(std::string(dlg.m_szScriptPath), app_test::ProgramDir() + "\\\"quoted name\".ini") << "found nowhere";
    EXPECT_EQ(dlg.m_bScript, 1);
    dlg.SetDemoScript("", 1);
    EXPECT_EQ(dlg.m_bScript, 0);
    EXPECT_STREQ(dlg.m_szScriptPath, "");
    dlg.SetDemoScript(std::string(300, 's').c_str(), 1);
    EXPECT_EQ(dlg.m_bScript, 1) << "named, so the user hears why it cannot run";
    EXPECT_STREQ(dlg.m_szScriptPath, "");
    std::filesystem::current_path(before);
    std::filesystem::remove_all(here);
}

}  // namespace
