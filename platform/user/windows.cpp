// Window classes, creation and destruction, geometry, text and window longs.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/kernel/module.h"
#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

struct WindowClass {
    std::string name;
    WNDPROC proc;
    Kind kind;
    HICON icon;
};

std::vector<WindowClass>& Classes() {
    static std::vector<WindowClass> classes = {
        {"#32770", DefDlgProcA, Kind::Dialog, nullptr},
        {"COMBOBOX", ComboBoxProc, Kind::ComboBox, nullptr},
        {"tooltips_class32", ToolTipProc, Kind::ToolTip, nullptr},
    };
    return classes;
}
std::mutex g_classMutex;

// Atoms are indexes into the class list, offset into the platform's range for atoms.
constexpr ATOM kFirstAtom = 0xC000;

const WindowClass* FindClass(LPCSTR name) {
    std::lock_guard<std::mutex> lock(g_classMutex);
    auto& classes = Classes();
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name)) {
        auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
        if (atom < kFirstAtom || atom - kFirstAtom >= static_cast<int>(classes.size())) return nullptr;
        return &classes[atom - kFirstAtom];
    }
    for (auto& c : classes)
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    return nullptr;
}

thread_local CREATEHOOKPROC t_creationHook = nullptr;
thread_local WNDPROC t_nextDialogProc = nullptr;

bool IsRealTopLevel(const Window* w) { return !(w->style & WS_CHILD) && w->kind != Kind::ToolTip && w->kind != Kind::Desktop; }

void NotifyHost(HWND top, void (user_host::Host::*what)(HWND)) {
    if (auto* host = user_host::GetHost()) (host->*what)(top);
}

// WM_DESTROY goes down the tree first (parent before children); a handler may destroy
// windows of the subtree itself, so each step re-checks what is still there.
void SendDestroy(HWND window, std::vector<HWND>& order) {
    std::vector<HWND> children;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return;
        order.push_back(window);
    }
    CallProc(window, WM_DESTROY, 0, 0);
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return;
        children = w->children;
    }
    for (HWND c : children) {
        bool skip;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* cw = Find(c);
            skip = !cw || cw->destroying;
            if (cw) cw->destroying = true;
        }
        if (!skip) SendDestroy(c, order);
    }
}

void RemoveWindow(HWND window) {
    std::shared_ptr<Window> keep;  // released after the lock, so no destructor runs under it
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        auto& s = S();
        auto it = s.windows.find(window);
        if (it == s.windows.end()) return;
        keep = it->second;
        if ((keep->style & WS_CHILD)) {
            if (Window* p = Find(keep->parent)) {
                auto& ch = p->children;
                ch.erase(std::remove(ch.begin(), ch.end(), window), ch.end());
            }
        }
        s.topLevels.erase(std::remove(s.topLevels.begin(), s.topLevels.end(), window), s.topLevels.end());
        ForgetWindowInQueue(window);
        s.windows.erase(it);
    }
}

}  // namespace

void SetWindowCreationHook(CREATEHOOKPROC hook) { t_creationHook = hook; }

namespace user_internal {
void SetNextDialogProc(WNDPROC proc) { t_nextDialogProc = proc; }
}  // namespace user_internal

