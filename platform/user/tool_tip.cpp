// The tool-tip control as a model: it follows relayed mouse messages and asks the host
// to show a tool's text once the pointer has rested in the tool for a moment.
#include <algorithm>

#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

constexpr UINT_PTR kRestTimer = 1;
constexpr UINT kRestMs = 500;

std::string ToolText(const TOOLINFOA& info) {
    if (!info.lpszText) return "";
    if (IS_INTRESOURCE(info.lpszText)) {
        char buffer[1024];
        LoadStringA(info.hinst, static_cast<UINT>(reinterpret_cast<std::uintptr_t>(info.lpszText)), buffer,
                    sizeof buffer);
        return buffer;
    }
    return info.lpszText;
}

// The tool under the pointer of a relayed message, or -1. Lock held.
int ToolAt(const ToolTipModel& m, HWND window, POINT p) {
    for (std::size_t i = 0; i < m.tools.size(); ++i) {
        const Tool& t = m.tools[i];
        if (t.flags & TTF_IDISHWND) {
            auto whole = reinterpret_cast<HWND>(t.id);
            Window* w = Find(whole);
            if (whole == window && w) {
                RECT client = ClientRect(w);
                if (PtInRect(&client, p)) return static_cast<int>(i);
            }
        } else if (t.window == window && PtInRect(&t.rect, p)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindTool(const ToolTipModel& m, HWND window, UINT_PTR id) {
    for (std::size_t i = 0; i < m.tools.size(); ++i)
        if (m.tools[i].window == window && m.tools[i].id == id) return static_cast<int>(i);
    return -1;
}

// Marks the hovered tool's tip shown and says where and what; false when it has no
// window to show on. Lock held.
bool ShowHovered(ToolTipModel& m, HWND* on, POINT* at, std::string* text) {
    if (m.hovered < 0 || m.hovered >= static_cast<int>(m.tools.size())) return false;
    Window* top = TopOf(Find(m.tools[static_cast<std::size_t>(m.hovered)].window));
    if (!top) return false;
    m.showing = true;
    m.shownOn = top->handle;
    *on = top->handle;
    *at = m.lastPoint;
    *text = m.tools[static_cast<std::size_t>(m.hovered)].text;
    return true;
}

struct Effects {
    bool hide = false;
    HWND hideOn = nullptr;
    bool startTimer = false;
    bool stopTimer = false;
};

void Hide(ToolTipModel& m, Effects& fx) {
    if (m.showing) {
        m.showing = false;
        fx.hide = true;
        fx.hideOn = m.shownOn;
    }
}

void Relay(Window* tip, const MSG& msg, Effects& fx) {
    ToolTipModel& m = *tip->toolTip;
    bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
    if (!mouse || !m.active) return;
    Window* target = Find(msg.hwnd);
    if (!target) return;
    POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    int tool = ToolAt(m, msg.hwnd, p);
    POINT o = OriginInTop(target);
    m.lastPoint = POINT{p.x + o.x, p.y + o.y};
    if (msg.message != WM_MOUSEMOVE) {  // a press or release hides the tip for this visit
        Hide(m, fx);
        fx.stopTimer = true;
        m.suppressed = tool >= 0;
        m.hovered = tool;
        return;
    }
    if (tool == m.hovered) return;  // resting in the same tool, or still outside every tool
    Hide(m, fx);
    m.hovered = tool;
    m.suppressed = false;
    if (tool >= 0)
        fx.startTimer = true;
    else
        fx.stopTimer = true;
}

void Apply(HWND tip, const Effects& fx) {
    if (fx.hide)
        if (auto* host = user_host::GetHost()) host->HideToolTip(fx.hideOn);
    if (fx.stopTimer) KillTimer(tip, kRestTimer);
    if (fx.startTimer) SetTimer(tip, kRestTimer, kRestMs, nullptr);
}

}  // namespace

namespace user_internal {

LRESULT ToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Effects fx;
    LRESULT result = 0;
    bool changed = false;
    HWND showOn = nullptr;
    POINT showAt{0, 0};
    std::string showText;
    std::string newText;  // read before taking the lock: the string table has its own
    if ((message == TTM_ADDTOOLA || message == TTM_UPDATETIPTEXTA) && lParam)
        newText = ToolText(*reinterpret_cast<const TOOLINFOA*>(lParam));
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(window);
        if (!w || !w->toolTip) return 0;
        ToolTipModel& m = *w->toolTip;
        switch (message) {
            case TTM_ADDTOOLA: {
                auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
                if (!info) return FALSE;
                m.tools.push_back(Tool{info->hwnd, info->uId, info->uFlags, info->rect, newText});
                changed = true;
                result = TRUE;
                break;
            }
            case TTM_DELTOOLA: {
                auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
                if (!info) return 0;
                auto& tools = m.tools;
                auto it = std::find_if(tools.begin(), tools.end(),
                                       [&](const Tool& t) { return t.window == info->hwnd && t.id == info->uId; });
                if (it != tools.end()) {
                    if (static_cast<int>(it - tools.begin()) == m.hovered) {
                        Hide(m, fx);
                        fx.stopTimer = true;
                    }
                    tools.erase(it);
                    m.hovered = -1;
                    changed = true;
                }
                break;
            }
            case TTM_UPDATETIPTEXTA: {
                auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
                if (!info) return 0;
                const int at = FindTool(m, info->hwnd, info->uId);
                if (at < 0) break;
                m.tools[static_cast<std::size_t>(at)].text = newText;
                // A tip on show follows its text, as the user reads it.
                if (m.showing && at == m.hovered) ShowHovered(m, &showOn, &showAt, &showText);
                break;
            }
            case TTM_POPUP:
                // Now, not after the pointer rests: the program has something to say.
                if (!m.active || m.hovered < 0) break;
                Hide(m, fx);
                fx.stopTimer = true;
                m.suppressed = false;
                ShowHovered(m, &showOn, &showAt, &showText);
                break;
            case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(m.tools.size());
            case TTM_ACTIVATE:
                m.active = wParam != 0;
                if (!m.active) {
                    Hide(m, fx);
                    fx.stopTimer = true;
                    m.hovered = -1;
                }
                changed = true;
                break;
            case TTM_RELAYEVENT:
                if (auto* msg = reinterpret_cast<const MSG*>(lParam)) Relay(w, *msg, fx);
                break;
            case WM_TIMER:
                if (wParam != kRestTimer) break;
                fx.stopTimer = true;
                if (m.active && !m.suppressed && !m.showing) ShowHovered(m, &showOn, &showAt, &showText);
                break;
            default:
                break;
        }
    }
    if (message != TTM_ADDTOOLA && message != TTM_DELTOOLA && message != TTM_GETTOOLCOUNT && message != TTM_ACTIVATE &&
        message != TTM_RELAYEVENT && message != TTM_UPDATETIPTEXTA && message != TTM_POPUP && message != WM_TIMER)
        return DefWindowProcA(window, message, wParam, lParam);
    Apply(window, fx);
    if (showOn)
        if (auto* host = user_host::GetHost()) host->ShowToolTip(showOn, showAt, showText);
    if (changed)
        if (auto* host = user_host::GetHost()) host->ControlChanged(window);
    return result;
}

}  // namespace user_internal
