// Turns "these pixels changed" from any thread into repaints on the UI thread. Changes
// made on the UI thread itself (input, painting) are presented as soon as its loop runs
// again: it is awake anyway. Changes from other threads are paced in frames: the first
// after a quiet spell is presented at once, later ones wait for the frame to end and go
// together. A sprite that another thread moves every 15 ms thus costs one repaint per
// frame, and that thread never has to wake the UI thread while frames are running.
#pragma once

#include <atomic>
#include <functional>

#include <QObject>
#include <QTimer>

#include "platform/host/qt/dirty_rects.h"

class QWidget;

namespace qt_host {

class SurfacePresenter : public QObject {
public:
    // widgetOf runs on the UI thread only; null skips the window.
    explicit SurfacePresenter(std::function<QWidget*(HWND)> widgetOf);

    void Changed(HWND top, const RECT& rect);  // any thread

private:
    void Present();
    void FrameEnded();

    std::function<QWidget*(HWND)> widgetOf_;
    DirtyRects dirty_;
    // Set from the request of a present until a frame ends with nothing new to show;
    // while it is set, a change from another thread needs no request of its own.
    std::atomic<bool> pacing_{false};
    bool presentQueued_ = false;  // UI thread only
    QTimer frame_;
};

}  // namespace qt_host
