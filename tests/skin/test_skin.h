// A CSkin with bitmaps made in memory, so drawing can be checked pixel by pixel without
// resources. Every bitmap pixel carries its own address: Tag(bitmap, x, y).
#pragma once

#include <cstdint>

#include "platform/gdi/surface.h"
#include "skin/skin.h"

namespace testskin {

constexpr std::uint32_t Tag(int bitmap, int x, int y) {
    return (static_cast<std::uint32_t>(bitmap + 1) << 20) | (static_cast<std::uint32_t>(y) << 10) |
           static_cast<std::uint32_t>(x);
}

class CTestSkin : public CSkin {
public:
    CTestSkin(int bitmaps, int regions, int size = 64) {
        m_nBitmaps = bitmaps;
        m_nRegions = regions;
        Allocate();
        for (int i = 0; i < bitmaps; ++i) {
            m_phdcBitmap[i] = CreateCompatibleDC(nullptr);
            m_phbmBitmap[i] = CreateCompatibleBitmap(nullptr, size, size);
            SelectObject(m_phdcBitmap[i], m_phbmBitmap[i]);
            auto s = gdi::SurfaceOfBitmap(m_phbmBitmap[i]);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) s->pixels[y * size + x] = Tag(i, x, y);
        }
    }
    int Load() override { return 1; }
    void MakeWork(int w, int h) {
        m_hdcWork = CreateCompatibleDC(nullptr);
        m_hbmWork = CreateCompatibleBitmap(nullptr, w, h);
        SelectObject(m_hdcWork, m_hbmWork);
    }
    // Bitmap pixels for tests that paint their own images.
    std::uint32_t& Pixel(int bitmap, int x, int y) {
        auto s = gdi::SurfaceOfBitmap(m_phbmBitmap[bitmap]);
        return s->pixels[static_cast<std::size_t>(y) * s->width + x];
    }
};

}  // namespace testskin
