// The message queue of the UI thread: messages sent from other threads first, then posted
// messages (FIFO), then input, then WM_QUIT, then WM_PAINT, then due timers.
#include <algorithm>

#include "platform/kernel/sync.h"
#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

// Messages for filter are those of the window and of its descendants. Lock held.
bool ForFilter(HWND target, HWND filter) {
    if (!filter) return true;
    if (!target) return false;
    return IsDescendantOrSelf(Find(target), filter);
}

LPARAM PointParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

// The deepest visible child of w under p (client coordinates of w), later siblings on
// top; p comes back in the found window's client coordinates. Lock held.
Window* DeepestUnder(Window* w, POINT& p) {
    for (;;) {
        Window* hit = nullptr;
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
            Window* c = Find(*it);
            if (!c || !(c->style & WS_VISIBLE)) continue;
            RECT area = c->rect;
            if (c->kind == Kind::ComboBox) area.bottom = area.top + ComboClosedHeight(c);
            if (PtInRect(&area, p)) {
                hit = c;
                break;
            }
        }
        if (!hit) return w;
        p.x -= hit->rect.left;
        p.y -= hit->rect.top;
        w = hit;
    }
}

bool TopDisabled(Window* w) {
    Window* top = TopOf(w);
    return !top || (top->style & WS_DISABLED) || (w->style & WS_DISABLED);
}

// Turns an input event into a message for its window; false when it reaches no window.
// Lock held.
bool Route(const InputEvent& ev, MSG* out) {
    Window* top = Find(ev.top);
    if (!top) return false;
    POINT screen{top->rect.left + ev.x, top->rect.top + ev.y};
    *out = MSG{nullptr, ev.message, ev.wParam, 0, ev.time, screen};
    if (ev.message == WM_KEYDOWN || ev.message == WM_KEYUP) {
        if (TopDisabled(top)) return false;
        Window* focus = Find(S().focus);
        out->hwnd = focus && IsDescendantOrSelf(focus, ev.top) ? focus->handle : ev.top;
        // The scan-code bits carry the character the key types (see TranslateMessage).
        const auto character = static_cast<LPARAM>(static_cast<BYTE>(ev.x)) << 16;
        out->lParam = (ev.message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001u) : 1) | character;
        return true;
    }
    if (ev.message == WM_APPCOMMAND) {
        if (TopDisabled(top)) return false;
        out->hwnd = ev.top;
        out->wParam = reinterpret_cast<WPARAM>(ev.top);
        out->lParam = MAKELPARAM(0, static_cast<WORD>(ev.wParam));
        return true;
    }
    Window* target = nullptr;
    POINT p{ev.x, ev.y};
    if (Window* cap = Find(S().capture)) {
        target = cap;
        POINT o = OriginOnScreen(cap);
        p = POINT{screen.x - o.x, screen.y - o.y};
    } else {
        target = DeepestUnder(top, p);
    }
    if (TopDisabled(target)) return false;
    out->hwnd = target->handle;
    out->lParam = PointParam(p.x, p.y);
    return true;
}

// The first window of the tree (top-level windows in creation order, parents before
// children) that needs painting. Lock held.
Window* FirstToPaint(Window* w, HWND filter) {
    if (!(w->style & WS_VISIBLE)) return nullptr;
    if (!IsRectEmpty(&w->update) && ForFilter(w->handle, filter)) return w;
    for (HWND c : w->children)
        if (Window* cw = Find(c))
            if (Window* found = FirstToPaint(cw, filter)) return found;
    return nullptr;
}

void HandleCrossThreadSends() {
    auto& s = S();
    for (;;) {
        std::shared_ptr<CrossThreadSend> job;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            auto it = std::find_if(s.sent.begin(), s.sent.end(), [](const auto& j) {
                Window* w = Find(j->msg.hwnd);
                return w && w->thread == std::this_thread::get_id();
            });
            if (it == s.sent.end()) return;
            job = *it;
            s.sent.erase(it);
        }
        LRESULT r = CallProc(job->msg.hwnd, job->msg.message, job->msg.wParam, job->msg.lParam);
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            job->result = r;
            job->done = true;
        }
        s.sentDone.notify_all();
    }
}

