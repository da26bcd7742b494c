// What other threads may do: post messages, send them, and draw through a window DC.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/host/null/null_host.h"
#include "tests/platform/user/test_window.h"

using namespace test_window;

TEST(Threads, PostsFromAnotherThreadArriveInOrderAndWakeTheLoop) {
    null_host::NullHost host;
    HWND top = CreateTop(50, 50);
    host.PumpUntilIdle();
    Log().clear();
    constexpr int kCount = 500;
    std::thread poster([&] {
        for (int i = 0; i < kCount; ++i) PostMessageA(top, WM_USER, static_cast<WPARAM>(i), 0);
    });
    // A blocking wait with no timers: only the posts can end it.
    MSG msg;
    int received = 0;
    bool ordered = true;
    while (received < kCount && GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_USER) {
            ordered = ordered && msg.wParam == static_cast<WPARAM>(received);
            ++received;
        }
        DispatchMessageA(&msg);
    }
    poster.join();
    EXPECT_EQ(received, kCount);
    EXPECT_TRUE(ordered);
    DestroyWindow(top);
}

namespace {
std::thread::id g_handledOn;
WNDPROC g_previous = nullptr;
LRESULT NoteThread(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETTEXTLENGTH) g_handledOn = std::this_thread::get_id();
    return CallWindowProcA(g_previous, w, m, wp, lp);
}
}  // namespace

TEST(Threads, SendFromAnotherThreadRunsOnTheWindowsThread) {
    null_host::NullHost host;
    HWND top = CreateTop(50, 50);
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteThread)));
    std::atomic<bool> done{false};
    LRESULT result = 0;
    std::thread sender([&] {
        result = SendMessageA(top, WM_GETTEXTLENGTH, 0, 0);
        done = true;
    });
    while (!done) host.PumpFor(5);
    sender.join();
    EXPECT_EQ(result, 3);  // "top"
    EXPECT_EQ(g_handledOn, std::this_thread::get_id());
    DestroyWindow(top);
}

TEST(Threads, DrawingFromAnotherThreadReachesSurfaceAndHost) {
    null_host::NullHost host;
    HWND top = CreateTop(80, 60);
    HWND child = CreateChild(top, 1, RECT{20, 10, 60, 50});
    host.PumpUntilIdle();
    host.ClearChangedRects();
    std::thread drawer([&] {
        for (int i = 0; i < 50; ++i) {
            HDC dc = GetDC(child);
            SetPixel(dc, i % 40, 5, RGB(255, 0, 0));
            SetPixel(dc, 45, 5, RGB(0, 255, 0));  // outside the child: clipped away
            ReleaseDC(child, dc);
        }
    });
    for (int i = 0; i < 20; ++i) host.PumpFor(1);  // the UI thread reads the surface meanwhile
    drawer.join();
    EXPECT_EQ(host.Pixel(top, 20 + 3, 15), 0xFF0000u);
    EXPECT_EQ(host.Pixel(top, 65, 15), 0u);
    auto rects = host.ChangedRects(top);
    ASSERT_FALSE(rects.empty());
    EXPECT_EQ(rects[0].left, 20);
    EXPECT_EQ(rects[0].top, 15);
    DestroyWindow(top);
}
