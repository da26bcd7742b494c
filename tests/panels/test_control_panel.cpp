// The control panel in a window of its own: presses become commands, notifications
// become highlights, the custom list and its keys in the settings file.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "app/messages.h"
#include "panels/control_panel.h"
#include "platform/kernel/module.h"
#include "platform/kernel/profile.h"
#include "platform/user/host.h"
#include "tests/app/support/panel_world.h"
#include "tests/app/support/test_support.h"

namespace {

constexpr int kPanelRegions[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        settingsNative = app_test::NativeProgramDir() + "/panel_settings.ini";
        settings = LayerPath(settingsNative);
        app_test::RemoveFile(settingsNative);
        CreatePanel();
    }
    void TearDown() override {
        if (panel) panel->DestroyWindow();
        delete panel;
    }
    void CreatePanel() {
        RECT r{0, 0, 0, 0};
        world.skin.GetRegionRect(1, &r);
        panel = new CControlPanel;
        panel->Init(23, kPanelRegions, &world.skin, &world.parent, r.left, r.top);
        ASSERT_TRUE(panel->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, r, &world.parent, kIdControlPanel));
        app_test::Pump(10);
    }
    void Notify(WPARAM code, LPARAM value) {
        panel->PostMessage(kMsgNotify, code, value);
        app_test::Pump(5);
    }
    void Click(int region) {
        const POINT p = world.CentreOf(region);
        world.Press(p.x, p.y);
        world.Release(p.x, p.y);
    }
    std::string Ini(const char* key) {
        char value[260] = "";
        GetPrivateProfileStringA("ZOR3DPLAYER", key, "<missing>", value, sizeof value, settings.c_str());
        return value;
    }
    void WriteIni(const std::string& body) { app_test::WriteFile(settingsNative, "[ZOR3DPLAYER]\n" + body); }
    CComboBox* List() { return panel->GetCustomList(); }

    PanelWorld world;
    CControlPanel* panel = nullptr;
    std::string settingsNative;
    std::string settings;
};

TEST_F(PanelTest, PressesPostTheirRegionNumber) {
    const int plain[] = {2, 3, 4, 5, 6, 11, 12, 15, 16, 17, 18, 19, 20, 21, 22};
    for (int region : plain) Click(region);
    const auto got = world.Commands();
    ASSERT_EQ(got.size(), std::size(plain));
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, kMsgPanelCommand);
        EXPECT_EQ(got[i].wParam, static_cast<WPARAM>(plain[i]));
        EXPECT_EQ(got[i].lParam, 0);
    }
}

// The list box's window rectangle includes its drop-down part, which reaches over the
// path buttons 13 and 14; while the list is closed a press there belongs to the panel.
TEST_F(PanelTest, ButtonsBelowTheClosedListBoxAreReachable) {
    Click(13);
    Click(14);
    const auto got = world.Commands();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].wParam, 13u);
    EXPECT_EQ(got[1].wParam, 14u);
}

TEST_F(PanelTest, BackgroundPostsNothingAndCustomWithoutSelectionPostsZero) {
    // Inside region 1 but outside every button: the top-left corner of the panel.
    RECT bg{0, 0, 0, 0};
    world.skin.GetRegionRect(1, &bg);
    world.Press(bg.left + 1, bg.top + 1);
    world.Release(bg.left + 1, bg.top + 1);
    EXPECT_TRUE(world.Commands().empty());

    Click(7);
    ASSERT_EQ(world.Commands().size(), 1u);
    EXPECT_EQ(world.Commands()[0].wParam, 7u);
    EXPECT_EQ(world.Commands()[0].lParam, 0);
    // Nothing to play: Custom's tip says at once how to add a file, and so does the list.
    ASSERT_EQ(world.host.toolTips.size(), 1u);
    EXPECT_NE(world.host.toolTips[0].find('+'), std::string::npos) << world.host.toolTips[0];
    EXPECT_NE(user_host::GetComboState(List()->m_hWnd).cueBanner.find('+'), std::string::npos);
}

TEST_F(PanelTest, StopLooksPressedUntilReleasedOverIt) {
    const POINT stop = world.CentreOf(23);
    world.Press(stop.x, stop.y);
    EXPECT_EQ(world.skin.GetState(23), 0);
    ASSERT_EQ(world.Commands().size(), 1u);
    EXPECT_EQ(world.Commands()[0].wParam, 23u);
    const POINT elsewhere = world.CentreOf(2);
    world.Release(elsewhere.x, elsewhere.y);
    EXPECT_EQ(world.skin.GetState(23), 0) << "released elsewhere: still pressed";
    world.Release(stop.x, stop.y);
    EXPECT_EQ(world.skin.GetState(23), 1);
}

