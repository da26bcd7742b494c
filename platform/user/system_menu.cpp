// The system menu of each top-level window: the program's entries, then Close.
#include <deque>

#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

struct Menu {
    std::vector<user_host::MenuItem> items;
};

std::deque<Menu>& Menus() {
    static std::deque<Menu> menus;  // element addresses are the HMENUs; guarded by S().mutex
    return menus;
}

Menu* MenuOf(HMENU handle) {
    for (auto& m : Menus())
        if (reinterpret_cast<HMENU>(&m) == handle) return &m;
    return nullptr;
}

}  // namespace

HMENU GetSystemMenu(HWND window, BOOL revert) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    if (!w || (w->style & WS_CHILD) || w->kind == Kind::ToolTip) return nullptr;
    if (revert) {
        if (Menu* m = MenuOf(w->systemMenu)) m->items.clear();
        return nullptr;
    }
    if (!w->systemMenu) {
        Menus().emplace_back();
        w->systemMenu = reinterpret_cast<HMENU>(&Menus().back());
    }
    return w->systemMenu;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return FALSE;
    bool separator = (flags & MF_SEPARATOR) != 0;
    m->items.push_back(user_host::MenuItem{separator ? 0 : id, separator || !text ? std::string() : text, separator});
    return TRUE;
}

namespace user_host {

std::vector<MenuItem> SystemMenuItems(HWND top) {
    std::vector<MenuItem> items;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(top);
        if (!w) return items;
        if (Menu* m = MenuOf(w->systemMenu)) items = m->items;
    }
    items.push_back(MenuItem{0, "", true});
    items.push_back(MenuItem{SC_CLOSE, "Close", false});
    return items;
}

}  // namespace user_host
