// Drops: the host hands in files dropped on a top-level window; the deepest window under
// the point that accepts files, or its nearest ancestor that does, receives them.
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "platform/kernel/module.h"
#include "platform/user/shellapi.h"
#include "platform/user/window_table.h"

using namespace user_internal;

struct HDROP__ {
    POINT point;
    std::vector<std::string> files;  // layer paths
};

namespace {

std::mutex g_dropLock;
std::set<HDROP>& LiveDrops() {
    static std::set<HDROP> drops;
    return drops;
}

const HDROP__* Live(HDROP drop) {
    return LiveDrops().count(drop) ? drop : nullptr;
}

bool Accepts(const Window* w) { return w && (w->exStyle & WS_EX_ACCEPTFILES); }

bool TreeAccepts(const Window* w) {
    if (Accepts(w)) return true;
    for (HWND c : w->children)
        if (const Window* cw = Find(c); cw && TreeAccepts(cw)) return true;
    return false;
}

}  // namespace

void DragAcceptFiles(HWND window, BOOL accept) {
    HWND top = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w) return;
        const DWORD before = w->exStyle;
        w->exStyle = accept ? (before | WS_EX_ACCEPTFILES) : (before & ~WS_EX_ACCEPTFILES);
        if (w->exStyle != before)
            if (Window* t = TopOf(w)) top = t->handle;
    }
    if (auto* host = user_host::GetHost(); host && top) host->TopLevelChanged(top);
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
    std::lock_guard<std::mutex> hold(g_dropLock);
    const HDROP__* d = Live(drop);
    if (!d) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(d->files.size());
    if (index >= d->files.size()) return 0;
    const std::string& path = d->files[index];
    if (!file) return static_cast<UINT>(path.size());
    if (size == 0) return 0;
    const std::size_t n = std::min<std::size_t>(path.size(), size - 1);
    std::memcpy(file, path.data(), n);
    file[n] = '\0';
    return static_cast<UINT>(n);
}

BOOL DragQueryPoint(HDROP drop, POINT* point) {
    std::lock_guard<std::mutex> hold(g_dropLock);
    const HDROP__* d = Live(drop);
    if (!d || !point) return FALSE;
    *point = d->point;
    return TRUE;
}

void DragFinish(HDROP drop) {
    std::lock_guard<std::mutex> hold(g_dropLock);
    if (LiveDrops().erase(drop)) delete drop;
}

namespace user_host {

bool AcceptsFiles(HWND top) {
    std::lock_guard<std::mutex> lock(S().mutex);
    const Window* w = Find(top);
    return w && TreeAccepts(w);
}

bool InjectDropFiles(HWND top, int x, int y, const std::vector<std::string>& nativePaths) {
    if (nativePaths.empty()) return false;
    HWND target = nullptr;
    POINT at{x, y};
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(top);
        if (!w || (w->style & WS_DISABLED)) return false;
        // The deepest visible window under the point, then up to one that accepts files.
        POINT p{x, y};
        Window* hit = w;
        for (bool deeper = true; deeper;) {
            deeper = false;
            for (auto it = hit->children.rbegin(); it != hit->children.rend(); ++it) {
                Window* c = Find(*it);
                if (!c || !(c->style & WS_VISIBLE) || !PtInRect(&c->rect, p)) continue;
                p.x -= c->rect.left;
                p.y -= c->rect.top;
                hit = c;
                deeper = true;
                break;
            }
        }
        while (hit && !Accepts(hit)) hit = (hit->style & WS_CHILD) ? Find(hit->parent) : nullptr;
        if (!hit) return false;
        target = hit->handle;
        const POINT origin = OriginInTop(hit);
        at = POINT{x - origin.x, y - origin.y};
    }
    auto drop = std::make_unique<HDROP__>();
    drop->point = at;
    for (const std::string& path : nativePaths) drop->files.push_back(LayerPath(path));
    HDROP handle = drop.release();
    {
        std::lock_guard<std::mutex> hold(g_dropLock);
        LiveDrops().insert(handle);
    }
    if (PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0)) return true;
    DragFinish(handle);
    return false;
}

}  // namespace user_host
