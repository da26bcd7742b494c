// Invalidation, WM_PAINT's DCs and window DCs onto the top-level window's surface.
#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

// Adds rect (client coordinates of w) to w's update area and to every descendant's,
// since a parent's painting covers its children's place. Lock held.
void AddUpdate(Window* w, RECT rect, bool erase) {
    RECT client = ClientRect(w);
    RECT part;
    if (!IntersectRect(&part, &rect, &client)) return;
    RECT merged;
    UnionRect(&merged, &w->update, &part);
    w->update = merged;
    w->erase = w->erase || erase;
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (!cw) continue;
        RECT inChild = part;
        OffsetRect(&inChild, -cw->rect.left, -cw->rect.top);
        AddUpdate(cw, inChild, erase);
    }
}

std::shared_ptr<gdi::Surface> ScreenSurface() {
    static auto screen = std::make_shared<gdi::Surface>(1, 1);
    return screen;
}

// The screen DC is a reference for compatible DCs and bitmaps; nothing drawn on it shows.
HDC ScreenDC() { return gdi::CreateSurfaceDC(ScreenSurface(), POINT{0, 0}, RECT{0, 0, 0, 0}, nullptr); }

// A DC for w clipped to limit (client coordinates of w) as well as to w and its ancestors.
HDC WindowDC(HWND window, const RECT* limit) {
    std::shared_ptr<gdi::Surface> surface;
    POINT origin;
    RECT clip;
    HWND top;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return nullptr;
        Window* t = TopOf(w);
        if (!t || !t->surface) return ScreenDC();
        surface = t->surface;
        top = t->handle;
        origin = OriginInTop(w);
        clip = VisibleClipInTop(w);
        if (limit) {
            RECT l = *limit;
            OffsetRect(&l, origin.x, origin.y);
            RECT both;
            IntersectRect(&both, &clip, &l);
            clip = both;
        }
    }
    // The callback may run on any thread; the host hands the rectangle to its own.
    return gdi::CreateSurfaceDC(std::move(surface), origin, clip, [top](const RECT& changed) {
        if (auto* host = user_host::GetHost()) host->SurfaceChanged(top, changed);
    });
}

}  // namespace

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        auto& s = S();
        if (!window) {
            for (HWND t : s.topLevels)
                if (Window* w = Find(t)) AddUpdate(w, ClientRect(w), erase != FALSE);
        } else {
            Window* w = Find(window);
            if (!w) return FALSE;
            AddUpdate(w, rect ? *rect : ClientRect(w), erase != FALSE);
        }
    }
    WakeUiThread();
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    bool needed;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return FALSE;
        needed = !IsRectEmpty(&w->update) && (w->style & WS_VISIBLE);
    }
    if (needed) CallProc(window, WM_PAINT, 0, 0);
    return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* ps) {
    if (!ps) return nullptr;
    *ps = PAINTSTRUCT{};
    bool erase;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return nullptr;
        ps->rcPaint = w->update;
        erase = w->erase;
        w->update = RECT{0, 0, 0, 0};
        w->erase = false;
    }
    // As on the platform, the paint DC reaches only the area that needed painting.
    ps->hdc = WindowDC(window, &ps->rcPaint);
    ps->fErase = FALSE;
    if (erase && ps->hdc) ps->fErase = CallProc(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) ? FALSE : TRUE;
    return ps->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc) DeleteDC(ps->hdc);
    return TRUE;
}

HDC GetDC(HWND window) {
    if (!window || window == GetDesktopWindow()) return ScreenDC();
    return WindowDC(window, nullptr);
}

int ReleaseDC(HWND, HDC dc) { return dc && DeleteDC(dc) ? 1 : 0; }
