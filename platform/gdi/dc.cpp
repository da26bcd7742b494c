// Creating, selecting into and releasing DCs and bitmaps; single pixels; bitmap facts.
#include <mutex>

#include "platform/gdi/objects.h"

using gdi::Surface;
using gdi::detail::AddBitmap;
using gdi::detail::Registry;
using gdi::detail::Target;

namespace {

HDC AddDC(std::unique_ptr<HDC__> dc) {
    HDC handle = dc.get();
    Registry& r = Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (dc->kind == DCKind::Memory) dc->selected = r.stockBitmap;
    r.dcs.emplace(handle, std::move(dc));
    return handle;
}

bool ValidSize(int width, int height) {
    return width > 0 && height > 0 && width <= gdi::detail::kMaxSide && height <= gdi::detail::kMaxSide &&
           static_cast<long long>(width) * height <= gdi::detail::kMaxPixels;
}

// The surface position of a DC point, if it lies inside the DC's clip.
// The DC's target and the surface index of its pixel (x, y); false for a bad DC or a
// pixel outside its clip.
bool LocatePixel(HDC dc, int x, int y, Target* t, std::size_t* index, RECT* where) {
    if (!gdi::detail::ResolveTarget(dc, t)) return false;
    long long px = static_cast<long long>(x) + t->origin.x;
    long long py = static_cast<long long>(y) + t->origin.y;
    if (px < t->clip.left || px >= t->clip.right || py < t->clip.top || py >= t->clip.bottom) return false;
    *index = static_cast<std::size_t>(py) * static_cast<std::size_t>(t->surface->width) + static_cast<std::size_t>(px);
    *where = {static_cast<LONG>(px), static_cast<LONG>(py), static_cast<LONG>(px + 1), static_cast<LONG>(py + 1)};
    return true;
}

}  // namespace

HDC CreateCompatibleDC(HDC /*reference*/) {
    auto dc = std::make_unique<HDC__>();
    dc->kind = DCKind::Memory;
    return AddDC(std::move(dc));
}

HBITMAP CreateCompatibleBitmap(HDC /*reference*/, int width, int height) {
    if (!ValidSize(width, height)) return nullptr;
    return AddBitmap(std::make_shared<Surface>(width, height));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    Registry& r = Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    HDC__* d = r.FindDC(dc);
    if (!d || !object) return nullptr;
    HBITMAP__* bitmap = r.FindBitmap(object);
    if (!bitmap) return object;  // pens, brushes, fonts: nothing of them is drawn
    if (d->kind != DCKind::Memory) return nullptr;
    if (bitmap->selectedIn && bitmap->selectedIn != dc) return nullptr;
    HBITMAP previous = d->selected;
    if (previous != bitmap) {
        if (!previous->stock) previous->selectedIn = nullptr;
        if (!bitmap->stock) bitmap->selectedIn = dc;
        d->selected = bitmap;
    }
    return previous;
}

BOOL DeleteDC(HDC dc) {
    Registry& r = Registry::Instance();
    std::unique_ptr<HDC__> doomed;  // destroyed after the lock, with its callback
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.dcs.find(dc);
    if (it == r.dcs.end()) return FALSE;
    if (it->second->selected && !it->second->selected->stock) it->second->selected->selectedIn = nullptr;
    doomed = std::move(it->second);
    r.dcs.erase(it);
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
    Registry& r = Registry::Instance();
    std::unique_ptr<HBITMAP__> doomed;
    std::lock_guard<std::mutex> lock(r.mutex);
    HBITMAP__* bitmap = r.FindBitmap(object);
    if (!bitmap) return FALSE;
    if (bitmap->stock) return TRUE;
    if (bitmap->selectedIn) return FALSE;
    auto it = r.bitmaps.find(bitmap);
    doomed = std::move(it->second);
    r.bitmaps.erase(it);
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
    Registry& r = Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    HBITMAP__* bitmap = r.FindBitmap(object);
    if (!bitmap) return 0;
    if (!out) return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = bitmap->surface->width;
    info.bmHeight = bitmap->surface->height;
    info.bmWidthBytes = bitmap->surface->width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    info.bmBits = nullptr;  // the pixels are reachable only through locked transfers
    *static_cast<BITMAP*>(out) = info;
    return static_cast<int>(sizeof(BITMAP));
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Target t;
    std::size_t index = 0;
    RECT where{};
    if (!LocatePixel(dc, x, y, &t, &index, &where)) return CLR_INVALID;
    std::lock_guard<std::mutex> lock(t.surface->mutex);
    return gdi::detail::ColorOf(t.surface->pixels[index]);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    Target t;
    std::size_t index = 0;
    RECT where{};
    if (!LocatePixel(dc, x, y, &t, &index, &where)) return CLR_INVALID;
    {
        std::lock_guard<std::mutex> lock(t.surface->mutex);
        t.surface->pixels[index] = gdi::detail::PixelOf(color);
    }
    if (t.onDraw && *t.onDraw) (*t.onDraw)(where);
    return color & 0x00FFFFFFu;
}

namespace gdi {

HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, POINT origin, RECT clip, DirtyCallback onDraw) {
    if (!surface) return nullptr;
    auto dc = std::make_unique<HDC__>();
    dc->kind = DCKind::Surface;
    dc->surface = std::move(surface);
    dc->origin = origin;
    dc->clip = clip;
    if (onDraw) dc->onDraw = std::make_shared<const DirtyCallback>(std::move(onDraw));
    return AddDC(std::move(dc));
}

HDC CreateScreenDC() {
    static const std::shared_ptr<Surface> screen = std::make_shared<Surface>(1, 1);
    auto dc = std::make_unique<HDC__>();
    dc->kind = DCKind::Screen;
    dc->surface = screen;
    dc->clip = {0, 0, 1, 1};
    return AddDC(std::move(dc));
}

std::shared_ptr<Surface> SurfaceOfBitmap(HBITMAP bitmap) {
    detail::Registry& r = detail::Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    HBITMAP__* b = r.FindBitmap(bitmap);
    return b ? b->surface : nullptr;
}

std::shared_ptr<Surface> SurfaceOfDC(HDC dc) {
    detail::Registry& r = detail::Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    HDC__* d = r.FindDC(dc);
    if (!d) return nullptr;
    return d->kind == DCKind::Memory ? d->selected->surface : d->surface;
}

}  // namespace gdi
