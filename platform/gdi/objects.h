// The layer's private view of DC and bitmap handles: what a handle stands for, and the
// registry that tells live handles from stale or foreign ones.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/surface.h"

struct HBITMAP__ {
    std::shared_ptr<gdi::Surface> surface;
    HDC selectedIn = nullptr;  // a bitmap lives in at most one DC at a time
    bool stock = false;        // the shared 1 x 1 default image: never deleted, never counted
};

enum class DCKind { Memory, Surface, Screen };

struct HDC__ {
    DCKind kind = DCKind::Memory;
    HBITMAP selected = nullptr;              // memory DCs
    std::shared_ptr<gdi::Surface> surface;   // surface and screen DCs
    POINT origin{0, 0};
    RECT clip{0, 0, 0, 0};
    std::shared_ptr<const gdi::DirtyCallback> onDraw;
};

namespace gdi::detail {

// Where a DC draws, copied out under the registry lock so a transfer can run without it.
struct Target {
    std::shared_ptr<Surface> surface;
    POINT origin{0, 0};
    RECT clip{0, 0, 0, 0};  // surface coordinates, already within the surface
    std::shared_ptr<const DirtyCallback> onDraw;
};

class Registry {
public:
    static Registry& Instance();

    std::mutex mutex;
    std::unordered_map<HDC__*, std::unique_ptr<HDC__>> dcs;
    std::unordered_map<HBITMAP__*, std::unique_ptr<HBITMAP__>> bitmaps;
    HBITMAP stockBitmap = nullptr;

    // Both expect the mutex held; null for anything that is not a live handle.
    HDC__* FindDC(HDC dc);
    HBITMAP__* FindBitmap(const void* object);

private:
    Registry();
};

HBITMAP AddBitmap(std::shared_ptr<Surface> surface);
bool ResolveTarget(HDC dc, Target* out);

// Pixel conversions between the surface format (0x00RRGGBB) and COLORREF (0x00BBGGRR).
constexpr std::uint32_t PixelOf(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
}
constexpr COLORREF ColorOf(std::uint32_t p) {
    return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

// Larger surfaces are refused rather than attempted.
constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 1LL << 26;

}  // namespace gdi::detail