TEST_F(PanelTest, ListBoxGeometry) {
    ASSERT_NE(List(), nullptr);
    const user_host::ComboState state = user_host::GetComboState(List()->m_hWnd);
    EXPECT_EQ(state.rect.right - state.rect.left, 105);
    EXPECT_EQ(state.rect.bottom - state.rect.top, 180);
    EXPECT_EQ(state.droppedWidth, 270);
    EXPECT_EQ(panel->m_nComboId, 103);
}

TEST_F(PanelTest, HighlightsFollowNotifications) {
    Notify(kNotifySource, 5);
    EXPECT_EQ(world.skin.GetState(7), 0);
    for (int r = 2; r <= 6; ++r) EXPECT_EQ(world.skin.GetState(r), 1);
    Notify(kNotifySource, 6);
    for (int r = 2; r <= 7; ++r) EXPECT_EQ(world.skin.GetState(r), 1);

    Notify(kNotifyPathMode, 3);
    EXPECT_EQ(world.skin.GetState(14), 0);
    Notify(kNotifyPathMode, 5);  // no button: the row stays as it was
    EXPECT_EQ(world.skin.GetState(14), 0);
    Notify(kNotifyPathMode, -1);
    EXPECT_EQ(world.skin.GetState(14), 0);

    Notify(kNotifyEnvironment, 18);
    EXPECT_EQ(world.skin.GetState(18), 0);
    EXPECT_EQ(world.skin.GetState(16), 1);
    Notify(kNotifyEnvironment, 99);
    for (int r = 16; r <= 21; ++r) EXPECT_EQ(world.skin.GetState(r), 1);

    Notify(kNotifyPlayState, 1);
    EXPECT_EQ(world.skin.GetState(22), 0);
    Notify(kNotifyPlayState, 0);
    EXPECT_EQ(world.skin.GetState(22), 1);
}

TEST_F(PanelTest, ItemsNeedABackslashAndMustFit) {
    EXPECT_EQ(panel->AddCustomItem(nullptr), -1);
    EXPECT_EQ(panel->AddCustomItem("plain.wav"), -1);
    EXPECT_EQ(panel->AddCustomItem(("\\" + std::string(259, 'a')).c_str()), -1);
    const std::string longest = "\\" + std::string(258, 'b');
    EXPECT_EQ(panel->AddCustomItem(longest.c_str()), 0);
    EXPECT_EQ(panel->AddCustomItem("\\tmp\\one.wav"), 1);
    EXPECT_EQ(panel->AddCustomItem("\\tmp\\one.wav"), 2) << "duplicates are allowed";
    char text[300] = "";
    List()->GetLBText(1, text);
    EXPECT_STREQ(text, "one.wav");
    EXPECT_STREQ(static_cast<char*>(List()->GetItemDataPtr(1)), "\\tmp\\one.wav");
}

TEST_F(PanelTest, RemovingSelectsThePreviousAndReportsIt) {
    panel->AddCustomItem("\\a\\first.wav");
    panel->AddCustomItem("\\a\\second.wav");
    List()->SetCurSel(0);
    Click(10);
    ASSERT_EQ(List()->GetCount(), 1);
    EXPECT_EQ(List()->GetCurSel(), 0);
    ASSERT_EQ(world.Commands().size(), 1u);
    EXPECT_EQ(world.Commands()[0].wParam, 7u);
    EXPECT_STREQ(reinterpret_cast<const char*>(world.Commands()[0].lParam), "\\a\\second.wav");

    Click(10);
    EXPECT_EQ(List()->GetCount(), 0);
    ASSERT_EQ(world.Commands().size(), 2u);
    EXPECT_EQ(world.Commands()[1].lParam, 0);
    Click(10);  // nothing selected: nothing happens
    EXPECT_EQ(world.Commands().size(), 2u);
}

