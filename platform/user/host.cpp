// The installed host and what hosts read from the layer.
#include <atomic>

#include "platform/user/window_table.h"

using namespace user_internal;

namespace {
std::atomic<user_host::Host*> g_host{nullptr};
}

namespace user_host {

void SetHost(Host* host) { g_host.store(host); }
Host* GetHost() { return g_host.load(); }

std::shared_ptr<gdi::Surface> TopLevelSurface(HWND top) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    return w ? w->surface : nullptr;
}

std::vector<HWND> TopLevelWindows() {
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().topLevels;
}

std::string WindowCaption(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    return w ? w->text : std::string();
}

bool IsComboBox(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    return w && w->kind == Kind::ComboBox;
}

bool IsToolTip(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    return w && w->kind == Kind::ToolTip;
}

HWND TopLevelOf(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = TopOf(Find(window));
    return w ? w->handle : nullptr;
}

HICON WindowIcon(HWND top, bool big) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    if (!w) return nullptr;
    return big ? w->iconBig : w->iconSmall;
}

const DialogTemplate* WindowTemplate(HWND top) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    return w ? w->dialogTemplate : nullptr;
}

void SetTopLevelPosition(HWND top, int x, int y) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(top);
    if (!w || (w->style & WS_CHILD)) return;
    OffsetRect(&w->rect, x - w->rect.left, y - w->rect.top);
}

void SetTopLevelMinimized(HWND top, bool minimized) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(top);
        if (!w || (w->style & WS_CHILD)) return;
        if (minimized)
            w->style |= WS_MINIMIZE;
        else
            w->style &= ~WS_MINIMIZE;
    }
    InvalidateRect(top, nullptr, TRUE);
}

void SetScreenSize(int width, int height) {
    std::lock_guard<std::mutex> lock(S().mutex);
    S().screenWidth = width;
    S().screenHeight = height;
}

void SetMonitorCount(int count) {
    std::lock_guard<std::mutex> lock(S().mutex);
    S().monitors = count;
}

}  // namespace user_host

namespace {
thread_local int t_comCount = 0;
}

HRESULT CoInitialize(void*) { return t_comCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (t_comCount > 0) --t_comCount;
}
