#include "platform/host/qt/event_waiter.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

namespace qt_host {

void EventWaiter::Wait(DWORD timeoutMs) {
    // Input that is already queued must reach the layer before we sleep.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (interrupted_ || woken_.exchange(false) || timeoutMs == 0) {
        interrupted_ = false;
        return;
    }

    QEventLoop loop;
    QTimer timer;
    if (timeoutMs != INFINITE) {
        // Layer timers are built on these time-outs; a coarse timer would let a 15 ms
        // sprite tick drift by several milliseconds.
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::min<DWORD>(timeoutMs, 0x7FFFFFFF)));
    }
    loops_.push_back(&loop);
    loop.exec();
    loops_.pop_back();
    interrupted_ = false;
    woken_.store(false);
}

void EventWaiter::Wake() {
    woken_.store(true);
    // One queued call at a time is enough: a flood of posts from the update thread must
    // not flood the toolkit's queue.
    if (wakePosted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            wakePosted_.store(false);
            QuitInnermost();
        },
        Qt::QueuedConnection);
}

void EventWaiter::Interrupt() {
    interrupted_ = true;
    QuitInnermost();
}

void EventWaiter::QuitInnermost() {
    if (!loops_.empty()) loops_.back()->quit();
}

}  // namespace qt_host
