// The framework's dialogs: modal loops driven from the null host, the dialog keys, the
// pre-translation walk, handler routing and the order of destruction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/null/null_host.h"
#include "platform/mfc/afxwin.h"
#include "platform/user/resources.h"

namespace {

constexpr UINT kTemplate = 7001;

void RegisterTemplate() {
    static bool once = [] {
        RegisterDialogTemplate(kTemplate, DialogTemplate{"Test dialog", 200, 120, "Sans", 9, WS_POPUP | WS_CAPTION});
        return true;
    }();
    (void)once;
}

std::vector<std::string>& Trace() {
    static std::vector<std::string> trace;
    return trace;
}

class Child : public CWnd {
public:
    explicit Child(std::string name) : name_(std::move(name)) {}
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_USER + 9) Trace().push_back("pre " + name_);
        return swallow && msg->message == WM_USER + 9;
    }
    void OnDestroy() override {
        Trace().push_back("destroy " + name_);
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { Trace().push_back("ncdestroy " + name_); }
    void OnLButtonDown(UINT, CPoint p) override { Trace().push_back("down " + name_ + " " + std::to_string(p.x) + "," + std::to_string(p.y)); }
    LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
        if (m == WM_USER + 9) Trace().push_back("got " + name_);
        return CWnd::WindowProc(m, wp, lp);
    }
    bool swallow = false;

private:
    std::string name_;
};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTemplate) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        initCount++;
        outer.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 90), this, 101);
        inner.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(5, 5, 50, 50), &outer, 102);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_USER + 9) Trace().push_back("pre dialog");
        return CDialog::PreTranslateMessage(msg);
    }
    void OnOK() override {
        Trace().push_back("OnOK");
        if (!keepOpen) CDialog::OnOK();
    }
    void OnCancel() override {
        Trace().push_back("OnCancel");
        if (!keepOpen) CDialog::OnCancel();
    }
    void OnDestroy() override {
        Trace().push_back("destroy dialog");
        CDialog::OnDestroy();
    }
    int initCount = 0;
    bool keepOpen = false;
    Child outer{"outer"};
    Child inner{"inner"};
};

class Framework : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTemplate();
        Trace().clear();
    }
    null_host::NullHost host;
};

// Runs steps one per idle moment of the modal loop; the last step should end it.
std::function<void()> Steps(std::vector<std::function<void()>> steps) {
    auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    auto next = std::make_shared<std::size_t>(0);
    return [shared, next] {
        if (*next < shared->size()) (*shared)[(*next)++]();
    };
}

}  // namespace

