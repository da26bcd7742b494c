#include "platform/host/qt/surface_widget.h"

#include <QPainter>
#include <QPaintEvent>

namespace qt_host {
SurfaceWidget::SurfaceWidget(QWidget* parent) : QWidget(parent) {
    // Every pixel comes from the surface: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool SurfaceWidget::FitToSurface() {
    auto surface = CurrentSurface();
    if (!surface) return false;
    int width = 0;
    int height = 0;
    {
        std::lock_guard<std::mutex> lock(surface->mutex);
        width = surface->width;
        height = surface->height;
    }
    if (width <= 0 || height <= 0) return false;
    // Logical pixels: a scaled screen enlarges the picture rather than shrinking it.
    if (width != this->width() || height != this->height() || minimumSize() != maximumSize()) {
        setFixedSize(width, height);
    }
    return true;
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    auto surface = CurrentSurface();
    if (!surface) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    // Drawn straight from the surface, under its lock: a thread drawing into it waits
    // for no more than this copy of the changed rectangles.
    std::lock_guard<std::mutex> lock(surface->mutex);
    const int width = surface->width;
    const int height = surface->height;
    if (width <= 0 || height <= 0 || surface->pixels.size() < static_cast<std::size_t>(width) * height) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    // The layer keeps the top byte of a pixel zero. The toolkit takes a 32-bit RGB
    // image as opaque whatever that byte holds, so the pixels need no copy to show.
    const QImage pixels(reinterpret_cast<const uchar*>(surface->pixels.data()), width, height,
                        static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    for (const QRect& r : event->region()) painter.drawImage(r, pixels, r);
}

}  // namespace qt_host
