// A widget that shows a 32-bit layer surface at its logical size. Only the rectangles
// the toolkit asks for are copied (under the surface's lock) and drawn.
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
    void CopyFromSurface(const gdi::Surface& surface, const QRegion& region);

    std::shared_ptr<gdi::Surface> surface_;
    gdi::PixelBuffer frontPixels_;
    QImage front_;  // opaque copy of what was last presented, over frontPixels_
};

}  // namespace qt_host