bool TakeMessage(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
    HandleCrossThreadSends();
    auto& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
        if (ForFilter(it->hwnd, filter) && InRange(it->message, first, last)) {
            *out = *it;
            if (remove) s.posted.erase(it);
            return true;
        }
    }
    while (!s.input.empty()) {
        MSG m;
        if (!Route(s.input.front(), &m)) {
            s.input.pop_front();  // nobody can take it
            continue;
        }
        if (!ForFilter(m.hwnd, filter) || !InRange(m.message, first, last)) break;
        *out = m;
        if (remove) s.input.pop_front();
        return true;
    }
    if (s.quitPosted && !filter) {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, GetTickCount(), POINT{0, 0}};
        if (remove) s.quitPosted = false;
        return true;
    }
    if (InRange(WM_PAINT, first, last)) {
        for (HWND t : s.topLevels) {
            Window* tw = Find(t);
            if (!tw) continue;
            if (Window* w = FirstToPaint(tw, filter)) {
                *out = MSG{w->handle, WM_PAINT, 0, 0, GetTickCount(), POINT{0, 0}};
                return true;  // WM_PAINT stays until the window is validated
            }
        }
    }
    if (InRange(WM_TIMER, first, last)) {
        auto now = Clock::now();
        Timer* due = nullptr;
        for (auto& t : s.timers)
            if (t.due <= now && ForFilter(t.window, filter) && (!due || t.due < due->due)) due = &t;
        if (due) {
            *out = MSG{due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->proc), GetTickCount(),
                       POINT{0, 0}};
            // One WM_TIMER however late: the next one is a period after this one is taken.
            if (remove) due->due = now + std::chrono::milliseconds(due->period);
            return true;
        }
    }
    return false;
}

MSGFILTERPROC g_modalFilter = nullptr;

HWND DialogOf(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* top = TopOf(Find(window));
    return top && top->kind == Kind::Dialog ? top->handle : nullptr;
}

}  // namespace

namespace user_internal {

void ForgetWindowInQueue(HWND window) {
    auto& s = S();
    s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(), [&](const MSG& m) { return m.hwnd == window; }),
                   s.posted.end());
    s.input.erase(std::remove_if(s.input.begin(), s.input.end(), [&](const InputEvent& e) { return e.top == window; }),
                  s.input.end());
    s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) { return t.window == window; }),
                   s.timers.end());
    if (s.capture == window) s.capture = nullptr;
    if (s.focus == window) s.focus = nullptr;
    bool released = false;
    for (auto it = s.sent.begin(); it != s.sent.end();) {
        if ((*it)->msg.hwnd == window) {
            (*it)->done = true;
            it = s.sent.erase(it);
            released = true;
        } else {
            ++it;
        }
    }
    if (released) s.sentDone.notify_all();
}

void WakeUiThread() {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        S().wakePending = true;
    }
    S().wake.notify_all();
    if (auto* host = user_host::GetHost()) host->Wake();
}

void WaitForWork() {
    auto& s = S();
    DWORD timeout = user_host::NextTimerDelay();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.posted.empty() || !s.input.empty() || !s.sent.empty() || s.quitPosted) return;
    }
    if (auto* host = user_host::GetHost()) {
        host->WaitForEvents(timeout);
        std::lock_guard<std::mutex> lock(s.mutex);
        s.wakePending = false;
        return;
    }
    std::unique_lock<std::mutex> lock(s.mutex);
    auto ready = [&] { return s.wakePending || !s.posted.empty() || !s.sent.empty() || !s.input.empty(); };
    if (timeout == INFINITE)
        s.wake.wait(lock, ready);
    else
        s.wake.wait_for(lock, std::chrono::milliseconds(timeout), ready);
    s.wakePending = false;
}

bool QuitPending() {
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().quitPosted;
}

