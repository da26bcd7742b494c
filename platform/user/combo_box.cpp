// The drop-down list combo box as a model; the host shows it and reports picks.
#include <algorithm>
#include <cstring>
#include <optional>
#include <strings.h>

#include "platform/user/window_table.h"

using namespace user_internal;

// The height of the closed box: the font's pixel height plus the platform's margins,
// never taller than the window itself.
int user_internal::ComboClosedHeight(const Window* w) {
    int points = 8;
    std::string face;
    if (w->font) user_host::GetFontInfo(w->font, &face, &points);
    int pixels = (points * 96 + 71) / 72;
    return std::min<int>(pixels + 6, w->rect.bottom - w->rect.top);
}

namespace {

constexpr int kDefaultPointSize = 8;

void Changed(HWND combo) {
    if (auto* host = user_host::GetHost()) host->ControlChanged(combo);
}

int ClosedHeight(const Window* w) { return user_internal::ComboClosedHeight(w); }

// changed: the box's look changed; edit: its items or selection did, by that one edit.
LRESULT Handle(Window* w, UINT message, WPARAM wParam, LPARAM lParam, bool* changed,
               std::optional<user_host::ComboEdit>* edit) {
    using Kind = user_host::ComboEdit::Kind;
    ComboModel& m = *w->combo;
    int count = static_cast<int>(m.items.size());
    int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
    auto text = [&] { auto* t = reinterpret_cast<const char*>(lParam); return std::string(t ? t : ""); };
    switch (message) {
        case CB_ADDSTRING: {
            std::string s = text();
            int at = count;
            if (w->style & CBS_SORT)
                while (at > 0 && strcasecmp(m.items[at - 1].text.c_str(), s.c_str()) > 0) --at;
            m.items.insert(m.items.begin() + at, user_host::ComboItem{s, 0});
            if (m.selection >= at) ++m.selection;
            *edit = user_host::ComboEdit{Kind::Insert, at, s, m.selection};
            return at;
        }
        case CB_INSERTSTRING: {
            if (index == -1) index = count;
            if (index < 0 || index > count) return CB_ERR;
            m.items.insert(m.items.begin() + index, user_host::ComboItem{text(), 0});
            if (m.selection >= index) ++m.selection;
            *edit = user_host::ComboEdit{Kind::Insert, index, m.items[index].text, m.selection};
            return index;
        }
        case CB_DELETESTRING: {
            if (index < 0 || index >= count) return CB_ERR;
            m.items.erase(m.items.begin() + index);
            if (m.selection == index)
                m.selection = -1;
            else if (m.selection > index)
                --m.selection;
            *edit = user_host::ComboEdit{Kind::Delete, index, "", m.selection};
            return count - 1;
        }
        case CB_RESETCONTENT:
            m.items.clear();
            m.selection = -1;
            *edit = user_host::ComboEdit{Kind::Reset, 0, "", -1};
            return 0;
        case CB_GETCOUNT: return count;
        case CB_GETCURSEL: return m.selection;
        case CB_SETCURSEL: {
            const bool valid = index >= 0 && index < count;
            m.selection = valid ? index : -1;
            *edit = user_host::ComboEdit{Kind::Select, m.selection, "", m.selection};
            return valid ? index : CB_ERR;
        }
        case CB_GETITEMDATA:
            if (index < 0 || index >= count) return CB_ERR;
            return static_cast<LRESULT>(m.items[index].data);
        case CB_SETITEMDATA:
            if (index < 0 || index >= count) return CB_ERR;
            m.items[index].data = static_cast<DWORD_PTR>(lParam);  // never shown: no host news
            return 0;
        case CB_GETLBTEXTLEN:
            if (index < 0 || index >= count) return CB_ERR;
            return static_cast<LRESULT>(m.items[index].text.size());
        case CB_GETLBTEXT: {
            if (index < 0 || index >= count) return CB_ERR;
            auto* buffer = reinterpret_cast<char*>(lParam);
            const std::string& s = m.items[index].text;
            if (buffer) std::memcpy(buffer, s.c_str(), s.size() + 1);  // the caller sizes it, as on the platform
            return static_cast<LRESULT>(s.size());
        }
        case CB_SETDROPPEDWIDTH:
            if (index < 0) return CB_ERR;
            m.droppedWidth = index;
            *changed = true;
            return std::max<LRESULT>(m.droppedWidth, w->rect.right - w->rect.left);
        case CB_GETDROPPEDWIDTH: return std::max<LRESULT>(m.droppedWidth, w->rect.right - w->rect.left);
        case CB_SETCUEBANNER:
            m.cueBanner = text();
            *changed = true;
            return 1;
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wParam);
            *changed = true;
            return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
        default: return -2;  // not a combo message
    }
}

}  // namespace

namespace user_internal {

LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool changed = false;
    std::optional<user_host::ComboEdit> edit;
    LRESULT r;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w || !w->combo) return 0;
        r = Handle(w, message, wParam, lParam, &changed, &edit);
    }
    if (r == -2) return DefWindowProcA(window, message, wParam, lParam);
    if (edit) {
        if (auto* host = user_host::GetHost()) host->ComboEdited(window, *edit);
    } else if (changed) {
        Changed(window);
    }
    return r;
}

}  // namespace user_internal

namespace user_host {

ComboState GetComboState(HWND combo) {
    ComboState state{RECT{0, 0, 0, 0}, 0, 0, -1, {}, "", kDefaultPointSize, false, ""};
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(combo);
    if (!w || !w->combo) return state;
    POINT o = OriginInTop(w);
    state.rect = RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
    state.itemHeight = ClosedHeight(w);
    state.droppedWidth = std::max<int>(w->combo->droppedWidth, w->rect.right - w->rect.left);
    state.selection = w->combo->selection;
    state.items = w->combo->items;
    state.cueBanner = w->combo->cueBanner;
    if (w->font) GetFontInfo(w->font, &state.fontFace, &state.fontPointSize);
    bool visible = true;
    for (Window* p = w; p; p = (p->style & WS_CHILD) ? Find(p->parent) : nullptr)
        if (!(p->style & WS_VISIBLE)) visible = false;
    state.visible = visible;
    return state;
}

void InjectComboSelection(HWND combo, int index) {
    HWND parent;
    int id;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(combo);
        if (!w || !w->combo) return;
        if (index < 0 || index >= static_cast<int>(w->combo->items.size())) return;
        w->combo->selection = index;
        parent = w->parent;
        id = static_cast<int>(w->id);
    }
    if (auto* host = user_host::GetHost())
        host->ComboEdited(combo, ComboEdit{ComboEdit::Kind::Select, index, "", index});
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

}  // namespace user_host
