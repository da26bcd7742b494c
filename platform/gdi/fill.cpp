// Solid fills: what a dialog's background erase needs, cut to the DC like a transfer.
#include <algorithm>
#include <array>
#include <mutex>

#include "platform/gdi/objects.h"

HBRUSH GetSysColorBrush(int index) {
    static std::array<HBRUSH__, 32> brushes = [] {
        std::array<HBRUSH__, 32> all{};
        for (std::size_t i = 0; i < all.size(); ++i) all[i].color = GetSysColor(static_cast<int>(i));
        return all;
    }();
    if (index < 0 || index >= static_cast<int>(brushes.size())) return nullptr;
    return &brushes[static_cast<std::size_t>(index)];
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    gdi::detail::Target t;
    if (!rect || !brush || !gdi::detail::ResolveTarget(dc, &t)) return 0;
    using i64 = long long;
    const i64 left = std::max<i64>(static_cast<i64>(rect->left) + t.origin.x, t.clip.left);
    const i64 top = std::max<i64>(static_cast<i64>(rect->top) + t.origin.y, t.clip.top);
    const i64 right = std::min<i64>(static_cast<i64>(rect->right) + t.origin.x, t.clip.right);
    const i64 bottom = std::min<i64>(static_cast<i64>(rect->bottom) + t.origin.y, t.clip.bottom);
    if (right <= left || bottom <= top) return 1;
    const std::uint32_t pixel = gdi::detail::PixelOf(brush->color);
    {
        std::lock_guard<std::mutex> lock(t.surface->mutex);
        const auto width = static_cast<std::size_t>(t.surface->width);
        for (i64 y = top; y < bottom; ++y) {
            auto* row = t.surface->pixels.data() + static_cast<std::size_t>(y) * width;
            std::fill(row + left, row + right, pixel);
        }
    }
    if (t.onDraw && *t.onDraw)
        (*t.onDraw)(RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                         static_cast<LONG>(bottom)});
    return 1;
}