TEST_F(Framework, EnterAndEscapeReachOnOKAndOnCancel) {
    TestDialog dlg;
    host.onIdle = Steps({[&] { host.Key(dlg.m_hWnd, VK_ESCAPE); }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(Trace().front(), "OnCancel");
    EXPECT_EQ(dlg.m_hWnd, nullptr);  // destroyed and detached when DoModal returns

    TestDialog again;
    host.onIdle = Steps({[&] { host.Key(again.m_hWnd, VK_RETURN); }});
    EXPECT_EQ(again.DoModal(), IDOK);
}

TEST_F(Framework, DialogOverridingTheKeysStaysOpen) {
    TestDialog dlg;
    dlg.keepOpen = true;
    bool stillOpen = false;
    host.onIdle = Steps({[&] { host.Key(dlg.m_hWnd, VK_RETURN); }, [&] { host.Key(dlg.m_hWnd, VK_ESCAPE); },
                         [&] { host.Close(dlg.m_hWnd); },  // WM_CLOSE becomes IDCANCEL as well
                         [&] {
                             stillOpen = IsWindow(dlg.m_hWnd) != FALSE;
                             dlg.EndDialog(42);
                         }});
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Trace()[0], "OnOK");
    EXPECT_EQ(Trace()[1], "OnCancel");
    EXPECT_EQ(Trace()[2], "OnCancel");
    EXPECT_EQ(dlg.initCount, 1);
}

TEST_F(Framework, PreTranslateWalksFromTargetUpToTheDialog) {
    TestDialog dlg;
    host.onIdle = Steps({[&] { PostMessageA(dlg.inner.m_hWnd, WM_USER + 9, 0, 0); },
                         [&] {
                             dlg.outer.swallow = true;
                             PostMessageA(dlg.inner.m_hWnd, WM_USER + 9, 0, 0);
                         },
                         [&] { dlg.EndDialog(0); }});
    dlg.DoModal();
    std::vector<std::string> expected{"pre inner", "pre outer", "pre dialog", "got inner",
                                      "pre inner", "pre outer"};  // the outer window swallowed the second
    std::vector<std::string> walk;
    for (auto& t : Trace())
        if (t.rfind("pre", 0) == 0 || t.rfind("got", 0) == 0) walk.push_back(t);
    EXPECT_EQ(walk, expected);
}

TEST_F(Framework, DestroyGoesParentFirstThenNcDestroyChildrenFirst) {
    TestDialog dlg;
    host.onIdle = Steps({[&] { dlg.EndDialog(0); }});
    dlg.DoModal();
    std::vector<std::string> order;
    for (auto& t : Trace())
        if (t.find("destroy") != std::string::npos) order.push_back(t);
    EXPECT_EQ(order, (std::vector<std::string>{"destroy dialog", "destroy outer", "destroy inner", "ncdestroy inner",
                                               "ncdestroy outer"}));
    EXPECT_EQ(dlg.outer.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
}

TEST_F(Framework, MouseGoesToDeepestChildOrToTheCapture) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(kTemplate));
    host.Click(dlg.m_hWnd, 20, 20);  // inside inner, which sits at (15, 15) in the dialog
    host.Click(dlg.m_hWnd, 100, 80);  // inside outer only
    host.PumpUntilIdle();  // input is routed when it is taken from the queue
    dlg.inner.SetCapture();
    host.Click(dlg.m_hWnd, 190, 5);  // far outside inner: still inner's, in its coordinates
    host.PumpUntilIdle();
    ReleaseCapture();
    std::vector<std::string> downs;
    for (auto& t : Trace())
        if (t.rfind("down", 0) == 0) downs.push_back(t);
    EXPECT_EQ(downs, (std::vector<std::string>{"down inner 5,5", "down outer 90,70", "down inner 175,-10"}));
    dlg.DestroyWindow();
}

TEST_F(Framework, MessageBoxInsideAHandlerKeepsOtherWindowsServed) {
    // A box opened from a handler stays open 150 ms; meanwhile the nested loop goes on
    // firing another window's timer and dispatching a message posted to it.
    struct Other : CWnd {
        int ticks = 0, posted = 0;
        void OnTimer(UINT_PTR) override { ++ticks; }
        LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
            if (m == WM_USER + 3) ++posted;
            return CWnd::WindowProc(m, wp, lp);
        }
    } other;
    struct Asker : CWnd {
        Other* other = nullptr;
        int result = 0, ticksWhileOpen = 0, postedWhileOpen = 0;
        LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
            if (m == WM_USER + 4) {
                other->PostMessage(WM_USER + 3);
                result = MessageBox("text", "caption", MB_OKCANCEL);
                ticksWhileOpen = other->ticks;
                postedWhileOpen = other->posted;
            }
            return CWnd::WindowProc(m, wp, lp);
        }
    } asker;
    asker.other = &other;
    ASSERT_TRUE(other.Create(nullptr, "other", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_TRUE(asker.Create(nullptr, "asker", WS_POPUP | WS_VISIBLE, CRect(0, 0, 10, 10), nullptr, 0));
    other.SetTimer(546, 20, nullptr);
    host.answerDelayMs = 150;
    host.QueueMessageBoxAnswer(IDCANCEL);
    asker.PostMessage(WM_USER + 4);
    host.PumpUntilIdle();
    EXPECT_EQ(asker.result, IDCANCEL);
    EXPECT_EQ(asker.postedWhileOpen, 1);
    EXPECT_GE(asker.ticksWhileOpen, 3);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].caption, "caption");
    EXPECT_EQ(host.messageBoxes[0].owner, asker.m_hWnd);
    EXPECT_EQ(host.messageBoxes[0].type, MB_OKCANCEL);
    // The owner took no input while the box was open, and takes it again afterwards.
    EXPECT_EQ(GetWindowLongPtrA(asker.m_hWnd, GWL_STYLE) & WS_DISABLED, 0);
}
