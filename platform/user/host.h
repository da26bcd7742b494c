// Where windows really appear. The window layer calls a Host for everything a user
// sees or answers; a host feeds user input back through the Inject functions. Two hosts
// exist: `null` (tests drive it) and `qt` (the desktop).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/user/resources.h"
#include "platform/user/winuser.h"

struct DialogTemplate;  // platform/user/resources.h

namespace user_host {

struct MessageBoxRequest {
    HWND owner;
    std::string caption;
    std::string text;
    UINT type;
};

struct OpenFileRequest {
    HWND owner;
    std::vector<std::pair<std::string, std::string>> filters;  // (name, pattern)
    int selectedFilter;   // 0-based
    std::string title;    // empty: the host's default
    std::string initialDir;  // native; empty: the current directory
    DWORD flags;
};

struct MenuItem {
    UINT_PTR id;      // WM_SYSCOMMAND's wParam when chosen
    std::string text;
    bool separator;
    bool checked = false;
    bool radioCheck = false;  // the check shows as a bullet
    bool grayed = false;      // shown, not choosable
    // Items a CheckMenuRadioItem call spans share a number: one choice among them. 0: none.
    int radioGroup = 0;
};

struct ComboItem {
    std::string text;
    DWORD_PTR data;
};

// A snapshot of a combo box model, for the host to mirror.
struct ComboState {
    RECT rect;             // in the top-level window's client coordinates, drop-down part included
    int itemHeight;        // height of the closed box (the rectangle's first row)
    int droppedWidth;
    int selection;         // -1: none
    std::vector<ComboItem> items;
    std::string fontFace;
    int fontPointSize;
    bool visible;
    std::string cueBanner;  // shown while nothing is selected
};

// One change of a combo box's items or selection, as the program made it.
struct ComboEdit {
    enum class Kind { Insert, Delete, Reset, Select } kind;
    int index;         // Insert: the new item's place; Delete: the item that went
    std::string text;  // Insert: the new item's text
    int selection;     // the selection after the change, -1: none
};

struct IconImage {
    int width;
    int height;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
    std::vector<std::uint8_t> mask;     // 1 = opaque
};

class Host {
public:
    virtual ~Host() = default;

    // A top-level window was shown / hidden / destroyed, or its caption, size or icon
    // changed. UI thread.
    virtual void TopLevelShown(HWND top) = 0;
    virtual void TopLevelHidden(HWND top) = 0;
    virtual void TopLevelChanged(HWND top) = 0;

    // Pixels of the top-level surface changed inside rect (client coordinates). Called
    // from any thread; must not call back into the layer from a non-UI thread.
    virtual void SurfaceChanged(HWND top, const RECT& rect) = 0;

    // UI thread, called by every message loop when nothing is pending: process host
    // events (input, native dialogs) and block until Wake, host input or the time-out.
    virtual void WaitForEvents(DWORD timeoutMs) = 0;
    // Any thread: make a WaitForEvents return soon.
    virtual void Wake() = 0;

    // Native controls: a combo box or tool tip was created, changed, or destroyed.
    virtual void ControlChanged(HWND control) = 0;
    virtual void ControlDestroyed(HWND control) = 0;
    // A combo box's items or selection changed by one edit: a host that mirrors a long
    // list applies the edit instead of reading the whole list again.
    virtual void ComboEdited(HWND combo, const ComboEdit&) { ControlChanged(combo); }

    // A tool tip's text should be shown near the pointer (client coordinates of top), or hidden.
    virtual void ShowToolTip(HWND top, POINT at, const std::string& text) = 0;
    virtual void HideToolTip(HWND top) = 0;

    // Modal questions. The host shows them and later calls done on the UI thread (from
    // inside WaitForEvents); meanwhile the layer keeps dispatching its own messages.
    virtual void BeginMessageBox(const MessageBoxRequest& request, std::function<void(int result)> done) = 0;
    virtual void BeginOpenFile(const OpenFileRequest& request,
                               std::function<void(bool chosen, const std::string& nativePath)> done) = 0;

