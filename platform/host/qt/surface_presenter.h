// Turns "these pixels changed" from any thread into repaints on the UI thread: the
// rectangles are collected and one queued call per batch asks the widgets to update.
#pragma once

#include <functional>

#include <QObject>

#include "platform/host/qt/dirty_rects.h"

class QWidget;

namespace qt_host {

class SurfacePresenter : public QObject {
public:
    // widgetOf runs on the UI thread only; null skips the window.
    explicit SurfacePresenter(std::function<QWidget*(HWND)> widgetOf) : widgetOf_(std::move(widgetOf)) {}

    void Changed(HWND top, const RECT& rect);  // any thread

private:
    void Present();

    std::function<QWidget*(HWND)> widgetOf_;
    DirtyRects dirty_;
};

}  // namespace qt_host
