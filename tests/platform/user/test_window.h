// A recording window class for the layer's tests.
#pragma once

#include <string>
#include <vector>

#include "platform/user/winuser.h"

namespace test_window {

struct Event {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message that reaches a window of the class "Recorder", in order.
std::vector<Event>& Log();
// Only the messages of one kind, e.g. the WM_TIMER ids or posted WM_USER values.
std::vector<Event> Of(UINT message);
const char* ClassName();  // registered on first use
HWND CreateTop(int width, int height, bool visible = true);
HWND CreateChild(HWND parent, int id, RECT rect, bool visible = true);

}  // namespace test_window