    // What a top-level window plays changed (SetMediaPlaybackInfoA). UI thread.
    virtual void MediaPlaybackChanged(HWND) {}
};

// The process's host; without one the layer behaves as the null host with no answers
// (message boxes return IDOK at once, file dialogs are cancelled).
void SetHost(Host* host);
Host* GetHost();

// --- Read by hosts -------------------------------------------------------------------

// The surface of a top-level window (its client area), shared with the window.
std::shared_ptr<gdi::Surface> TopLevelSurface(HWND top);
std::vector<HWND> TopLevelWindows();
std::string WindowCaption(HWND window);
bool IsComboBox(HWND window);
bool IsToolTip(HWND window);
HWND TopLevelOf(HWND window);
ComboState GetComboState(HWND combo);
// Whether the user's input may reach the window now, by the rules the layer routes its
// own input with: not while another window holds the mouse capture, nor while the
// window or its top-level window is disabled (as a modal loop for another window does).
// Native controls ask this before they act on input they receive themselves.
bool TakesUserInput(HWND window);
std::vector<MenuItem> SystemMenuItems(HWND top);  // the program's entries, then Close
// The system menu is about to open: the window gets WM_INITMENU to bring it up to date.
void InitSystemMenu(HWND top);
bool GetIconImage(HICON icon, IconImage* out);
HICON WindowIcon(HWND top, bool big);
// The face and point size behind a font handle (a dialog's font, a control's font).
bool GetFontInfo(HFONT font, std::string* face, int* pointSize);
// Milliseconds until the next timer is due: 0 when one is due now, INFINITE without timers.
DWORD NextTimerDelay();
const DialogTemplate* WindowTemplate(HWND top);  // the template it was made from, or null
// The window layer draws no frame: a top-level window's size (SetWindowPos, GetWindowRect)
// is its client size, and its place is where the host put it (SetTopLevelPosition).

// --- Called by hosts, UI thread ------------------------------------------------------

// Mouse input at client coordinates of the top-level window: WM_MOUSEMOVE,
// WM_LBUTTONDOWN, WM_LBUTTONUP. Queued as input and routed to the capture window, else
// to the deepest visible child under the point, in that window's client coordinates.
void InjectMouse(HWND top, UINT message, int x, int y, WPARAM keys);
// Key presses, to the focus window of top (or top itself): WM_KEYDOWN, then WM_KEYUP;
// the character the key types, if any, comes as WM_CHAR in between. VK_RETURN and
// VK_ESCAPE reach the dialog keys.
void InjectKey(HWND top, UINT virtualKey, BYTE character = 0);
// The window took or lost the keyboard (the host's focus, or a native control's):
// WM_ACTIVATE with WA_ACTIVE or WA_INACTIVE is posted, which moves the layer's focus.
void InjectActivate(HWND top, bool active);
// A command of the desktop's media controls (APPCOMMAND_...): WM_APPCOMMAND from the
// device given, as input to top, unless input to it is held back.
void InjectAppCommand(HWND top, short command, WORD device);
// What the window last said it plays; false when it said nothing.
bool GetMediaPlaybackInfo(HWND top, MEDIAPLAYBACKINFOA* out);
// Files dropped at client coordinates of the top-level window (native paths): the
// deepest window there that accepts files, or its nearest ancestor that does, gets
// WM_DROPFILES. False when no window there accepts files (or the window is disabled).
bool InjectDropFiles(HWND top, int x, int y, const std::vector<std::string>& nativePaths);
// Whether a window of the top-level window's tree accepts dropped files.
bool AcceptsFiles(HWND top);
// The window's close button / Alt+F4: WM_CLOSE is posted; the program decides.
void InjectClose(HWND top);
// A system-menu choice: WM_SYSCOMMAND with the id is posted.
void InjectSysCommand(HWND top, UINT_PTR id);
// The user picked a combo item: the model's selection changes and CBN_SELCHANGE goes to
// the combo's parent as WM_COMMAND.
void InjectComboSelection(HWND combo, int index);

// Where the host placed a top-level window on the screen (GetWindowRect reports it; the
// null host leaves every window at (0, 0)), and whether the user minimised it (IsIconic).
void SetTopLevelPosition(HWND top, int x, int y);
void SetTopLevelMinimized(HWND top, bool minimized);
// The screen size GetSystemMetrics reports (1920 x 1080 until a host says otherwise).
void SetScreenSize(int width, int height);
// How many monitors GetSystemMetrics(SM_CMONITORS) reports (1 until a host says
// otherwise); 0 when the windows are shown nowhere.
void SetMonitorCount(int count);

// Dispatches what is pending now (posted, input, paint, due timers) without waiting;
// returns how many messages were dispatched. For hosts and tests. Each message first
// passes the modal filter (the framework's pre-translation) and the dialog keys of its
// top-level dialog, as in a modal loop.
int PumpPending();

}  // namespace user_host
