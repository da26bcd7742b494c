// Block transfers and solid fills. Rectangles are worked out in 64-bit arithmetic and cut down to the
// destination clip and to the source surface before any pixel is touched, so hostile
// coordinates can only shrink the work, never reach outside a buffer.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/gdi/objects.h"

using gdi::Surface;
using gdi::detail::Target;

namespace {

using Pixel = std::uint32_t;
using i64 = long long;

struct Span {  // half-open range [lo, hi)
    i64 lo;
    i64 hi;
    bool Empty() const { return hi <= lo; }
};

Span Cut(Span a, i64 lo, i64 hi) { return {std::max(a.lo, lo), std::min(a.hi, hi)}; }

enum class Rop { Copy, And, Paint, Invert, AndNot };

bool RopOf(DWORD code, Rop* out) {
    switch (code) {
        case SRCCOPY: *out = Rop::Copy; return true;
        case SRCAND: *out = Rop::And; return true;
        case SRCPAINT: *out = Rop::Paint; return true;
        case SRCINVERT: *out = Rop::Invert; return true;
        case DSna: *out = Rop::AndNot; return true;
        default: return false;
    }
}

inline Pixel Apply(Rop rop, Pixel d, Pixel s) {
    switch (rop) {
        case Rop::Copy: return s;
        case Rop::And: return d & s;
        case Rop::Paint: return d | s;
        case Rop::Invert: return d ^ s;
        case Rop::AndNot: return d & ~s & 0x00FFFFFFu;
    }
    return d;
}

// Holds one surface's mutex, or two in address order so that two transfers running in
// opposite directions between the same pair cannot deadlock.
class TransferLock {
public:
    TransferLock(const Surface& a, const Surface& b) {
        const Surface* first = &a < &b ? &a : &b;
        const Surface* second = &a < &b ? &b : &a;
        first_ = std::unique_lock<std::mutex>(first->mutex);
        if (second != first) second_ = std::unique_lock<std::mutex>(second->mutex);
    }

private:
    std::unique_lock<std::mutex> first_;
    std::unique_lock<std::mutex> second_;
};

void ReportDirty(const Target& t, Span xs, Span ys) {
    if (t.onDraw && *t.onDraw)
        (*t.onDraw)(RECT{static_cast<LONG>(xs.lo), static_cast<LONG>(ys.lo), static_cast<LONG>(xs.hi),
                         static_cast<LONG>(ys.hi)});
}

// Copies rows of cols pixels; dst and src may be the same buffer with overlapping areas,
// so rows and columns run in the order that reads every source pixel before it is written.
void BlitRows(Pixel* dst, std::size_t dstride, const Pixel* src, std::size_t sstride, std::size_t cols,
              std::size_t rows, Rop rop, bool sameSurface) {
    // Within one buffer: a destination below the source runs bottom-up, and one to the
    // right of it on the same rows runs right to left.
    const bool rowsBackwards = sameSurface && dst > src && dst < src + rows * sstride;
    const bool colsBackwards = sameSurface && dst > src && dst < src + cols;
    for (std::size_t k = 0; k < rows; ++k) {
        std::size_t row = rowsBackwards ? rows - 1 - k : k;
        Pixel* d = dst + row * dstride;
        const Pixel* s = src + row * sstride;
        if (rop == Rop::Copy) {
            std::memmove(d, s, cols * sizeof(Pixel));
        } else if (colsBackwards) {
            for (std::size_t i = cols; i-- > 0;) d[i] = Apply(rop, d[i], s[i]);
        } else {
            for (std::size_t i = 0; i < cols; ++i) d[i] = Apply(rop, d[i], s[i]);
        }
    }
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop) {
    Rop op;
    if (!RopOf(rop, &op)) return FALSE;
    Target d, s;
    if (!gdi::detail::ResolveTarget(dst, &d) || !gdi::detail::ResolveTarget(src, &s)) return FALSE;
    if (width < 0 || height < 0) return FALSE;

    // Destination in surface coordinates, cut to the clip.
    const i64 dx0 = static_cast<i64>(x) + d.origin.x;
    const i64 dy0 = static_cast<i64>(y) + d.origin.y;
    Span xs = Cut({dx0, dx0 + width}, d.clip.left, d.clip.right);
    Span ys = Cut({dy0, dy0 + height}, d.clip.top, d.clip.bottom);
    // Then to where the source has pixels: source x = sx0 + (dest x - dx0).
    const i64 sx0 = static_cast<i64>(sx) + s.origin.x;
    const i64 sy0 = static_cast<i64>(sy) + s.origin.y;
    xs = Cut(xs, dx0 - sx0, dx0 - sx0 + s.surface->width);
    ys = Cut(ys, dy0 - sy0, dy0 - sy0 + s.surface->height);
    if (xs.Empty() || ys.Empty()) return TRUE;

    {
        TransferLock lock(*d.surface, *s.surface);
        const std::size_t dw = static_cast<std::size_t>(d.surface->width);
        const std::size_t sw = static_cast<std::size_t>(s.surface->width);
        Pixel* dp = d.surface->pixels.data() + static_cast<std::size_t>(ys.lo) * dw + static_cast<std::size_t>(xs.lo);
        const Pixel* sp = s.surface->pixels.data() + static_cast<std::size_t>(sy0 + (ys.lo - dy0)) * sw +
                          static_cast<std::size_t>(sx0 + (xs.lo - dx0));
        BlitRows(dp, dw, sp, sw, static_cast<std::size_t>(xs.hi - xs.lo), static_cast<std::size_t>(ys.hi - ys.lo),
                 op, d.surface == s.surface);
    }
    ReportDirty(d, xs, ys);
    return TRUE;
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop) {
    Rop op;
    if (!RopOf(rop, &op)) return FALSE;
    Target d, s;
    if (!gdi::detail::ResolveTarget(dst, &d) || !gdi::detail::ResolveTarget(src, &s)) return FALSE;
    if (width < 0 || height < 0 || sw < 0 || sh < 0) return FALSE;
    if (width == 0 || height == 0 || sw == 0 || sh == 0) return TRUE;

    const i64 dx0 = static_cast<i64>(x) + d.origin.x;
    const i64 dy0 = static_cast<i64>(y) + d.origin.y;
    const Span xs = Cut({dx0, dx0 + width}, d.clip.left, d.clip.right);
    const Span ys = Cut({dy0, dy0 + height}, d.clip.top, d.clip.bottom);
    if (xs.Empty() || ys.Empty()) return TRUE;
    const i64 sx0 = static_cast<i64>(sx) + s.origin.x;
    const i64 sy0 = static_cast<i64>(sy) + s.origin.y;

    // Each destination pixel takes the source pixel under its centre. i < 2^31 and the
    // source extent < 2^31, so (2i + 1) * extent stays below 2^63.
    auto sampleX = [&](i64 px) { return sx0 + ((2 * (px - dx0) + 1) * sw) / (2 * static_cast<i64>(width)); };
    auto sampleY = [&](i64 py) { return sy0 + ((2 * (py - dy0) + 1) * sh) / (2 * static_cast<i64>(height)); };

    const i64 srcW = s.surface->width;
    const i64 srcH = s.surface->height;
    bool wrote = false;
    Span wx{xs.hi, xs.lo}, wy{ys.hi, ys.lo};  // the part actually written
    {
        TransferLock lock(*d.surface, *s.surface);
        // Sampling must see the source as it was before this transfer; when both are the
        // same surface, read from a snapshot of the rows and columns that will be sampled.
        const Pixel* base = s.surface->pixels.data();
        i64 baseX = 0, baseY = 0, baseStride = srcW;
        static thread_local std::vector<Pixel> snapshot;
        if (d.surface == s.surface) {
            const Span cx = Cut({sampleX(xs.lo), sampleX(xs.hi - 1) + 1}, 0, srcW);
            const Span cy = Cut({sampleY(ys.lo), sampleY(ys.hi - 1) + 1}, 0, srcH);
            if (cx.Empty() || cy.Empty()) return TRUE;
            const std::size_t cw = static_cast<std::size_t>(cx.hi - cx.lo);
            snapshot.resize(cw * static_cast<std::size_t>(cy.hi - cy.lo));
            for (i64 row = cy.lo; row < cy.hi; ++row)
                std::memcpy(snapshot.data() + static_cast<std::size_t>(row - cy.lo) * cw,
                            base + static_cast<std::size_t>(row * srcW + cx.lo), cw * sizeof(Pixel));
            base = snapshot.data();
            baseX = cx.lo;
            baseY = cy.lo;
            baseStride = static_cast<i64>(cw);
        }
        const std::size_t dw = static_cast<std::size_t>(d.surface->width);
        for (i64 py = ys.lo; py < ys.hi; ++py) {
            const i64 qy = sampleY(py);
            if (qy < 0 || qy >= srcH) continue;
            const Pixel* srow = base + (qy - baseY) * baseStride;
            Pixel* drow = d.surface->pixels.data() + static_cast<std::size_t>(py) * dw;
            for (i64 px = xs.lo; px < xs.hi; ++px) {
                const i64 qx = sampleX(px);
                if (qx < 0 || qx >= srcW) continue;
                drow[px] = Apply(op, drow[px], srow[qx - baseX]);
                wrote = true;
                wx = {std::min(wx.lo, px), std::max(wx.hi, px + 1)};
                wy = {std::min(wy.lo, py), std::max(wy.hi, py + 1)};
            }
        }
    }
    if (wrote) ReportDirty(d, wx, wy);
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Target t;
    if (!rect || !brush || !gdi::detail::ResolveTarget(dc, &t)) return 0;
    const Span xs = Cut({static_cast<i64>(rect->left) + t.origin.x, static_cast<i64>(rect->right) + t.origin.x},
                        t.clip.left, t.clip.right);
    const Span ys = Cut({static_cast<i64>(rect->top) + t.origin.y, static_cast<i64>(rect->bottom) + t.origin.y},
                        t.clip.top, t.clip.bottom);
    if (xs.Empty() || ys.Empty()) return 1;
    const Pixel pixel = gdi::detail::PixelOf(brush->color);
    {
        std::lock_guard<std::mutex> lock(t.surface->mutex);
        const auto width = static_cast<std::size_t>(t.surface->width);
        for (i64 y = ys.lo; y < ys.hi; ++y) {
            Pixel* row = t.surface->pixels.data() + static_cast<std::size_t>(y) * width;
            std::fill(row + xs.lo, row + xs.hi, pixel);
        }
    }
    ReportDirty(t, xs, ys);
    return 1;
}
