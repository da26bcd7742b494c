// The queue's order: posted before input, input before paint, paint before timers;
// timers coalesce and can be re-armed.
#include <gtest/gtest.h>

#include "platform/host/null/null_host.h"
#include "platform/kernel/sync.h"
#include "tests/platform/user/test_window.h"

using namespace test_window;

namespace {

class MessageOrder : public ::testing::Test {
protected:
    void SetUp() override {
        top = CreateTop(100, 80);
        host.PumpUntilIdle();  // the first paint
        Log().clear();
    }
    void TearDown() override { DestroyWindow(top); }
    null_host::NullHost host;
    HWND top = nullptr;
};

std::vector<UINT> Kinds(std::initializer_list<UINT> keep) {
    std::vector<UINT> out;
    for (auto& e : Log())
        for (UINT k : keep)
            if (e.message == k) out.push_back(e.message);
    return out;
}

}  // namespace

TEST_F(MessageOrder, PostedThenInputThenPaintThenTimer) {
    SetTimer(top, 7, 10, nullptr);
    Sleep(20);  // the timer is due before anything is dispatched
    InvalidateRect(top, nullptr, FALSE);
    host.MouseMove(top, 5, 5);
    PostMessageA(top, WM_USER + 1, 0, 0);
    PostMessageA(top, WM_USER + 2, 0, 0);
    host.PumpUntilIdle();
    KillTimer(top, 7);
    EXPECT_EQ(Kinds({WM_USER + 1, WM_USER + 2, WM_MOUSEMOVE, WM_PAINT, WM_TIMER}),
              (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_MOUSEMOVE, WM_PAINT, WM_TIMER}));
}

TEST_F(MessageOrder, LateTimerFiresOnceAndPeriodCanBeReplaced) {
    SetTimer(top, 3, 10, nullptr);
    Sleep(60);  // several periods pass without a loop running
    host.PumpUntilIdle();
    EXPECT_EQ(Of(WM_TIMER).size(), 1u);

    // The same id again replaces the period: no tick within the old 10 ms rhythm.
    Log().clear();
    EXPECT_EQ(SetTimer(top, 3, 400, nullptr), 3u);
    host.PumpFor(150);
    EXPECT_TRUE(Of(WM_TIMER).empty());
    host.PumpFor(400);
    ASSERT_FALSE(Of(WM_TIMER).empty());
    EXPECT_EQ(Of(WM_TIMER)[0].wParam, 3u);
    EXPECT_TRUE(KillTimer(top, 3));
    EXPECT_FALSE(KillTimer(top, 3));
}

TEST_F(MessageOrder, TimersOfDifferentWindowsWithOneIdAreSeparate) {
    HWND other = CreateTop(10, 10);
    SetTimer(top, 546, 20, nullptr);
    SetTimer(other, 546, 20, nullptr);
    KillTimer(top, 546);
    host.PumpFor(80);
    auto ticks = Of(WM_TIMER);
    ASSERT_FALSE(ticks.empty());
    for (auto& t : ticks) EXPECT_EQ(t.window, other);
    DestroyWindow(other);
}

TEST_F(MessageOrder, PaintGoesToParentBeforeChildren) {
    HWND child = CreateChild(top, 5, RECT{10, 10, 40, 40});
    HWND grandChild = CreateChild(child, 6, RECT{2, 2, 10, 10});
    host.PumpUntilIdle();
    Log().clear();
    RECT part{0, 0, 20, 20};  // overlaps the child and the grandchild at (12, 12)-(20, 20)
    InvalidateRect(top, &part, FALSE);
    host.PumpUntilIdle();
    auto paints = Of(WM_PAINT);
    ASSERT_EQ(paints.size(), 3u);
    EXPECT_EQ(paints[0].window, top);
    EXPECT_EQ(paints[1].window, child);
    EXPECT_EQ(paints[2].window, grandChild);

    Log().clear();
    RECT elsewhere{60, 60, 70, 70};  // outside the child: only the parent repaints
    InvalidateRect(top, &elsewhere, FALSE);
    host.PumpUntilIdle();
    ASSERT_EQ(Of(WM_PAINT).size(), 1u);
    EXPECT_EQ(Of(WM_PAINT)[0].window, top);
}

TEST_F(MessageOrder, MessagesForADestroyedWindowAreDropped) {
    HWND other = CreateTop(10, 10);
    PostMessageA(other, WM_USER, 0, 0);
    SetTimer(other, 1, 10, nullptr);
    DestroyWindow(other);
    Log().clear();
    host.PumpFor(40);
    for (auto& e : Log()) EXPECT_NE(e.window, other);
    EXPECT_FALSE(PostMessageA(other, WM_USER, 0, 0));
}
