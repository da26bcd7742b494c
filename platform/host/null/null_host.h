// A host without a display, for tests. It keeps every window's pixels in the layer's
// surfaces, feeds input to the layer, answers message boxes and file dialogs from a
// script, and records what the layer asked it to show.
//
// Typical use:
//
//     NullHost host;                     // installs itself (SetHost) until destroyed
//     host.QueueMessageBoxAnswer(IDOK);
//     host.onIdle = [&] { ...; dialog.EndDialog(0); };  // drives a DoModal from inside
//     dialog.DoModal();
//
//     host.Click(top, 40, 12);           // press and release at client coordinates of top
//     host.PumpUntilIdle();              // dispatch everything pending (no waiting)
//     host.PumpFor(600);                 // dispatch for 600 ms, timers firing
//     host.Pixel(top, 5, 5);             // 0x00RRGGBB
//     host.SavePng(top, "shot.png");
//
// Everything here runs on the UI thread except SurfaceChanged and Wake, which the layer
// may call from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user/host.h"

namespace null_host {

struct ShownToolTip {
    HWND top;
    POINT at;  // client coordinates of top
    std::string text;
};

struct OpenFileAnswer {
    bool chosen;
    std::string nativePath;
};

class NullHost : public user_host::Host {
public:
    // install: SetHost(this) now, and SetHost(nullptr) in the destructor.
    explicit NullHost(bool install = true);
    ~NullHost() override;
    NullHost(const NullHost&) = delete;
    NullHost& operator=(const NullHost&) = delete;

    // --- Input (client coordinates of the top-level window) -------------------------
    void MouseDown(HWND top, int x, int y);
    void MouseMove(HWND top, int x, int y, WPARAM keys = 0);
    void MouseUp(HWND top, int x, int y);
    void Click(HWND top, int x, int y);  // down then up
    void Key(HWND top, UINT virtualKey);
    void Close(HWND top);
    void SysCommand(HWND top, UINT_PTR id);
    void PickComboItem(HWND combo, int index);

    // --- Running the queue -------------------------------------------------------------
    // Dispatches until nothing is pending; timers fire only when already due. Returns
    // how many messages were dispatched.
    int PumpUntilIdle();
    // Dispatches for ms milliseconds, waiting for timers between messages.
    void PumpFor(DWORD ms);
    // Called from every WaitForEvents, i.e. whenever a modal loop (DoModal, a message
    // box, the file dialog) is idle: lets a test act from inside the loop. While it is
    // set, a wait lasts at most idleWaitMs, so the hook is called again soon.
    std::function<void()> onIdle;
    DWORD idleWaitMs = 10;

    // --- Pixels ------------------------------------------------------------------------
    std::uint32_t Pixel(HWND top, int x, int y) const;  // 0x00RRGGBB; 0 outside
    bool SavePng(HWND top, const std::string& path) const;
    bool SaveBmp(HWND top, const std::string& path) const;
    // Rectangles reported through SurfaceChanged, per top-level window (any thread).
    std::vector<RECT> ChangedRects(HWND top) const;
    void ClearChangedRects();

    // Boxes and file dialogs stay open this long before their answer arrives (0: at the
    // loop's first idle moment), so a test can watch what happens meanwhile.
    DWORD answerDelayMs = 0;

    // --- Message boxes -----------------------------------------------------------------
    // Answers are taken in order; without one (and without onMessageBox) a box is
    // answered IDOK. Every request is recorded.
    void QueueMessageBoxAnswer(int result);
    std::function<int(const user_host::MessageBoxRequest&)> onMessageBox;
    std::vector<user_host::MessageBoxRequest> messageBoxes;

    // --- File dialog -------------------------------------------------------------------
    // Answers in order; without one (and without onOpenFile) the dialog is cancelled.
    void QueueOpenFileAnswer(bool chosen, const std::string& nativePath);
    std::function<OpenFileAnswer(const user_host::OpenFileRequest&)> onOpenFile;
    std::vector<user_host::OpenFileRequest> openFileRequests;

    // --- Records -----------------------------------------------------------------------
    std::vector<ShownToolTip> toolTipsShown;
    bool toolTipVisible = false;
    int toolTipHides = 0;
    std::map<HWND, user_host::ComboState> combos;  // last state of each live combo box
    std::vector<HWND> shown;    // TopLevelShown calls, in order
    std::vector<HWND> hidden;   // TopLevelHidden calls
    int topLevelChanges = 0;

    // --- Host ----------------------------------------------------------------------------
    void TopLevelShown(HWND top) override;
    void TopLevelHidden(HWND top) override;
    void TopLevelChanged(HWND top) override;
    void SurfaceChanged(HWND top, const RECT& rect) override;
    void WaitForEvents(DWORD timeoutMs) override;
    void Wake() override;
    void ControlChanged(HWND control) override;
    void ControlDestroyed(HWND control) override;
    void ShowToolTip(HWND top, POINT at, const std::string& text) override;
    void HideToolTip(HWND top) override;
    void BeginMessageBox(const user_host::MessageBoxRequest& request, std::function<void(int)> done) override;
    void BeginOpenFile(const user_host::OpenFileRequest& request,
                       std::function<void(bool, const std::string&)> done) override;

private:
    // Answers the boxes and dialogs asked so far, as a user would from the host's loop.
    bool DeliverAnswers();

    bool installed_;
    std::deque<int> boxAnswers_;
    std::deque<OpenFileAnswer> fileAnswers_;
    struct PendingAnswer {
        std::chrono::steady_clock::time_point due;
        std::function<void()> deliver;
    };
    std::vector<PendingAnswer> pendingDone_;
    DWORD UntilNextAnswer() const;
    void AnswerLater(std::function<void()> deliver);
    mutable std::mutex mutex_;  // changed rects and the wake flag
    std::condition_variable wake_;
    bool woken_ = false;
    std::map<HWND, std::vector<RECT>> changed_;
};

// Image files of 0x00RRGGBB pixels, rows top to bottom.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint32_t>& pixels);
bool WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint32_t>& pixels);

}  // namespace null_host
