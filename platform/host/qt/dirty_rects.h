// Changed rectangles of top-level surfaces, collected from any thread and taken by the
// UI thread in one go, so one queued call presents everything that changed meanwhile.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "platform/user/winuser.h"

namespace qt_host {

class DirtyRects {
public:
    // Returns true when the set was empty before: the caller then asks the UI thread
    // to present, and further rectangles ride along with that request.
    bool Add(HWND top, const RECT& rect);
    std::vector<std::pair<HWND, RECT>> Take();
    bool Empty();

    // Past this many separate rectangles per window they are merged into their bounds:
    // a few large repaints are cheaper than hundreds of small ones.
    static constexpr std::size_t kMaxRectsPerWindow = 16;

private:
    std::mutex mutex_;
    std::vector<std::pair<HWND, RECT>> rects_;
};

}  // namespace qt_host
