// Windows, the message queue, timers, capture, painting, dialogs, message boxes, the
// file-open dialog, the system menu, resources and the native controls' messages.
// One user-interface thread owns every window; PostMessageA is safe from any thread.
#pragma once

#include "platform/gdi/wingdi.h"
#include "platform/kernel/types.h"

using LONG_PTR = std::intptr_t;
using INT_PTR = std::intptr_t;
using ATOM = WORD;
using HCURSOR = HICON;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Messages
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_FONTCHANGE = 0x001D;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_INITMENU = 0x0116;  // wParam: the menu about to open
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSELAST = 0x0209;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_APPCOMMAND = 0x0319;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_GETICON = 0x007F;
constexpr UINT WM_USER = 0x0400;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WORD BN_CLICKED = 0;

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;

constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_MEDIA_NEXT_TRACK = 0xB0;
constexpr UINT VK_MEDIA_PREV_TRACK = 0xB1;
constexpr UINT VK_MEDIA_STOP = 0xB2;
constexpr UINT VK_MEDIA_PLAY_PAUSE = 0xB3;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// WM_APPCOMMAND: wParam the window it arose in, lParam's high word the command and the
// device it came from.
constexpr short APPCOMMAND_MEDIA_NEXTTRACK = 11;
constexpr short APPCOMMAND_MEDIA_PREVIOUSTRACK = 12;
constexpr short APPCOMMAND_MEDIA_STOP = 13;
constexpr short APPCOMMAND_MEDIA_PLAY_PAUSE = 14;
constexpr short APPCOMMAND_MEDIA_PLAY = 46;
constexpr short APPCOMMAND_MEDIA_PAUSE = 47;
constexpr WORD FAPPCOMMAND_KEY = 0;
constexpr WORD FAPPCOMMAND_OEM = 0x1000;
constexpr WORD FAPPCOMMAND_MASK = 0xF000;
constexpr short GET_APPCOMMAND_LPARAM(LPARAM lParam) {
    return static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)) & ~FAPPCOMMAND_MASK);
}

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_KEYMENU = 0xF100;
constexpr UINT MF_STRING = 0x00000000;
constexpr UINT MF_SEPARATOR = 0x00000800;
constexpr UINT MF_UNCHECKED = 0x00000000;
constexpr UINT MF_CHECKED = 0x00000008;
constexpr UINT MF_BYCOMMAND = 0x00000000;
constexpr UINT MF_BYPOSITION = 0x00000400;
constexpr UINT MFT_RADIOCHECK = 0x00000200;  // the check mark is a bullet
constexpr UINT MF_ENABLED = 0x00000000;
constexpr UINT MF_GRAYED = 0x00000001;
constexpr UINT MF_DISABLED = 0x00000002;

constexpr UINT ICON_SMALL = 0;
constexpr UINT ICON_BIG = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CMONITORS = 80;  // 0: nowhere to show a window

// Styles
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_MODALFRAME = 0x00000080;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_ID = -12;
constexpr int GWLP_USERDATA = -21;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct CREATESTRUCTA {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;  // the control id for a child window
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    void* hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Resource ids are passed as small integers in a pointer, as on the platform.
inline LPCSTR MAKEINTRESOURCEA(UINT id) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0; }

// Window classes and windows. Child windows are rectangles of their top-level window's
// surface; a top-level window appears on the host when it is shown.
ATOM RegisterClassA(const WNDCLASSA* cls);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param);
// WM_DESTROY to the window, then to its children (depth first), then WM_NCDESTROY.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
HWND GetParent(HWND window);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND window);
HWND GetDesktopWindow();
BOOL GetClientRect(HWND window, RECT* out);
BOOL GetWindowRect(HWND window, RECT* out);  // screen coordinates
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR buffer, int size);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
BOOL EnableWindow(HWND window, BOOL enable);
int GetSystemMetrics(int index);

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Called on this thread for every window it creates, once the handle exists and before
// the window's first message (WM_NCCREATE): the window framework attaches its object and
// subclasses built-in controls here. Null removes the hook.
using CREATEHOOKPROC = void (*)(HWND window);
void SetWindowCreationHook(CREATEHOOKPROC hook);
LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages. Posted messages are FIFO and come before input; WM_PAINT comes when nothing
// else is pending; WM_TIMER comes last and at most once per timer while pending.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
// A key that types a character gets WM_CHAR posted after its WM_KEYDOWN; the layer's
// keyboard carries that character in the key message's scan-code bits (16..23).
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
void PostQuitMessage(int exitCode);
// Enter and Escape in a dialog (or its children) become WM_COMMAND IDOK / IDCANCEL.
BOOL IsDialogMessageA(HWND dialog, MSG* msg);

