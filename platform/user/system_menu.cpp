// The system menu of each top-level window: the program's entries, then Close.
#include <deque>
#include <utility>

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
    user_host::MenuItem item{separator ? 0 : id, separator || !text ? std::string() : text, separator};
    item.checked = !separator && (flags & MF_CHECKED) != 0;
    item.radioCheck = !separator && (flags & MFT_RADIOCHECK) != 0;
    m->items.push_back(std::move(item));
    return TRUE;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return FALSE;
    auto& items = m->items;
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    auto positionOf = [&](UINT which) -> std::size_t {
        if (byPosition) return which < items.size() ? which : items.size();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!items[i].separator && items[i].id == which) return i;
        return items.size();
    };
    const std::size_t from = positionOf(first);
    const std::size_t to = positionOf(last);
    const std::size_t checked = positionOf(check);
    if (from > to || to >= items.size() || checked < from || checked > to) return FALSE;
    // Named after its first position, so moving the check keeps the group's number.
    const int group = static_cast<int>(from) + 1;
    for (std::size_t i = from; i <= to; ++i) {
        if (items[i].separator) continue;
        items[i].checked = items[i].radioCheck = i == checked;
        items[i].radioGroup = group;
    }
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
