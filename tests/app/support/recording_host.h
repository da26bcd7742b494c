// A host for in-process tests: no display; it records the message boxes and answers
// them with OK, and answers file dialogs from a queue the test fills.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user/host.h"

class RecordingHost : public user_host::Host {
public:
    std::vector<user_host::MessageBoxRequest> boxes;
    std::vector<std::string> toolTips;  // texts shown, in order
    std::vector<std::string> fileAnswers;  // native paths, used front first; empty: cancel
    std::vector<user_host::OpenFileRequest> fileDialogs;
    // Runs inside the modal loop of a message box, before it is answered.
    std::function<void()> whileBoxOpen;
    // Runs whenever a modal loop has nothing to do: drives a DoModal from the test.
    std::function<void()> onIdle;

    void TopLevelShown(HWND) override {}
    void TopLevelHidden(HWND) override {}
    void TopLevelChanged(HWND) override {}
    void SurfaceChanged(HWND, const RECT&) override {}
    void WaitForEvents(DWORD timeoutMs) override;
    void Wake() override {}
    void ControlChanged(HWND) override {}
    void ControlDestroyed(HWND) override {}
    void ShowToolTip(HWND, POINT, const std::string& text) override { toolTips.push_back(text); }
    void HideToolTip(HWND) override {}
    void BeginMessageBox(const user_host::MessageBoxRequest& request, std::function<void(int)> done) override;
    void BeginOpenFile(const user_host::OpenFileRequest& request,
                       std::function<void(bool, const std::string&)> done) override;

private:
    std::deque<std::function<void()>> m_pending;
};
