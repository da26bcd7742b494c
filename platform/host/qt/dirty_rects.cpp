#include "platform/host/qt/dirty_rects.h"

#include <algorithm>

namespace qt_host {
namespace {

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT Bounds(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

}  // namespace

bool DirtyRects::Add(HWND top, const RECT& rect) {
    if (IsEmpty(rect)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    const bool wasEmpty = rects_.empty();
    std::size_t count = 0;
    for (auto& [window, r] : rects_) {
        if (window != top) continue;
        if (Contains(r, rect)) return wasEmpty;
        if (Contains(rect, r)) {
            r = rect;
            return wasEmpty;
        }
        ++count;
    }
    if (count >= kMaxRectsPerWindow) {
        RECT merged = rect;
        rects_.erase(std::remove_if(rects_.begin(), rects_.end(),
                                    [&](const std::pair<HWND, RECT>& e) {
                                        if (e.first != top) return false;
                                        merged = Bounds(merged, e.second);
                                        return true;
                                    }),
                     rects_.end());
        rects_.emplace_back(top, merged);
    } else {
        rects_.emplace_back(top, rect);
    }
    return wasEmpty;
}

std::vector<std::pair<HWND, RECT>> DirtyRects::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::pair<HWND, RECT>> taken;
    taken.swap(rects_);
    return taken;
}

bool DirtyRects::Empty() {
    std::lock_guard<std::mutex> lock(mutex_);
    return rects_.empty();
}

}  // namespace qt_host
