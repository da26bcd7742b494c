#include "platform/user/window_table.h"

#include <deque>

#include "platform/gdi/wingdi.h"

namespace user_internal {

State& S() {
    static State state;
    return state;
}

Window* Find(HWND window) {
    auto& s = S();
    auto it = s.windows.find(window);
    return it == s.windows.end() ? nullptr : it->second.get();
}

Window* TopOf(Window* w) {
    while (w && (w->style & WS_CHILD) && w->parent) {
        Window* p = Find(w->parent);
        if (!p) break;
        w = p;
    }
    return w;
}

POINT OriginInTop(const Window* w) {
    POINT p{0, 0};
    while (w && (w->style & WS_CHILD)) {
        p.x += w->rect.left;
        p.y += w->rect.top;
        w = Find(w->parent);
    }
    return p;
}

POINT OriginOnScreen(const Window* w) {
    POINT p{0, 0};
    while (w) {
        p.x += w->rect.left;
        p.y += w->rect.top;
        if (!(w->style & WS_CHILD)) break;
        w = Find(w->parent);
    }
    return p;
}

RECT VisibleClipInTop(const Window* w) {
    POINT o = OriginInTop(w);
    RECT clip = ClientRect(w);
    OffsetRect(&clip, o.x, o.y);
    for (const Window* p = (w->style & WS_CHILD) ? Find(w->parent) : nullptr; p;
         p = (p->style & WS_CHILD) ? Find(p->parent) : nullptr) {
        POINT po = OriginInTop(p);
        RECT pr = ClientRect(p);
        OffsetRect(&pr, po.x, po.y);
        RECT both;
        IntersectRect(&both, &clip, &pr);
        clip = both;
    }
    return clip;
}

bool IsDescendantOrSelf(const Window* w, HWND ancestor) {
    while (w) {
        if (w->handle == ancestor) return true;
        if (!(w->style & WS_CHILD)) return false;
        w = Find(w->parent);
    }
    return false;
}

bool SameThreadAsWindow(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    return !w || w->thread == std::this_thread::get_id();
}

LRESULT CallProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc ? proc(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

namespace {
struct FontInfo {
    std::string face;
    int pointSize;
};
std::mutex g_fontMutex;
std::deque<FontInfo>& Fonts() {
    static std::deque<FontInfo> fonts;  // a deque keeps element addresses, which are the handles
    return fonts;
}
}  // namespace

HFONT FontHandle(const std::string& face, int pointSize) {
    std::lock_guard<std::mutex> lock(g_fontMutex);
    for (auto& f : Fonts())
        if (f.face == face && f.pointSize == pointSize) return reinterpret_cast<HFONT>(&f);
    Fonts().push_back(FontInfo{face, pointSize});
    return reinterpret_cast<HFONT>(&Fonts().back());
}

}  // namespace user_internal

namespace user_host {

bool GetFontInfo(HFONT font, std::string* face, int* pointSize) {
    using namespace user_internal;
    std::lock_guard<std::mutex> lock(g_fontMutex);
    for (auto& f : Fonts()) {
        if (reinterpret_cast<HFONT>(&f) == font) {
            if (face) *face = f.face;
            if (pointSize) *pointSize = f.pointSize;
            return true;
        }
    }
    return false;
}

}  // namespace user_host