TEST_F(PanelTest, AddingThroughTheFileDialog) {
    app_test::EnsureMusic();
    const std::string clip = app_test::NativeProgramDir() + "/MUSIC/3D_Drums.wav";
    world.host.fileAnswers.push_back(clip);
    Click(9);
    ASSERT_EQ(List()->GetCount(), 1);
    EXPECT_EQ(List()->GetCurSel(), 0);
    ASSERT_EQ(world.Commands().size(), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(world.Commands()[0].lParam)), LayerPath(clip));

    // Every format the player reads is offered first, then WAV alone, then anything.
    const auto& filters = world.host.fileDialogs[0].filters;
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].first, "Audio files");
    for (const char* pattern : {"*.wav", "*.flac", "*.ogg", "*.opus", "*.mp3"})
        EXPECT_NE(filters[0].second.find(pattern), std::string::npos) << pattern;
    EXPECT_EQ(filters[1].first, "WAV files");
    EXPECT_EQ(filters[2], std::make_pair(std::string("All files"), std::string("*")));
    EXPECT_EQ(world.host.fileDialogs[0].selectedFilter, 0);

    Click(9);  // cancelled: nothing changes, nothing is posted
    EXPECT_EQ(world.host.fileDialogs.size(), 2u);
    EXPECT_EQ(List()->GetCount(), 1);
    EXPECT_EQ(world.Commands().size(), 1u);
}

TEST_F(PanelTest, SelectionChangeReportsTheItem) {
    panel->AddCustomItem("\\x\\a.wav");
    panel->AddCustomItem("\\x\\b.wav");
    user_host::InjectComboSelection(List()->m_hWnd, 1);
    app_test::Pump(5);
    ASSERT_FALSE(world.Commands().empty());
    EXPECT_EQ(world.Commands().back().wParam, 7u);
    EXPECT_STREQ(reinterpret_cast<const char*>(world.Commands().back().lParam), "\\x\\b.wav");
    // Resting on the list shows the chosen file's full path, as the desktop writes it.
    const POINT list = world.CentreOf(8);
    world.Move(list.x, list.y);
    app_test::Pump(700);
    ASSERT_FALSE(world.host.toolTips.empty());
    EXPECT_EQ(world.host.toolTips.back(), "/x/b.wav");
}

TEST_F(PanelTest, LoadingSkipsBadEntriesAndClampsTheSelection) {
    WriteIni("CUSTOMERCOUNT=4\nLASTSELECT=2\nCUSTOMER0=\\m\\zero.wav\nCUSTOMER2=nobackslash.wav\n"
             "CUSTOMER3=\\m\\three.wav\nCUSTOMER4=\\m\\beyond.wav\n");
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    ASSERT_EQ(List()->GetCount(), 2);
    EXPECT_STREQ(static_cast<char*>(List()->GetItemDataPtr(1)), "\\m\\three.wav");
    EXPECT_EQ(List()->GetCurSel(), 0) << "LASTSELECT 2 is past the two items loaded";
    EXPECT_TRUE(world.Commands().empty()) << "loading posts nothing";

    WriteIni("CUSTOMERCOUNT=2\nLASTSELECT=-1\nCUSTOMER0=\\m\\a.wav\nCUSTOMER1=\\m\\b.wav\n");
    panel->LoadCustomList();
    EXPECT_EQ(List()->GetCount(), 2);
    EXPECT_EQ(List()->GetCurSel(), -1);
}

TEST_F(PanelTest, AHugeCountLoadsTheStoredItemsInIndexOrderAtOnce) {
    // Hand-edited: keys in any order and case, a second section of the same name, one
    // key twice, and enough other lines that the section outgrows a first small read.
    std::string body = "CUSTOMERCOUNT=2000000000\nLASTSELECT=2\ncustomer7=\\m\\seven.wav\nCUSTOMER07=\\m\\padded.wav\n"
                       "CUSTOMER3=\nCUSTOMER12=nobackslash.wav\nCUSTOMER2000000000=\\m\\beyond.wav\n";
    for (int i = 0; i < 300; ++i) body += "NOTE" + std::to_string(i) + "=" + std::string(200, 'n') + "\n";
    body += "CUSTOMER1999999999=\\m\\last.wav\nCUSTOMER0=\\m\\zero.wav\nCUSTOMER0=\\m\\again.wav\n"
            "[OTHER]\nCUSTOMER4=\\m\\other.wav\n[zor3dplayer]\nCUSTOMER5=\\m\\five.wav\n";
    WriteIni(body);
    const auto start = std::chrono::steady_clock::now();
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.0) << "the time follows the file, not the count";
    const char* const want[] = {"\\m\\zero.wav", "\\m\\five.wav", "\\m\\seven.wav", "\\m\\last.wav"};
    ASSERT_EQ(List()->GetCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(static_cast<char*>(List()->GetItemDataPtr(i)), want[i]) << i;
    EXPECT_EQ(List()->GetCurSel(), 2);
}

