#include "platform/host/qt/surface_widget.h"

#include <QPainter>
#include <QPaintEvent>

namespace qt_host {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

}  // namespace

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

void SurfaceWidget::CopyFromSurface(const gdi::Surface& surface, const QRegion& region) {
    std::lock_guard<std::mutex> lock(surface.mutex);
    const QRect bounds(0, 0, surface.width, surface.height);
    const bool readable = surface.pixels.size() >= static_cast<std::size_t>(surface.width) * surface.height;
    QRegion wanted = region;
    if (front_.width() != surface.width || front_.height() != surface.height) {
        // A new front is filled from the whole surface at once, never cleared first.
        frontPixels_.assign(static_cast<std::size_t>(surface.width) * surface.height, kOpaque);
        front_ = QImage(reinterpret_cast<uchar*>(frontPixels_.data()), surface.width, surface.height,
                        static_cast<qsizetype>(surface.width) * 4, QImage::Format_RGB32);
        wanted = bounds;
    }
    if (!readable) return;
    for (const QRect& r : wanted) {
        const QRect clipped = r.intersected(bounds);
        if (clipped.isEmpty()) continue;
        for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
            const std::uint32_t* src = surface.pixels.data() + static_cast<std::size_t>(y) * surface.width;
            std::uint32_t* dst = frontPixels_.data() + static_cast<std::size_t>(y) * surface.width;
            // The layer keeps the top byte zero; the toolkit wants it opaque.
            for (int x = clipped.left(); x <= clipped.right(); ++x) dst[x] = src[x] | kOpaque;
        }
    }
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    auto surface = CurrentSurface();
    if (surface) CopyFromSurface(*surface, event->region());
    QPainter painter(this);
    if (front_.isNull()) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    for (const QRect& r : event->region()) painter.drawImage(r, front_, r);
}

}  // namespace qt_host
