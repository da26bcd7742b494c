// Blocks the UI thread in the toolkit's event processing until a wake-up from any
// thread, user input for the layer, or a time-out, whichever comes first.
#pragma once

#include <atomic>
#include <vector>

#include <QObject>

#include "platform/kernel/types.h"

class QEventLoop;

namespace qt_host {

class EventWaiter : public QObject {
public:
    // UI thread. Waits may nest (a native dialog's answer can start another modal loop);
    // a wake-up or input ends the innermost one.
    void Wait(DWORD timeoutMs);
    // Any thread.
    void Wake();
    // UI thread: something the layer must see arrived (input, a dialog's answer).
    void Interrupt();

private:
    void QuitInnermost();

    std::atomic<bool> woken_{false};
    std::atomic<bool> wakePosted_{false};
    bool interrupted_ = false;
    std::vector<QEventLoop*> loops_;
};

}  // namespace qt_host