ATOM RegisterClassA(const WNDCLASSA* cls) {
    if (!cls || !cls->lpszClassName || !cls->lpfnWndProc) return 0;
    if (FindClass(cls->lpszClassName)) return 0;  // already registered, as on the platform
    std::lock_guard<std::mutex> lock(g_classMutex);
    auto& classes = Classes();
    classes.push_back({cls->lpszClassName, cls->lpfnWndProc, Kind::Generic, cls->hIcon});
    return static_cast<ATOM>(kFirstAtom + classes.size() - 1);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param) {
    const WindowClass* cls = FindClass(className);
    if (!cls) return nullptr;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
    width = std::max(width, 0);
    height = std::max(height, 0);
    HWND handle;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        auto& s = S();
        Window* p = parent ? Find(parent) : nullptr;
        if ((style & WS_CHILD) && !p) return nullptr;
        if (parent && !p && parent != GetDesktopWindow()) return nullptr;
        auto w = std::make_shared<Window>();
        handle = reinterpret_cast<HWND>(s.nextHandle);
        s.nextHandle += 0x10;
        w->handle = handle;
        w->kind = cls->kind;
        w->proc = cls->proc;
        if (cls->kind == Kind::Dialog && t_nextDialogProc) w->proc = t_nextDialogProc;
        t_nextDialogProc = nullptr;
        w->style = style;
        w->exStyle = exStyle;
        w->text = windowName && !IS_INTRESOURCE(windowName) ? windowName : "";
        w->rect = RECT{x, y, x + width, y + height};
        w->thread = std::this_thread::get_id();
        if (s.uiThread == std::thread::id()) s.uiThread = w->thread;
        if (style & WS_CHILD) {
            w->parent = parent;
            w->id = static_cast<LONG_PTR>(reinterpret_cast<std::uintptr_t>(menuOrId));
            p->children.push_back(handle);
        } else {
            Window* top = p ? TopOf(p) : nullptr;
            w->owner = top && top->kind != Kind::Desktop ? top->handle : nullptr;
        }
        if (cls->kind == Kind::ComboBox) w->combo = std::make_unique<ComboModel>();
        if (cls->kind == Kind::ToolTip) w->toolTip = std::make_unique<ToolTipModel>();
        w->iconBig = w->iconSmall = nullptr;
        if (IsRealTopLevel(w.get())) {
            w->surface = std::make_shared<gdi::Surface>(width, height);
            s.topLevels.push_back(handle);
        }
        s.windows[handle] = w;
    }
    if (t_creationHook) t_creationHook(handle);

    CREATESTRUCTA cs{param, instance, menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    if (!CallProc(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        CallProc(handle, WM_NCDESTROY, 0, 0);
        RemoveWindow(handle);
        return nullptr;
    }
    if (CallProc(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (!IsWindow(handle)) return nullptr;
    bool control = false, child = false;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(handle);
        control = w->kind == Kind::ComboBox || w->kind == Kind::ToolTip;
        child = (w->style & WS_CHILD) != 0;
    }
    if (control) NotifyHost(handle, &user_host::Host::ControlChanged);
    if (child && (style & WS_VISIBLE)) InvalidateRect(handle, nullptr, TRUE);
    if (!child && (style & WS_VISIBLE)) {
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            if (Window* w = Find(handle)) w->style &= ~WS_VISIBLE;  // so ShowWindow sees a change
        }
        ShowWindow(handle, SW_SHOW);
    }
    return handle;
}

BOOL DestroyWindow(HWND window) {
    std::vector<HWND> owned;
    bool top = false, wasVisible = false;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w || w->kind == Kind::Desktop) return FALSE;
        if (w->destroying) return TRUE;
        w->destroying = true;
        top = IsRealTopLevel(w);
        wasVisible = (w->style & WS_VISIBLE) != 0;
        for (auto& kv : S().windows)
            if (kv.second->owner == window && !(kv.second->style & WS_CHILD)) owned.push_back(kv.first);
    }
    // Owned windows (tool tips, boxes) go before their owner, as on the platform.
    for (HWND o : owned) DestroyWindow(o);
    if (top && wasVisible) NotifyHost(window, &user_host::Host::TopLevelHidden);

    RECT parentArea{0, 0, 0, 0};
    HWND parent = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (w && (w->style & WS_CHILD)) {
            parent = w->parent;
            parentArea = w->rect;
        }
    }

    std::vector<HWND> order;
    SendDestroy(window, order);
    // WM_NCDESTROY children first, so a parent's object still exists while its children
    // detach from theirs.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        HWND h = *it;
        Kind kind = Kind::Generic;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* w = Find(h);
            if (!w) continue;
            kind = w->kind;
        }
        if (kind == Kind::ToolTip) {
            HWND hideOn = nullptr;
            {
                std::lock_guard<std::mutex> lock(S().mutex);
                Window* w = Find(h);
                if (w && w->toolTip && w->toolTip->showing) {
                    w->toolTip->showing = false;
                    hideOn = w->toolTip->shownOn;
                }
            }
            if (auto* host = user_host::GetHost(); host && hideOn) host->HideToolTip(hideOn);
        }
        CallProc(h, WM_NCDESTROY, 0, 0);
        RemoveWindow(h);
        if (kind == Kind::ComboBox || kind == Kind::ToolTip) NotifyHost(h, &user_host::Host::ControlDestroyed);
    }
    if (parent && IsWindow(parent)) InvalidateRect(parent, &parentArea, TRUE);
    return TRUE;
}

