#include "tests/platform/user/test_window.h"

#include "platform/user/host.h"

namespace test_window {

std::vector<Event>& Log() {
    static std::vector<Event> log;
    return log;
}

std::vector<Event> Of(UINT message) {
    std::vector<Event> out;
    for (auto& e : Log())
        if (e.message == message) out.push_back(e);
    return out;
}

namespace {
LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    Log().push_back(Event{w, m, wp, lp});
    return DefWindowProcA(w, m, wp, lp);
}
}  // namespace

const char* ClassName() {
    static bool once = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = Proc;
        cls.lpszClassName = "Recorder";
        RegisterClassA(&cls);
        return true;
    }();
    (void)once;
    return "Recorder";
}

HWND CreateTop(int width, int height, bool visible) {
    return CreateWindowExA(0, ClassName(), "top", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

HWND CreateChild(HWND parent, int id, RECT r, bool visible) {
    return CreateWindowExA(0, ClassName(), nullptr, WS_CHILD | (visible ? WS_VISIBLE : 0), r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
}

}  // namespace test_window
