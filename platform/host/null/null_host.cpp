#include "platform/host/null/null_host.h"

#include <algorithm>
#include <chrono>

namespace null_host {

NullHost::NullHost(bool install) : installed_(install) {
    if (install) user_host::SetHost(this);
}

NullHost::~NullHost() {
    if (installed_ && user_host::GetHost() == this) user_host::SetHost(nullptr);
}

void NullHost::MouseDown(HWND top, int x, int y) { user_host::InjectMouse(top, WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
void NullHost::MouseMove(HWND top, int x, int y, WPARAM keys) { user_host::InjectMouse(top, WM_MOUSEMOVE, x, y, keys); }
void NullHost::MouseUp(HWND top, int x, int y) { user_host::InjectMouse(top, WM_LBUTTONUP, x, y, 0); }
void NullHost::Click(HWND top, int x, int y) {
    MouseDown(top, x, y);
    MouseUp(top, x, y);
}
void NullHost::Key(HWND top, UINT virtualKey) { user_host::InjectKey(top, virtualKey); }
void NullHost::Close(HWND top) { user_host::InjectClose(top); }
void NullHost::SysCommand(HWND top, UINT_PTR id) { user_host::InjectSysCommand(top, id); }
void NullHost::PickComboItem(HWND combo, int index) { user_host::InjectComboSelection(combo, index); }

int NullHost::PumpUntilIdle() {
    int total = 0;
    for (;;) {
        int n = user_host::PumpPending();
        if (n == 0 && !DeliverAnswers()) return total;
        total += n;
    }
}

void NullHost::PumpFor(DWORD ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        PumpUntilIdle();
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return;
        auto left = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1);
        WaitForEvents(std::min(left, user_host::NextTimerDelay()));
    }
}

std::uint32_t NullHost::Pixel(HWND top, int x, int y) const {
    auto surface = user_host::TopLevelSurface(top);
    if (!surface) return 0;
    std::lock_guard<std::mutex> lock(surface->mutex);
    if (x < 0 || y < 0 || x >= surface->width || y >= surface->height) return 0;
    return surface->pixels[static_cast<std::size_t>(y) * surface->width + x];
}

namespace {
template <class Writer>
bool Save(HWND top, const std::string& path, Writer write) {
    auto surface = user_host::TopLevelSurface(top);
    if (!surface) return false;
    std::vector<std::uint32_t> pixels;
    int w, h;
    {
        std::lock_guard<std::mutex> lock(surface->mutex);
        pixels.assign(surface->pixels.begin(), surface->pixels.end());
        w = surface->width;
        h = surface->height;
    }
    return write(path, w, h, pixels);
}
}  // namespace

bool NullHost::SavePng(HWND top, const std::string& path) const { return Save(top, path, WritePng); }
bool NullHost::SaveBmp(HWND top, const std::string& path) const { return Save(top, path, WriteBmp); }

std::vector<RECT> NullHost::ChangedRects(HWND top) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = changed_.find(top);
    return it == changed_.end() ? std::vector<RECT>{} : it->second;
}

void NullHost::ClearChangedRects() {
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.clear();
}

void NullHost::QueueMessageBoxAnswer(int result) { boxAnswers_.push_back(result); }

void NullHost::QueueOpenFileAnswer(bool chosen, const std::string& nativePath) {
    fileAnswers_.push_back(OpenFileAnswer{chosen, nativePath});
}

void NullHost::TopLevelShown(HWND top) { shown.push_back(top); }
void NullHost::TopLevelHidden(HWND top) { hidden.push_back(top); }
void NullHost::TopLevelChanged(HWND) { ++topLevelChanges; }

void NullHost::SurfaceChanged(HWND top, const RECT& rect) {
    std::lock_guard<std::mutex> lock(mutex_);
    changed_[top].push_back(rect);
}

bool NullHost::DeliverAnswers() {
    auto now = std::chrono::steady_clock::now();
    std::vector<std::function<void()>> due;
    for (auto it = pendingDone_.begin(); it != pendingDone_.end();) {
        if (it->due <= now) {
            due.push_back(std::move(it->deliver));
            it = pendingDone_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& d : due) d();
    return !due.empty();
}

DWORD NullHost::UntilNextAnswer() const {
    DWORD wait = INFINITE;
    auto now = std::chrono::steady_clock::now();
    for (auto& p : pendingDone_) {
        auto ms = p.due <= now ? 0 : std::chrono::duration_cast<std::chrono::milliseconds>(p.due - now).count() + 1;
        wait = std::min(wait, static_cast<DWORD>(ms));
    }
    return wait;
}

void NullHost::WaitForEvents(DWORD timeoutMs) {
    if (DeliverAnswers()) return;
    timeoutMs = std::min(timeoutMs, UntilNextAnswer());
    if (onIdle) {
        auto hook = onIdle;  // the hook may replace itself
        hook();
        timeoutMs = std::min(timeoutMs, idleWaitMs);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (timeoutMs == INFINITE)
        wake_.wait(lock, [this] { return woken_; });
    else
        wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
    woken_ = false;
}

void NullHost::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

void NullHost::ControlChanged(HWND control) {
    if (user_host::IsComboBox(control)) combos[control] = user_host::GetComboState(control);
}

void NullHost::ControlDestroyed(HWND control) { combos.erase(control); }

void NullHost::ShowToolTip(HWND top, POINT at, const std::string& text) {
    toolTipsShown.push_back(ShownToolTip{top, at, text});
    toolTipVisible = true;
}

void NullHost::HideToolTip(HWND) {
    toolTipVisible = false;
    ++toolTipHides;
}

// The answer comes later, from the loop, as when a user presses a button.
void NullHost::AnswerLater(std::function<void()> deliver) {
    pendingDone_.push_back(
        {std::chrono::steady_clock::now() + std::chrono::milliseconds(answerDelayMs), std::move(deliver)});
}

void NullHost::BeginMessageBox(const user_host::MessageBoxRequest& request, std::function<void(int)> done) {
    messageBoxes.push_back(request);
    int answer = IDOK;
    if (onMessageBox) {
        answer = onMessageBox(request);
    } else if (!boxAnswers_.empty()) {
        answer = boxAnswers_.front();
        boxAnswers_.pop_front();
    }
    AnswerLater([done, answer] { done(answer); });
}

void NullHost::BeginOpenFile(const user_host::OpenFileRequest& request,
                             std::function<void(bool, const std::string&)> done) {
    openFileRequests.push_back(request);
    OpenFileAnswer answer{false, ""};
    if (onOpenFile) {
        answer = onOpenFile(request);
    } else if (!fileAnswers_.empty()) {
        answer = fileAnswers_.front();
        fileAnswers_.pop_front();
    }
    AnswerLater([done, answer] { done(answer.chosen, answer.nativePath); });
}

}  // namespace null_host