// A filter the modal dialog loop offers each message before the dialog keys and the
// dispatch; TRUE swallows it. The window framework installs its pre-translation here.
using MSGFILTERPROC = BOOL (*)(MSG* msg);
void SetModalMessageFilter(MSGFILTERPROC filter);
MSGFILTERPROC GetModalMessageFilter();

// Timers per (window, id): a second SetTimer with the same id replaces the period.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);

// Keyboard focus: key messages go to the focus window while its top-level window has
// the keyboard (WM_ACTIVATE); WM_KILLFOCUS and WM_SETFOCUS tell the windows concerned.
HWND SetFocus(HWND window);  // the window that had the focus
HWND GetFocus();

// What a window plays, for the desktop's media controls: the host shows it (the Qt host
// as an MPRIS player) and turns the controls' commands into WM_APPCOMMAND to the window.
constexpr DWORD MPF_PLAYING = 0x1;
constexpr DWORD MPF_CONTROLLABLE = 0x2;  // the window takes commands now
struct MEDIAPLAYBACKINFOA {
    UINT cbSize;
    DWORD dwFlags;
    char szTitle[256];
    char szArtist[256];
    char szFile[260];  // layer path of what plays or would play; "" for none
};
BOOL SetMediaPlaybackInfoA(HWND window, const MEDIAPLAYBACKINFOA* info);

// Mouse: the capture window receives all mouse messages, in its client coordinates.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// Painting and DCs. A window DC draws onto the top-level surface at the window's place,
// clipped to the window; it may be used from any thread. GetDC(NULL) is the screen.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND window);
HDC BeginPaint(HWND window, PAINTSTRUCT* ps);
BOOL EndPaint(HWND window, const PAINTSTRUCT* ps);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// Dialogs from templates. The procedure is an ordinary window procedure whose default
// is DefDlgProcA; WM_INITDIALOG arrives with the parameter once the window exists.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, WNDPROC proc, LPARAM param);
// Creates, shows, and runs the modal loop until EndDialog; then destroys the window.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, WNDPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the modal loop of a window created by CreateDialogParamA until EndDialog.
INT_PTR RunModalDialogLoop(HWND dialog);

// Modal boxes run a nested loop: other windows and timers keep being served meanwhile.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

struct OPENFILENAMEA {
    DWORD lStructSize;  // 76 on the platform; the layer accepts 76 or sizeof
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;  // pairs of NUL-terminated strings, ended by an empty one
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    void* lpfnHook;
    LPCSTR lpTemplateName;
};
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
// 1 when a file was chosen (its layer path in lpstrFile; the current directory moves to
// its folder unless OFN_NOCHANGEDIR); 0 when cancelled or the path does not fit.
BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);

// System menu: the host shows it (right-click on the window, Alt+Space) with Close and
// whatever the program appended; a choice arrives as WM_SYSCOMMAND.
HMENU GetSystemMenu(HWND window, BOOL revert);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
// Checks one item of the group first..last (command ids with MF_BYCOMMAND, positions with
// MF_BYPOSITION) with a bullet and clears the check and the bullet of the group's other
// items. FALSE, and nothing changes, when an item is missing or check lies outside the group.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
// Before the item named by position (a command id with MF_BYCOMMAND, which must exist; an
// index with MF_BYPOSITION, past the end appending).
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
// MF_GRAYED or MF_DISABLED: shown, not choosable; MF_ENABLED again. The previous state, or
// (UINT)-1 when there is no such item.
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);

// Resources built into the executable (see resources.h for their registration).
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADMAP3DCOLORS = 0x1000;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Combo box (class "COMBOBOX"): a layer model the host shows as a native control.
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_SORT = 0x0100;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;
constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;
// The grey hint a list shows while nothing is selected; lParam is the layer's 8-bit text.
constexpr UINT CB_SETCUEBANNER = 0x1703;
constexpr LRESULT CB_ERR = -1;
constexpr WORD CBN_SELCHANGE = 1;

// Tool tips (class "tooltips_class32").
constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_ADDTOOLA = WM_USER + 4;
constexpr UINT TTM_DELTOOLA = WM_USER + 5;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_UPDATETIPTEXTA = WM_USER + 12;  // lParam: TOOLINFOA naming the tool and its new text
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_POPUP = WM_USER + 34;  // shows the tip of the tool under the pointer now
constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_SUBCLASS = 0x0010;
struct TOOLINFOA {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;  // text, or a string resource id (MAKEINTRESOURCE) with hinst
    LPARAM lParam;
};
