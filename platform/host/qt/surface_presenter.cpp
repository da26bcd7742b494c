#include "platform/host/qt/surface_presenter.h"

#include <QMetaObject>
#include <QWidget>

namespace qt_host {

void SurfacePresenter::Changed(HWND top, const RECT& rect) {
    // Widgets are never touched here: this may be the update thread.
    if (dirty_.Add(top, rect)) QMetaObject::invokeMethod(this, [this] { Present(); }, Qt::QueuedConnection);
}

void SurfacePresenter::Present() {
    for (const auto& [top, r] : dirty_.Take()) {
        if (QWidget* widget = widgetOf_(top)) widget->update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    }
}

}  // namespace qt_host
