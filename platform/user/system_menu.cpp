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

namespace {

user_host::MenuItem ItemOf(UINT flags, UINT_PTR id, LPCSTR text) {
    const bool separator = (flags & MF_SEPARATOR) != 0;
    user_host::MenuItem item{separator ? 0 : id, separator || !text ? std::string() : text, separator};
    item.checked = !separator && (flags & MF_CHECKED) != 0;
    item.radioCheck = !separator && (flags & MFT_RADIOCHECK) != 0;
    item.grayed = !separator && (flags & (MF_GRAYED | MF_DISABLED)) != 0;
    return item;
}

// The position of an item named by command id or by position; items.size() when none.
std::size_t PositionOf(const Menu& m, UINT which, UINT flags) {
    if (flags & MF_BYPOSITION) return which < m.items.size() ? which : m.items.size();
    for (std::size_t i = 0; i < m.items.size(); ++i)
        if (!m.items[i].separator && m.items[i].id == which) return i;
    return m.items.size();
}

}  // namespace

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return FALSE;
    m->items.push_back(ItemOf(flags, id, text));
    return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return FALSE;
    const std::size_t at = PositionOf(*m, position, flags);
    // By command, the item must exist; by position, past the end appends.
    if (at == m->items.size() && !(flags & MF_BYPOSITION)) return FALSE;
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), ItemOf(flags, id, text));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return FALSE;
    const std::size_t at = PositionOf(*m, position, flags);
    if (at == m->items.size()) return FALSE;
    m->items.erase(m->items.begin() + static_cast<std::ptrdiff_t>(at));
    return TRUE;
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return static_cast<UINT>(-1);
    const std::size_t at = PositionOf(*m, item, enable);
    if (at == m->items.size()) return static_cast<UINT>(-1);
    const UINT previous = m->items[at].grayed ? MF_GRAYED : MF_ENABLED;
    m->items[at].grayed = (enable & (MF_GRAYED | MF_DISABLED)) != 0;
    return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Menu* m = MenuOf(menu);
    if (!m) return FALSE;
    auto& items = m->items;
    const std::size_t from = PositionOf(*m, first, flags);
    const std::size_t to = PositionOf(*m, last, flags);
    const std::size_t checked = PositionOf(*m, check, flags);
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

void InitSystemMenu(HWND top) {
    HMENU menu = nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(top);
        if (!w || !w->systemMenu) return;
        menu = w->systemMenu;
    }
    SendMessageA(top, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
}

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
