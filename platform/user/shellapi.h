// Files dropped on a window: a window that accepts files (DragAcceptFiles) receives
// WM_DROPFILES with a drop handle, reads the files' layer paths from it and frees it.
#pragma once

#include "platform/user/winuser.h"

struct HDROP__;
using HDROP = HDROP__*;

constexpr UINT WM_DROPFILES = 0x0233;  // wParam: the HDROP, which the receiver frees
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;

// Sets or clears WS_EX_ACCEPTFILES; the host accepts drags over the window only while
// a window of it accepts files.
void DragAcceptFiles(HWND window, BOOL accept);
// index 0xFFFFFFFF: the number of files. With a null buffer: the length of file index
// (without the terminator). Otherwise copies it, cut to size - 1 characters, and returns
// the characters copied. 0 for a handle that is not a live drop or an index past the end.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
// Where the drop landed, in the client coordinates of the window that received it.
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);
