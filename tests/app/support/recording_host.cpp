#include "tests/app/support/recording_host.h"

#include <chrono>
#include <thread>

void RecordingHost::WaitForEvents(DWORD timeoutMs) {
    if (m_pending.empty()) {
        if (onIdle) onIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs < 5 ? timeoutMs : 5));
        return;
    }
    auto answer = std::move(m_pending.front());
    m_pending.pop_front();
    answer();
}

void RecordingHost::BeginMessageBox(const user_host::MessageBoxRequest& request, std::function<void(int)> done) {
    boxes.push_back(request);
    m_pending.push_back([this, done] {
        if (whileBoxOpen) whileBoxOpen();
        done(1);
    });
}

void RecordingHost::BeginOpenFile(const user_host::OpenFileRequest& request,
                                  std::function<void(bool, const std::string&)> done) {
    fileDialogs.push_back(request);
    if (fileAnswers.empty()) {
        m_pending.push_back([done] { done(false, std::string()); });
        return;
    }
    std::string path = fileAnswers.front();
    fileAnswers.erase(fileAnswers.begin());
    m_pending.push_back([done, path] { done(true, path); });
}
