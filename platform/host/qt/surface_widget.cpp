#include "platform/host/qt/surface_widget.h"

#include <QPainter>
#include <QPaintEvent>

namespace qt_host {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// Copies part of a layer surface (stride pixels a row) into out, every pixel opaque;
// out is reused when it already has the part's size.
void OpaqueCopy(const std::uint32_t* pixels, int stride, const QRect& part, QImage* out) {
    if (out->size() != part.size() || out->format() != QImage::Format_RGB32)
        *out = QImage(part.size(), QImage::Format_RGB32);
    for (int y = 0; y < part.height(); ++y) {
        const std::uint32_t* from = pixels + static_cast<std::size_t>(part.top() + y) * stride + part.left();
        auto* to = reinterpret_cast<std::uint32_t*>(out->scanLine(y));
        for (int x = 0; x < part.width(); ++x) to[x] = from[x] | kOpaque;
    }
}

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
    // The layer keeps the top byte of a pixel zero, while the toolkit's 32-bit RGB format
    // promises 0xFF there and copies the bytes as they are into a backing store that has
    // an alpha channel (a Wayland buffer): shown as they are, they are fully transparent
    // there. Each changed rectangle is copied out opaque instead (an X server's window
    // has no alpha channel and ignores the byte either way).
    const QRect bounds(0, 0, width, height);
    for (const QRect& r : event->region()) {
        const QRect part = r & bounds;
        if (part.isEmpty()) continue;
        OpaqueCopy(surface->pixels.data(), width, part, &scratch_);
        painter.drawImage(part.topLeft(), scratch_);
    }
}

}  // namespace qt_host
