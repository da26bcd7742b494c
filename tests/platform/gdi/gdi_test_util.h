// Small helpers for drawing tests: memory DCs with a bitmap of known pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gdi/surface.h"

namespace testgdi {

// A memory DC with its own bitmap; releases both.
class MemDC {
public:
    MemDC(int w, int h) : dc_(CreateCompatibleDC(nullptr)), bitmap_(CreateCompatibleBitmap(nullptr, w, h)) {
        old_ = SelectObject(dc_, bitmap_);
    }
    ~MemDC() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    gdi::Surface& surface() const { return *gdi::SurfaceOfBitmap(bitmap_); }
    std::uint32_t& at(int x, int y) const {
        gdi::Surface& s = surface();
        return s.pixels[static_cast<std::size_t>(y) * s.width + x];
    }
    void Fill(const std::function<std::uint32_t(int, int)>& f) const {
        gdi::Surface& s = surface();
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) at(x, y) = f(x, y);
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

}  // namespace testgdi