BOOL IsWindow(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    return window == GetDesktopWindow() || Find(window) != nullptr;
}

BOOL ShowWindow(HWND window, int command) {
    bool wasVisible, nowVisible, top, child;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        nowVisible = command != SW_HIDE;
        if (nowVisible)
            w->style |= WS_VISIBLE;
        else
            w->style &= ~WS_VISIBLE;
        top = IsRealTopLevel(w);
        child = (w->style & WS_CHILD) != 0;
        if (nowVisible && !wasVisible) {
            w->update = ClientRect(w);
            w->erase = true;
        }
    }
    if (wasVisible == nowVisible) return wasVisible;
    CallProc(window, WM_SHOWWINDOW, nowVisible, 0);
    if (nowVisible) InvalidateRect(window, nullptr, TRUE);
    if (top) NotifyHost(window, nowVisible ? &user_host::Host::TopLevelShown : &user_host::Host::TopLevelHidden);
    if (child && !nowVisible) {
        RECT r;
        HWND parent;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* w = Find(window);
            r = w->rect;
            parent = w->parent;
        }
        InvalidateRect(parent, &r, TRUE);
    }
    bool control;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        control = w && (w->kind == Kind::ComboBox);
    }
    if (control) NotifyHost(window, &user_host::Host::ControlChanged);
    return wasVisible;
}

BOOL IsWindowVisible(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    for (Window* w = Find(window); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (!(w->style & WS_CHILD)) return TRUE;
    }
    return FALSE;
}

BOOL IsIconic(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    if (!w) return nullptr;
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetDlgItem(HWND parent, int id) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* p = Find(parent);
    if (!p) return nullptr;
    for (HWND c : p->children) {
        Window* w = Find(c);
        if (w && w->id == id) return c;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    return w && (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

HWND GetDesktopWindow() {
    // A fixed handle outside the range of created windows; it owns no surface.
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x8000));
}

namespace {
// The desktop's rectangles are the screen; lock held.
bool DesktopRect(HWND window, RECT* out) {
    if (window != GetDesktopWindow()) return false;
    *out = RECT{0, 0, S().screenWidth, S().screenHeight};
    return true;
}
}  // namespace

BOOL GetClientRect(HWND window, RECT* out) {
    if (!out) return FALSE;
    std::lock_guard<std::mutex> lock(S().mutex);
    if (DesktopRect(window, out)) return TRUE;
    Window* w = Find(window);
    if (!w) return FALSE;
    *out = ClientRect(w);
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* out) {
    if (!out) return FALSE;
    std::lock_guard<std::mutex> lock(S().mutex);
    if (DesktopRect(window, out)) return TRUE;
    Window* w = Find(window);
    if (!w) return FALSE;
    POINT o = OriginOnScreen(w);
    *out = RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
    bool sized = false, top = false, control = false, child = false;
    RECT before{}, after{};
    HWND parent = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return FALSE;
        before = w->rect;
        RECT r = w->rect;
        if (!(flags & SWP_NOMOVE)) OffsetRect(&r, x - r.left, y - r.top);
        if (!(flags & SWP_NOSIZE)) {
            r.right = r.left + std::max(cx, 0);
            r.bottom = r.top + std::max(cy, 0);
        }
        sized = (r.right - r.left) != (before.right - before.left) || (r.bottom - r.top) != (before.bottom - before.top);
        w->rect = r;
        after = r;
        top = IsRealTopLevel(w);
        child = (w->style & WS_CHILD) != 0;
        parent = w->parent;
        control = w->kind == Kind::ComboBox;
    }
    if (top && sized) {
        // A new surface of the new size keeps what the old one showed where they overlap.
        // The copy is made without the layer's lock: no lock is ever taken inside a
        // surface's own.
        std::shared_ptr<gdi::Surface> old;
        {
            std::lock_guard<std::mutex> lock(S().mutex);
            if (Window* w = Find(window)) old = w->surface;
        }
        auto fresh = std::make_shared<gdi::Surface>(after.right - after.left, after.bottom - after.top);
        if (old) {
            std::lock_guard<std::mutex> pixels(old->mutex);
            int cw = std::min(old->width, fresh->width), ch = std::min(old->height, fresh->height);
            for (int row = 0; row < ch; ++row)
                std::copy_n(old->pixels.begin() + static_cast<std::size_t>(row) * old->width, cw,
                            fresh->pixels.begin() + static_cast<std::size_t>(row) * fresh->width);
        }
        std::lock_guard<std::mutex> lock(S().mutex);
        if (Window* w = Find(window)) w->surface = fresh;
    }
    if (sized) {
        CallProc(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(after.right - after.left),
                                                              static_cast<WORD>(after.bottom - after.top)));
        InvalidateRect(window, nullptr, TRUE);
    }
    if (child && (sized || !EqualRect(&before, &after))) {
        InvalidateRect(parent, &before, TRUE);
        InvalidateRect(window, nullptr, TRUE);
    }
    if (top) NotifyHost(window, &user_host::Host::TopLevelChanged);
    if (control) NotifyHost(window, &user_host::Host::ControlChanged);
    return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    if (!IsWindow(window)) return FALSE;
    return static_cast<BOOL>(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")));
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (!IsWindow(window)) return 0;
    return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (index) {
        case GWLP_WNDPROC:
            if (!value) return 0;
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            break;
        case GWLP_USERDATA:
            old = w->userData;
            w->userData = value;
            break;
        case GWLP_ID:
            old = w->id;
            w->id = value;
            break;
        case GWL_STYLE:
            old = static_cast<LONG_PTR>(w->style);
            w->style = static_cast<DWORD>(value);
            break;
        case GWL_EXSTYLE:
            old = static_cast<LONG_PTR>(w->exStyle);
            w->exStyle = static_cast<DWORD>(value);
            break;
        default:
            return 0;
    }
    return old;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    if (!w) return 0;
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_USERDATA: return w->userData;
        case GWLP_ID: return w->id;
        case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
        case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
        default: return 0;
    }
}