TEST_F(PanelTest, APathTooLongToLoadIsSkippedButNeverCutNorOverwritten) {
    const std::string tooLong = "\\long\\" + std::string(300, 'x') + ".wav";
    const std::string longest = "\\" + std::string(258, 'f');  // 259 characters fit
    WriteIni("CUSTOMERCOUNT=3\nLASTSELECT=1\nCUSTOMER0=\\m\\ok.wav\nCUSTOMER1=" + tooLong + "\nCUSTOMER2=" + longest +
             "\n");
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    ASSERT_EQ(List()->GetCount(), 2);
    EXPECT_EQ(std::string(static_cast<char*>(List()->GetItemDataPtr(1))), longest);
    EXPECT_EQ(List()->GetCurSel(), 1);
    panel->DestroyWindow();
    const std::string text = app_test::ReadFile(settingsNative);
    EXPECT_EQ(Ini("CUSTOMER0"), "\\m\\ok.wav");
    EXPECT_NE(text.find("CUSTOMER1=" + tooLong + "\n"), std::string::npos) << "the user's entry stays whole";
    EXPECT_EQ(text.find(tooLong.substr(0, 259) + "\n"), std::string::npos) << "no cut copy anywhere";

    // The next run reads the same list with the same selection.
    delete panel;
    panel = nullptr;
    CreatePanel();
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    ASSERT_EQ(List()->GetCount(), 2);
    EXPECT_STREQ(static_cast<char*>(List()->GetItemDataPtr(0)), "\\m\\ok.wav");
    EXPECT_EQ(std::string(static_cast<char*>(List()->GetItemDataPtr(1))), longest);
    EXPECT_EQ(List()->GetCurSel(), 1);

    // Kept last: an item removed below it must not come back with the next run.
    WriteIni("CUSTOMERCOUNT=3\nCUSTOMER0=\\m\\a.wav\nCUSTOMER1=\\m\\b.wav\nCUSTOMER2=" + tooLong + "\n");
    panel->LoadCustomList();
    List()->SetCurSel(1);
    panel->OnRemoveCustomFile();
    panel->DestroyWindow();
    delete panel;
    panel = nullptr;
    CreatePanel();
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    ASSERT_EQ(List()->GetCount(), 1);
    EXPECT_STREQ(static_cast<char*>(List()->GetItemDataPtr(0)), "\\m\\a.wav");
    EXPECT_NE(app_test::ReadFile(settingsNative).find("CUSTOMER2=" + tooLong + "\n"), std::string::npos);
}

TEST_F(PanelTest, SavingWritesCountSelectionAndItemsOnDestroy) {
    WriteIni("CUSTOMERCOUNT=5\nLASTSELECT=0\nCUSTOMER0=\\o\\0.wav\nCUSTOMER1=\\o\\1.wav\nCUSTOMER2=\\o\\2.wav\n"
             "CUSTOMER3=\\o\\3.wav\nCUSTOMER4=\\o\\4.wav\n");
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    ASSERT_EQ(List()->GetCount(), 5);
    List()->SetCurSel(4);
    panel->OnRemoveCustomFile();
    List()->SetCurSel(3);
    panel->OnRemoveCustomFile();
    panel->DestroyWindow();
    EXPECT_EQ(Ini("CUSTOMERCOUNT"), "3");
    EXPECT_EQ(Ini("LASTSELECT"), "2");
    EXPECT_EQ(Ini("CUSTOMER2"), "\\o\\2.wav");
    EXPECT_EQ(Ini("CUSTOMER3"), "\\o\\3.wav") << "keys of a longer list stay";
    EXPECT_EQ(panel->GetCustomList(), nullptr);
}

TEST_F(PanelTest, EmptyListSavesZeroAndMinusOne) {
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(settings.c_str()));
    panel->DestroyWindow();
    EXPECT_EQ(Ini("CUSTOMERCOUNT"), "0");
    EXPECT_EQ(Ini("LASTSELECT"), "-1");
    EXPECT_EQ(Ini("CUSTOMER0"), "<missing>");
}

TEST_F(PanelTest, SettingsPathIsCopiedWithABound) {
    const std::string tooLong = "\\" + std::string(300, 'p');
    Notify(kNotifySettingsPath, reinterpret_cast<LPARAM>(tooLong.c_str()));
    EXPECT_STREQ(panel->m_szSettingsPath, "");
    panel->AddCustomItem("\\q\\kept.wav");
    panel->DestroyWindow();  // no settings path: nothing saved, nothing overrun
    EXPECT_FALSE(app_test::FileExists(NativePath(tooLong.c_str())));

    panel->SetSettingsPath(std::string(255, 'k').c_str());
    EXPECT_EQ(std::string(panel->m_szSettingsPath).size(), 255u);
    panel->SetSettingsPath(std::string(256, 'k').c_str());
    EXPECT_STREQ(panel->m_szSettingsPath, "");
}

}  // namespace
