// A tool-tip control with one tool whose text is a string resource, as the program sets
// one up; shared by the layer's tests and the desktop host's.
#pragma once

#include "platform/user/resources.h"
#include "platform/user/winuser.h"

namespace test_window {

inline HWND CreateToolTipWithTool(HWND top, UINT stringId, const char* text, RECT rect) {
    RegisterStringResource(stringId, text);
    HWND tip = CreateWindowExA(0, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, top, nullptr,
                               nullptr, nullptr);
    if (!tip) return nullptr;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = top;
    tool.uId = stringId;
    tool.rect = rect;
    tool.lpszText = const_cast<LPSTR>(MAKEINTRESOURCEA(stringId));
    if (!SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
        DestroyWindow(tip);
        return nullptr;
    }
    SendMessageA(tip, TTM_ACTIVATE, TRUE, 0);
    return tip;
}

}  // namespace test_window
