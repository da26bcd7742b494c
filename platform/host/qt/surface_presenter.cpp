#include "platform/host/qt/surface_presenter.h"

#include <map>

#include <QMetaObject>
#include <QRegion>
#include <QThread>
#include <QWidget>

namespace qt_host {
namespace {

// How long a frame lasts. Motion reads smoothly at 30 frames a second, and each frame
// costs the UI thread a wake-up and a repaint: presenting every move of a sprite that
// moves every 15 ms would double that work for a difference the eye hardly tells.
constexpr int kFrameMilliseconds = 33;

}  // namespace

SurfacePresenter::SurfacePresenter(std::function<QWidget*(HWND)> widgetOf) : widgetOf_(std::move(widgetOf)) {
    frame_.setSingleShot(true);
    frame_.setInterval(kFrameMilliseconds);
    QObject::connect(&frame_, &QTimer::timeout, this, [this] { FrameEnded(); });
}

void SurfacePresenter::Changed(HWND top, const RECT& rect) {
    const bool first = dirty_.Add(top, rect);
    if (QThread::currentThread() == thread()) {
        // Widgets are touched only from the loop, never inside the layer's drawing.
        if (presentQueued_) return;
        presentQueued_ = true;
        pacing_.store(true);
        QMetaObject::invokeMethod(this, [this] { Present(); }, Qt::QueuedConnection);
        return;
    }
    if (first && !pacing_.exchange(true))
        QMetaObject::invokeMethod(this, [this] { Present(); }, Qt::QueuedConnection);
}

void SurfacePresenter::Present() {
    presentQueued_ = false;
    std::map<QWidget*, QRegion> regions;
    for (const auto& [top, r] : dirty_.Take()) {
        if (QWidget* widget = widgetOf_(top))
            regions[widget] += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    // Painted here and now, in one pass per window: a deferred update would cost the UI
    // thread a second wake for the same frame.
    for (const auto& [widget, region] : regions) widget->repaint(region);
    frame_.start();
}

void SurfacePresenter::FrameEnded() {
    if (!dirty_.Empty()) {
        Present();
        return;
    }
    pacing_.store(false);
    // A change that came between the look above and the reset asked for nothing.
    if (!dirty_.Empty() && !pacing_.exchange(true)) Present();
}

}  // namespace qt_host
