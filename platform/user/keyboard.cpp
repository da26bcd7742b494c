// Keyboard focus, and what the default window procedure does with keys: a window that
// gets the keyboard back gives the focus to the window that had it, media keys become
// application commands, and an application command a window leaves alone goes on to its
// parent.
#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

short MediaCommandOf(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_MEDIA_NEXT_TRACK: return APPCOMMAND_MEDIA_NEXTTRACK;
    case VK_MEDIA_PREV_TRACK: return APPCOMMAND_MEDIA_PREVIOUSTRACK;
    case VK_MEDIA_STOP: return APPCOMMAND_MEDIA_STOP;
    case VK_MEDIA_PLAY_PAUSE: return APPCOMMAND_MEDIA_PLAY_PAUSE;
    default: return 0;
    }
}

// The window a top-level window gives the keyboard to when it gets it back.
HWND FocusOnActivation(HWND top) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    if (!w) return nullptr;
    Window* last = Find(w->lastFocus);
    return last && IsDescendantOrSelf(last, top) ? last->handle : top;
}

// Keeps where the focus was, if inside top, and reports whether it was.
bool KeepFocusOf(HWND top) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    Window* focus = Find(S().focus);
    if (!w || !focus || !IsDescendantOrSelf(focus, top)) return false;
    w->lastFocus = focus->handle;
    return true;
}

}  // namespace

HWND SetFocus(HWND window) {
    HWND old;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (window && !Find(window)) return nullptr;
        old = S().focus;
        if (old == window) return old;
        S().focus = window;
    }
    if (old) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() {
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().focus;
}

namespace user_internal {

bool DefaultKeyboardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    switch (message) {
    case WM_ACTIVATE:
        if (wParam != WA_INACTIVE)
            SetFocus(FocusOnActivation(window));
        else if (KeepFocusOf(window))
            SetFocus(nullptr);
        return true;
    case WM_KEYDOWN:
        if (const short command = MediaCommandOf(wParam))
            *result = SendMessageA(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window),
                                   MAKELPARAM(0, static_cast<WORD>(command) | FAPPCOMMAND_KEY));
        return true;
    case WM_APPCOMMAND: {
        HWND parent = (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
        *result = parent ? SendMessageA(parent, WM_APPCOMMAND, wParam, lParam) : FALSE;
        return true;
    }
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return true;
    default: return false;
    }
}

}  // namespace user_internal
