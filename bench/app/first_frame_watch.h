// Tells when a window's first frame is on the screen: installed on a widget or on the
// application, it calls back once, from the event loop, after the first paint of a
// top-level window has been delivered, its children's paints included.
#pragma once

#include <unistd.h>

#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <functional>
#include <utility>

class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(std::function<void()> onFirstFrame) : m_onFirstFrame(std::move(onFirstFrame)) {}
    // Watches for the next first frame, as for a new window.
    void Rearm() { m_seen = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (!m_seen && e->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            m_seen = true;
            // Queued: the paint under way and those of the children finish first.
            QMetaObject::invokeMethod(this, [this] { m_onFirstFrame(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> m_onFirstFrame;
    bool m_seen = false;
};

// A child's word to the bench that its first frame is on the screen: one byte on fd.
inline void ReportFirstFrame(int fd) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(fd, &byte, 1);
}
