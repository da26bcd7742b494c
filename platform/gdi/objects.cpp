#include "platform/gdi/objects.h"

namespace gdi::detail {

Registry& Registry::Instance() {
    // Never destroyed: DCs held by other layers' statics may be released during exit.
    static Registry* registry = new Registry;
    return *registry;
}

Registry::Registry() {
    auto stock = std::make_unique<HBITMAP__>();
    stock->surface = std::make_shared<Surface>(1, 1);
    stock->stock = true;
    stockBitmap = stock.get();
    bitmaps.emplace(stock.get(), std::move(stock));
}

HDC__* Registry::FindDC(HDC dc) {
    auto it = dcs.find(dc);
    return it == dcs.end() ? nullptr : it->second.get();
}

HBITMAP__* Registry::FindBitmap(const void* object) {
    auto it = bitmaps.find(static_cast<HBITMAP__*>(const_cast<void*>(object)));
    return it == bitmaps.end() ? nullptr : it->second.get();
}

HBITMAP AddBitmap(std::shared_ptr<Surface> surface) {
    auto bitmap = std::make_unique<HBITMAP__>();
    bitmap->surface = std::move(surface);
    HBITMAP handle = bitmap.get();
    Registry& r = Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.bitmaps.emplace(handle, std::move(bitmap));
    return handle;
}

bool ResolveTarget(HDC dc, Target* out) {
    Registry& r = Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    HDC__* d = r.FindDC(dc);
    if (!d) return false;
    if (d->kind == DCKind::Memory) {
        out->surface = d->selected->surface;
        out->origin = {0, 0};
        out->clip = {0, 0, out->surface->width, out->surface->height};
        out->onDraw.reset();
        return true;
    }
    out->surface = d->surface;
    out->origin = d->origin;
    RECT bounds{0, 0, d->surface->width, d->surface->height};
    if (!IntersectRect(&out->clip, &d->clip, &bounds)) out->clip = {0, 0, 0, 0};
    out->onDraw = d->onDraw;
    return true;
}

}  // namespace gdi::detail

namespace gdi {

int LiveDCCount() {
    detail::Registry& r = detail::Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.dcs.size());
}

int LiveBitmapCount() {
    detail::Registry& r = detail::Registry::Instance();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.bitmaps.size()) - 1;  // the stock image is not a live object
}

}  // namespace gdi
