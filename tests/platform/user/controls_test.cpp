// The combo box model and the tool tip, as the program and a host see them.
#include <gtest/gtest.h>

#include "platform/host/null/null_host.h"
#include "platform/user/resources.h"
#include "tests/platform/user/test_window.h"
#include "tests/platform/user/tool_tip_setup.h"

using namespace test_window;

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        top = CreateTop(300, 200);
        combo = CreateWindowExA(0, "COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 20, 105, 180, top,
                                reinterpret_cast<HMENU>(103), nullptr, nullptr);
        host.PumpUntilIdle();
        Log().clear();
    }
    void TearDown() override { DestroyWindow(top); }
    LRESULT Cb(UINT m, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(combo, m, wp, lp); }
    LRESULT Add(const char* text) { return Cb(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    null_host::NullHost host;
    HWND top = nullptr;
    HWND combo = nullptr;
};

}  // namespace

TEST_F(Controls, ComboKeepsOrderDataAndSelection) {
    EXPECT_EQ(Add("b.wav"), 0);
    EXPECT_EQ(Add("a.wav"), 1);  // unsorted: appended
    EXPECT_EQ(Cb(CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("first")), 0);
    EXPECT_EQ(Cb(CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x")), CB_ERR);
    EXPECT_EQ(Cb(CB_SETITEMDATA, 2, 0x1234), 0);
    EXPECT_EQ(Cb(CB_GETITEMDATA, 2), 0x1234);
    EXPECT_EQ(Cb(CB_GETITEMDATA, 3), CB_ERR);
    char text[32];
    EXPECT_EQ(Cb(CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "b.wav");
    EXPECT_EQ(Cb(CB_GETLBTEXTLEN, 0), 5);

    EXPECT_EQ(Cb(CB_SETCURSEL, 2), 2);
    EXPECT_EQ(Cb(CB_DELETESTRING, 0), 2);  // count left
    EXPECT_EQ(Cb(CB_GETCURSEL), 1);        // the selected item moved up with the list
    EXPECT_EQ(Cb(CB_DELETESTRING, 1), 1);  // deleting the selection leaves none
    EXPECT_EQ(Cb(CB_GETCURSEL), -1);
    EXPECT_EQ(Cb(CB_DELETESTRING, 5), CB_ERR);

    EXPECT_EQ(Cb(CB_SETCURSEL, 0), 0);
    EXPECT_EQ(Cb(CB_SETCURSEL, 7), CB_ERR);  // out of range clears the selection
    EXPECT_EQ(Cb(CB_GETCURSEL), -1);
    Cb(CB_SETCURSEL, 0);
    EXPECT_EQ(Cb(CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
    EXPECT_EQ(Cb(CB_GETCURSEL), -1);
    Cb(CB_RESETCONTENT);
    EXPECT_EQ(Cb(CB_GETCOUNT), 0);
}

TEST_F(Controls, HostSeesTheComboAndUserPicksReachTheParent) {
    Add("one");
    Add("two");
    EXPECT_EQ(Cb(CB_SETDROPPEDWIDTH, 270), 270);
    EXPECT_EQ(Cb(CB_GETDROPPEDWIDTH), 270);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(top, WM_GETFONT, 0, 0));
    EXPECT_EQ(font, nullptr);  // a plain window has none
    ASSERT_EQ(host.combos.count(combo), 1u);
    auto& state = host.combos[combo];
    EXPECT_EQ(state.items.size(), 2u);
    EXPECT_EQ(state.rect.left, 10);
    EXPECT_EQ(state.rect.bottom, 200);
    EXPECT_EQ(state.droppedWidth, 270);
    EXPECT_LE(state.itemHeight, 180);

    user_host::InjectComboSelection(combo, 1);
    EXPECT_EQ(Cb(CB_GETCURSEL), 1);
    auto commands = Of(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(103, CBN_SELCHANGE));
    EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(host.combos[combo].selection, 1);

    // Setting the selection in code tells the host but not the parent, as on the platform.
    Log().clear();
    Cb(CB_SETCURSEL, 0);
    EXPECT_TRUE(Of(WM_COMMAND).empty());
    EXPECT_EQ(host.combos[combo].selection, 0);
    DestroyWindow(combo);
    EXPECT_EQ(host.combos.count(combo), 0u);
}

TEST_F(Controls, ToolTipShowsAfterARestAndHidesOnLeaveAndPress) {
    HWND tip = test_window::CreateToolTipWithTool(top, 9106, "Loopy music", RECT{150, 10, 200, 40});
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    auto relay = [&](UINT message, int x, int y) {
        MSG m{top, message, 0, MAKELPARAM(x, y), 0, POINT{x, y}};
        SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    };
    relay(WM_MOUSEMOVE, 160, 20);
    host.PumpFor(250);
    relay(WM_MOUSEMOVE, 170, 25);  // moving inside the same tool is still resting in it
    host.PumpFor(150);
    EXPECT_TRUE(host.toolTipsShown.empty());
    host.PumpFor(250);
    ASSERT_EQ(host.toolTipsShown.size(), 1u);
    EXPECT_EQ(host.toolTipsShown[0].text, "Loopy music");
    EXPECT_EQ(host.toolTipsShown[0].top, top);
    EXPECT_TRUE(host.toolTipVisible);

    relay(WM_MOUSEMOVE, 20, 150);  // left the tool
    EXPECT_FALSE(host.toolTipVisible);
    host.PumpFor(600);
    EXPECT_EQ(host.toolTipsShown.size(), 1u);

    relay(WM_MOUSEMOVE, 160, 20);
    relay(WM_LBUTTONDOWN, 160, 20);  // a press cancels the pending tip for this visit
    host.PumpFor(600);
    EXPECT_EQ(host.toolTipsShown.size(), 1u);

    // The program can show it at once all the same, and change its text while it shows.
    relay(WM_LBUTTONUP, 160, 20);
    SendMessageA(tip, TTM_POPUP, 0, 0);
    ASSERT_TRUE(host.toolTipsShown.size() == 2u && host.toolTipVisible);
    TOOLINFOA update{sizeof(TOOLINFOA), 0, top, 9106, RECT{}, nullptr, const_cast<LPSTR>("Drums"), 0};
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&update));
    ASSERT_EQ(host.toolTipsShown.size(), 3u);
    EXPECT_EQ(host.toolTipsShown[2].text, "Drums");
    SendMessageA(tip, TTM_ACTIVATE, FALSE, 0);
    EXPECT_FALSE(host.toolTipVisible);
    SendMessageA(tip, TTM_POPUP, 0, 0);
    relay(WM_MOUSEMOVE, 20, 150);
    relay(WM_MOUSEMOVE, 160, 20);
    host.PumpFor(600);
    EXPECT_EQ(host.toolTipsShown.size(), 3u);  // an inactive control shows nothing
    DestroyWindow(tip);
}