BOOL EnableWindow(HWND window, BOOL enable) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    if (!w) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    return wasDisabled;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON: return 32;
        case SM_CXSCREEN: {
            std::lock_guard<std::mutex> lock(S().mutex);
            return S().screenWidth;
        }
        case SM_CYSCREEN: {
            std::lock_guard<std::mutex> lock(S().mutex);
            return S().screenHeight;
        }
        case SM_CMONITORS: {
            std::lock_guard<std::mutex> lock(S().mutex);
            return S().monitors;
        }
        default: return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT handled = 0; DefaultKeyboardProc(window, message, wParam, lParam, &handled)) return handled;
    switch (message) {
        case WM_NCCREATE: return TRUE;
        case WM_CREATE: return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (BeginPaint(window, &ps)) EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        case WM_SETTEXT: {
            bool top;
            {
                std::lock_guard<std::mutex> lock(S().mutex);
                Window* w = Find(window);
                if (!w) return FALSE;
                auto* text = reinterpret_cast<const char*>(lParam);
                w->text = text ? text : "";
                top = IsRealTopLevel(w);
            }
            if (top) NotifyHost(window, &user_host::Host::TopLevelChanged);
            return TRUE;
        }
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char*>(lParam);
            int size = static_cast<int>(wParam);
            if (!buffer || size <= 0) return 0;
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* w = Find(window);
            if (!w) {
                buffer[0] = '\0';
                return 0;
            }
            int n = std::min<int>(static_cast<int>(w->text.size()), size - 1);
            std::memcpy(buffer, w->text.data(), static_cast<std::size_t>(n));
            buffer[n] = '\0';
            return n;
        }
        case WM_GETTEXTLENGTH: {
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* w = Find(window);
            return w ? static_cast<LRESULT>(w->text.size()) : 0;
        }
        case WM_SETICON: {
            HICON old;
            bool top;
            {
                std::lock_guard<std::mutex> lock(S().mutex);
                Window* w = Find(window);
                if (!w) return 0;
                HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
                old = slot;
                slot = reinterpret_cast<HICON>(lParam);
                top = IsRealTopLevel(w);
            }
            if (top) NotifyHost(window, &user_host::Host::TopLevelChanged);
            return reinterpret_cast<LRESULT>(old);
        }
        case WM_GETICON: {
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* w = Find(window);
            if (!w) return 0;
            return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
        }
        default: return 0;
    }
}
