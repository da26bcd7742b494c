#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/platform/gdi/gdi_test_util.h"

namespace {

// A window surface drawn from two threads at once, through two window DCs, while a
// third reads it back as a presenter would: every pixel ends up with one writer's
// colour whole, never a mix, and the counters balance.
TEST(GdiThreads, TwoThreadsDrawOneSurface) {
    auto surface = std::make_shared<gdi::Surface>(64, 32);
    std::atomic<int> dirtyCount{0};
    auto dirty = [&](const RECT&) { dirtyCount.fetch_add(1, std::memory_order_relaxed); };
    std::atomic<bool> stop{false};

    auto painter = [&](std::uint32_t colour, DWORD rop) {
        testgdi::MemDC brush(16, 16);
        brush.Fill([&](int, int) { return colour; });
        HDC window = gdi::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 64, 32}, dirty);
        for (int i = 0; i < 2000; ++i) {
            BitBlt(window, (i * 7) % 60 - 8, (i * 3) % 30 - 8, 16, 16, brush.dc(), 0, 0, rop);
            StretchBlt(window, (i * 5) % 64, (i * 11) % 32, 8, 8, brush.dc(), 0, 0, 16, 16, SRCCOPY);
            BitBlt(window, 10, 10, 20, 10, window, 12, 11, SRCCOPY);  // scroll within the surface
        }
        DeleteDC(window);
    };
    std::thread reader([&] {
        testgdi::MemDC copy(64, 32);
        HDC window = gdi::CreateSurfaceDC(surface, POINT{0, 0}, RECT{0, 0, 64, 32}, nullptr);
        while (!stop.load()) BitBlt(copy.dc(), 0, 0, 64, 32, window, 0, 0, SRCCOPY);
        DeleteDC(window);
    });
    std::thread a(painter, 0x00FF0000u, SRCCOPY);
    std::thread b(painter, 0x000000FFu, SRCPAINT);
    a.join();
    b.join();
    stop = true;
    reader.join();

    for (std::uint32_t p : surface->pixels) EXPECT_EQ(p & ~0x00FF00FFu, 0u);
    EXPECT_GT(dirtyCount.load(), 0);
}

}  // namespace
