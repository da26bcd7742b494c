// The layer's private state: every window, the message queue and the timers, guarded by
// one mutex. The mutex is never held while a window procedure or the host runs, so a
// handler may block on another thread that is itself drawing through a window DC.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/user/host.h"
#include "platform/user/resources.h"
#include "platform/user/winuser.h"

namespace user_internal {

using Clock = std::chrono::steady_clock;

enum class Kind { Generic, Dialog, ComboBox, ToolTip, Desktop };

struct ComboModel {
    std::vector<user_host::ComboItem> items;
    int selection = -1;
    int droppedWidth = 0;
    std::string cueBanner;
};

struct Tool {
    HWND window;
    UINT_PTR id;
    UINT flags;
    RECT rect;  // client coordinates of window; unused with TTF_IDISHWND
    std::string text;
};

struct ToolTipModel {
    std::vector<Tool> tools;
    bool active = false;
    int hovered = -1;         // index into tools, -1: none
    bool showing = false;
    bool suppressed = false;  // a press hid the tip: no new one until the pointer leaves
    HWND shownOn = nullptr;   // the top-level window the tip was shown on
    POINT lastPoint{0, 0};    // pointer, client coordinates of the hovered tool's top-level
};

struct Window {
    HWND handle = nullptr;
    Kind kind = Kind::Generic;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HWND parent = nullptr;  // the parent of a child window
    HWND owner = nullptr;   // the owner of a top-level window
    std::vector<HWND> children;  // creation order; later ones lie on top
    // A child: its place in the parent's client area. A top-level window: its place on
    // the screen. The layer draws no frame, so window and client size are equal.
    RECT rect{0, 0, 0, 0};
    std::string text;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    HFONT font = nullptr;
    RECT update{0, 0, 0, 0};  // client coordinates; empty: valid
    bool erase = false;
    std::shared_ptr<gdi::Surface> surface;  // top-level windows only
    bool destroying = false;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    std::thread::id thread;
    std::unique_ptr<ComboModel> combo;
    std::unique_ptr<ToolTipModel> toolTip;
    HMENU systemMenu = nullptr;
    HWND lastFocus = nullptr;  // a top-level window's focus while it lost the keyboard
    std::unique_ptr<MEDIAPLAYBACKINFOA> mediaPlayback;
    const DialogTemplate* dialogTemplate = nullptr;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    Clock::time_point due;
    TIMERPROC proc;
};

struct InputEvent {
    HWND top;
    UINT message;
    int x;  // client coordinates of top (mouse); the character a key types
    int y;
    WPARAM wParam;  // keys (mouse), virtual key, or the app command's high word
    DWORD time;
};

// A message sent from another thread, handled by the window's thread.
struct CrossThreadSend {
    MSG msg;
    LRESULT result = 0;
    bool done = false;
};

struct State {
    std::mutex mutex;
    std::condition_variable wake;  // used when no host is installed
    std::map<HWND, std::shared_ptr<Window>> windows;
    std::vector<HWND> topLevels;  // creation order
    std::uintptr_t nextHandle = 0x10000;
    std::deque<MSG> posted;
    std::deque<InputEvent> input;
    std::deque<std::shared_ptr<CrossThreadSend>> sent;
    std::condition_variable sentDone;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimerId = 0x7F00;
    bool quitPosted = false;
    int quitCode = 0;
    HWND capture = nullptr;
    HWND focus = nullptr;
    bool wakePending = false;
    int screenWidth = 1920;
    int screenHeight = 1080;
    int monitors = 1;
    std::thread::id uiThread;
};

State& S();

// Lookups; the caller holds S().mutex.
Window* Find(HWND window);
Window* TopOf(Window* w);
// The window's client origin in its top-level window's client coordinates.
POINT OriginInTop(const Window* w);
// The window's client origin on the screen.
POINT OriginOnScreen(const Window* w);
// Where the window's drawing may land, in its top-level window's client coordinates.
RECT VisibleClipInTop(const Window* w);
inline RECT ClientRect(const Window* w) { return RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top}; }
bool IsDescendantOrSelf(const Window* w, HWND ancestor);

// Calls a window procedure without holding the lock; 0 for a window that is gone.
LRESULT CallProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Wakes whoever waits for messages on the UI thread (the host or the layer's own wait).
void WakeUiThread();
// Blocks the UI thread until something may be pending (or the next timer is due).
void WaitForWork();
// One pending message, dispatched through the modal filters given; false when idle.
bool PumpOne(HWND modalDialog, MSGFILTERPROC filter);
// A quit message waits: every modal loop ends on it, and none should start.
bool QuitPending();

// Class procedures of the built-in controls.
LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A closed drop-down list takes clicks only over its box, not over the room its list
// would need when open (the host's native control handles the open list itself).
int ComboClosedHeight(const Window* w);
LRESULT ToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Default handling of keyboard messages (focus on activation, media keys to app
// commands, app commands up to the parent); false for other messages.
bool DefaultKeyboardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Cleanup of everything that refers to a destroyed window; the caller holds the lock.
void ForgetWindowInQueue(HWND window);

// A font handle for a face and size; equal pairs share one handle.
HFONT FontHandle(const std::string& face, int pointSize);

bool SameThreadAsWindow(HWND window);

// The procedure the next dialog window created on this thread gets instead of its class's
// (CreateDialogParamA's), so its own procedure sees WM_NCCREATE and WM_CREATE too.
void SetNextDialogProc(WNDPROC proc);

}  // namespace user_internal
