// What lies under the DCs: 32-bit surfaces and DCs bound to a share of one. Used by the
// window layer (window DCs) and by the hosts (presenting); the program never sees it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/pixel_memory.h"
#include "platform/gdi/wingdi.h"

namespace gdi {

struct Surface {
    Surface(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
    int width;
    int height;
    PixelBuffer pixels;  // 0x00RRGGBB, rows top to bottom
    // Held for every transfer into or out of the surface, so window surfaces can be
    // drawn from the update thread while the UI thread presents them.
    mutable std::mutex mutex;
};

// Called after a transfer changed the rectangle (surface coordinates, already clipped).
using DirtyCallback = std::function<void(const RECT&)>;

// A DC drawing onto the surface with its (0, 0) at origin and every write clipped to
// clip (surface coordinates). The DC shares ownership of the surface.
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, RECT clip, DirtyCallback onDraw);

// The screen's DC (GetDC of no window): a reference for compatible DCs and bitmaps.
// Nothing is shown by drawing to it. Released with DeleteDC.
HDC CreateScreenDC();

// The surface behind a bitmap or a DC (the DC's selected bitmap, or its bound surface).
std::shared_ptr<Surface> SurfaceOfBitmap(HBITMAP bitmap);
std::shared_ptr<Surface> SurfaceOfDC(HDC dc);

// Decodes a BMP file image (1, 4, 8, 24 or 32 bits, bottom-up or top-down) into a new
// 32-bit bitmap. With map3DColors, RGB 128/128/128, 192/192/192 and 223/223/223 become
// the 3D shadow, face and light system colours. Null for a malformed image.
HBITMAP CreateBitmapFromBmp(const std::uint8_t* data, std::size_t size, bool map3DColors);

// Counts of live DCs and bitmaps, so tests can check that releases balance.
int LiveDCCount();
int LiveBitmapCount();

}  // namespace gdi
