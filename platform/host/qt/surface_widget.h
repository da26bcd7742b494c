// A widget that shows a 32-bit layer surface at its logical size. Only the rectangles
// the toolkit asks for are drawn, straight from the surface under its lock.
#pragma once

#include <memory>

#include <QImage>
#include <QWidget>

#include "platform/gdi/surface.h"

namespace qt_host {

class SurfaceWidget : public QWidget {
public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

    void SetSurface(std::shared_ptr<gdi::Surface> surface) { surface_ = std::move(surface); }
    // Fixes the widget to the surface's size (read under its lock); false without one.
    bool FitToSurface();

protected:
    // The surface to show now; a window whose surface can be replaced overrides it.
    virtual std::shared_ptr<gdi::Surface> CurrentSurface() const { return surface_; }
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<gdi::Surface> surface_;
    QImage scratch_;  // the opaque copy of the rectangle being painted
};

}  // namespace qt_host
