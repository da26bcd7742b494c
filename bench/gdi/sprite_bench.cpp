// One step of the moving source marker: restore the room under the old and new sprite
// rectangles, compose the masked sprite, and copy the union to the window surface; set
// against a plain memcpy of as many pixels as the step writes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gdi/surface.h"
#include "skin/skin.h"

namespace {

constexpr int kRoom = 1, kSprite = 2, kMask = 3;
constexpr int kPadX = 305, kPadY = 51;  // the pad window's origin in skin coordinates

// A skin with one sheet bitmap made in memory: room, sprite and mask images.
class BenchSkin : public CSkin {
public:
    BenchSkin() {
        m_nBitmaps = 1;
        m_nRegions = 4;
        Allocate();
        m_phdcBitmap[0] = CreateCompatibleDC(nullptr);
        m_phbmBitmap[0] = CreateCompatibleBitmap(nullptr, 473, 500);
        SelectObject(m_phdcBitmap[0], m_phbmBitmap[0]);
        auto sheet = gdi::SurfaceOfBitmap(m_phbmBitmap[0]);
        for (std::size_t i = 0; i < sheet->pixels.size(); ++i) sheet->pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 14; ++x) {
                const bool opaque = (x - 7) * (x - 7) + (y - 7) * (y - 7) < 42;
                sheet->pixels[(261 - 14 + y) * 473 + 372 + x] = opaque ? 0 : 0xFFFFFF;
            }
        SetRegion(kRoom, 1, 305, 99, 616, 412);
        SetStateSource(kRoom, 1, 0, 4, 53, 317, 366);
        SetRegion(kSprite, 1, 330, 126, 344, 140);
        SetStateSource(kSprite, 1, 0, 340, 247, 354, 261);
        SetRegion(kMask, 1, 330, 126, 344, 140);
        SetStateSource(kMask, 1, 0, 372, 247, 386, 261);
        m_hdcWork = CreateCompatibleDC(nullptr);
        m_hbmWork = CreateCompatibleBitmap(nullptr, 14, 14);
        SelectObject(m_hdcWork, m_hbmWork);
    }
    int Load() override { return 1; }
};

struct Scene {
    BenchSkin skin;
    HDC back = CreateCompatibleDC(nullptr);
    HBITMAP backBitmap = CreateCompatibleBitmap(nullptr, 311, 392);
    std::shared_ptr<gdi::Surface> window = std::make_shared<gdi::Surface>(640, 455);
    HDC windowDC = gdi::CreateSurfaceDC(window, POINT{kPadX, kPadY}, RECT{kPadX, kPadY, 616, 443}, [](const RECT&) {});
    Scene() { SelectObject(back, backBitmap); }
    ~Scene() {
        DeleteDC(windowDC);
        DeleteDC(back);
        DeleteObject(backBitmap);
    }
};

constexpr int kStep = 3;  // pixels the sprite moves per tick
constexpr RECT kNatural{0, 0, 14, 14};

RECT SpriteAt(int i) {
    const int x = 320 + (i * kStep) % 270, y = 120 + (i * kStep) % 270;
    return RECT{x, y, x + 14, y + 14};
}

void BM_SpriteStep(benchmark::State& state) {
    Scene scene;
    int i = 0;
    RECT last = SpriteAt(i);
    for (auto _ : state) {
        const RECT next = SpriteAt(++i);
        RECT u;
        UnionRect(&u, &last, &next);
        scene.skin.DrawClipped(scene.back, kRoom, &u, kPadX, kPadY);
        scene.skin.DrawSprite(scene.back, kSprite, kMask, &next, &kNatural, kPadX, kPadY);
        BitBlt(scene.windowDC, u.left - kPadX, u.top - kPadY, u.right - u.left, u.bottom - u.top, scene.back,
               u.left - kPadX, u.top - kPadY, SRCCOPY);
        last = next;
    }
}
BENCHMARK(BM_SpriteStep);

// The same pixel count as one step writes: the union twice (restore, copy out) and the
// sprite's 14 x 14 four times (two work passes, two stretched passes).
void BM_MemcpySamePixels(benchmark::State& state) {
    const std::size_t unionPixels = (14 + kStep) * (14 + kStep);
    const std::size_t pixels = 2 * unionPixels + 4 * 14 * 14;
    std::vector<std::uint32_t> a(pixels, 1), b(pixels, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), pixels * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpySamePixels);

}  // namespace

BENCHMARK_MAIN();