bool PumpOne(HWND modalDialog, MSGFILTERPROC filter) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // every loop up the stack sees it too
        return false;
    }
    if (filter && filter(&msg)) return true;
    HWND dialog = modalDialog ? modalDialog : DialogOf(msg.hwnd);
    if (dialog && IsDialogMessageA(dialog, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

}  // namespace user_internal

void SetModalMessageFilter(MSGFILTERPROC filter) { g_modalFilter = filter; }
MSGFILTERPROC GetModalMessageFilter() { return g_modalFilter; }

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (window && !Find(window)) return FALSE;
        S().posted.push_back(MSG{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}});
    }
    WakeUiThread();
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& s = S();
    std::shared_ptr<CrossThreadSend> job;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        Window* w = Find(window);
        if (!w) return 0;
        if (w->thread != std::this_thread::get_id()) {
            job = std::make_shared<CrossThreadSend>();
            job->msg = MSG{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
            s.sent.push_back(job);
        }
    }
    if (!job) return CallProc(window, message, wParam, lParam);
    // From another thread the message waits for the window's thread to take it from its
    // queue, as on the platform; that thread must be running a message loop.
    WakeUiThread();
    std::unique_lock<std::mutex> lock(s.mutex);
    s.sentDone.wait(lock, [&] { return job->done; });
    return job->result;
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove) {
    if (!msg) return FALSE;
    return TakeMessage(msg, window, first, last, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last) {
    if (!msg) return -1;
    while (!TakeMessage(msg, window, first, last, true)) WaitForWork();
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    const auto character = static_cast<BYTE>((static_cast<std::uintptr_t>(msg->lParam) >> 16) & 0xFF);
    if (character == 0) return FALSE;
    return PostMessageA(msg->hwnd, WM_CHAR, character, msg->lParam);
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        S().quitPosted = true;
        S().quitCode = exitCode;
    }
    WakeUiThread();
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC proc) {
    auto& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (window && !Find(window)) return 0;
    if (!window) id = s.nextThreadTimerId++;
    UINT period = std::max<UINT>(milliseconds, 10);  // the platform's minimum period
    auto due = Clock::now() + std::chrono::milliseconds(period);
    for (auto& t : s.timers) {
        if (t.window == window && t.id == id) {
            t.period = period;
            t.due = due;
            t.proc = proc;
            return id == 0 ? 1 : id;
        }
    }
    s.timers.push_back(Timer{window, id, period, due, proc});
    return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    auto& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = std::find_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it == s.timers.end()) return FALSE;
    s.timers.erase(it);
    return TRUE;
}

HWND SetCapture(HWND window) {
    HWND old;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (!Find(window)) return nullptr;
        old = S().capture;
        S().capture = window;
    }
    if (old && old != window) SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return old;
}

BOOL ReleaseCapture() {
    HWND old;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        old = S().capture;
        S().capture = nullptr;
    }
    if (old) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    std::lock_guard<std::mutex> lock(S().mutex);
    return S().capture;
}

namespace user_host {

DWORD NextTimerDelay() {
    auto& s = S();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.timers.empty()) return INFINITE;
    auto now = Clock::now();
    auto next = std::min_element(s.timers.begin(), s.timers.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; })->due;
    if (next <= now) return 0;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1;
    return static_cast<DWORD>(ms);
}

bool TakesUserInput(HWND window) {
    std::lock_guard<std::mutex> lock(S().mutex);
    Window* w = Find(window);
    if (!w) return false;
    if (S().capture && S().capture != window) return false;
    return !TopDisabled(w);
}

void InjectMouse(HWND top, UINT message, int x, int y, WPARAM keys) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (!Find(top)) return;
        S().input.push_back(InputEvent{top, message, x, y, keys, GetTickCount()});
    }
    WakeUiThread();
}

void InjectKey(HWND top, UINT virtualKey, BYTE character) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (!Find(top)) return;
        S().input.push_back(InputEvent{top, WM_KEYDOWN, character, 0, virtualKey, GetTickCount()});
        S().input.push_back(InputEvent{top, WM_KEYUP, character, 0, virtualKey, GetTickCount()});
    }
    WakeUiThread();
}

void InjectActivate(HWND top, bool active) { PostMessageA(top, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0); }

void InjectAppCommand(HWND top, short command, WORD device) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        if (!Find(top)) return;
        const auto high = static_cast<WPARAM>((static_cast<WORD>(command) & ~FAPPCOMMAND_MASK) | device);
        S().input.push_back(InputEvent{top, WM_APPCOMMAND, 0, 0, high, GetTickCount()});
    }
    WakeUiThread();
}

void InjectClose(HWND top) { PostMessageA(top, WM_CLOSE, 0, 0); }

void InjectSysCommand(HWND top, UINT_PTR id) { PostMessageA(top, WM_SYSCOMMAND, id, 0); }

int PumpPending() {
    int n = 0;
    // Bounded, so a window that never validates itself cannot hold the caller forever.
    while (n < 100000 && PumpOne(nullptr, GetModalMessageFilter())) ++n;
    return n;
}

}  // namespace user_host
