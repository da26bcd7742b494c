// What the framework's own files share.
#pragma once

#include <string>

#include "platform/mfc/afxwin.h"

namespace mfc_internal {

// The window-creation hook: attaches the object waiting to be attached on this thread.
void CreationHook(HWND window);
// The pre-translation walk: from the message's window up to its top-level window, each
// attached object's PreTranslateMessage until one takes the message.
BOOL PreTranslateWalk(MSG* msg);
LPCSTR DefaultClassName();
// The application's name for captions: its own name, else the executable's file title.
std::string AppName();

}  // namespace mfc_internal
