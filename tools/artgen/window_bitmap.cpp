// The main window: background, title strip and the frames behind the two child windows.
#include "tools/artgen/bitmaps.h"

#include "tools/artgen/layout.h"
#include "tools/artgen/room_view.h"
#include "tools/artgen/theme.h"

#include <QLinearGradient>
#include <QPainter>

namespace artgen {
namespace {

using namespace theme;

// A head inside the orbit of a glowing source; the icon draws it a little rounder.
struct LogoShape {
    double orbitHeight, headSize;
    QPointF glowOffset;
    double glowRadius;
};

void DrawLogo(QPainter& p, QPointF c, const LogoShape& s) {
    p.setPen(QPen(kAccent, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 12.5, s.orbitHeight);
    DrawHead(p, c, s.headSize);
    p.setPen(Qt::NoPen);
    p.setBrush(kGlow);
    p.drawEllipse(c + s.glowOffset, s.glowRadius, s.glowRadius);
}

}  // namespace

QImage PaintMainWindow() {
    QImage image(kMainSize, QImage::Format_RGB32);
    image.fill(kWindow);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    const QRectF title = QRectF(kTitleStrip).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient band(title.topLeft(), title.topRight());
    band.setColorAt(0, QColor(20, 52, 78));
    band.setColorAt(0.55, kPanel);
    band.setColorAt(1, kPanel);
    p.setPen(QPen(kFrame, 1.0));
    p.setBrush(band);
    p.drawRoundedRect(title, 8, 8);
    DrawLogo(p, QPointF(title.left() + 24, title.center().y()), LogoShape{6.0, 6, QPointF(9.5, 3.9), 2.6});
    p.setFont(Font(18, true));
    p.setPen(kLit);
    const QRectF name(title.left() + 46, title.top(), 200, title.height());
    p.drawText(name, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zor3DPlayer"));
    const double nameW = QFontMetricsF(p.font()).horizontalAdvance(QStringLiteral("Zor3DPlayer"));
    p.setFont(Font(11));
    p.setPen(kMuted);
    p.drawText(QRectF(name.left() + nameW + 12, title.top() + 1, 360, title.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Positional 3D audio: hear the source move around you"));

    // Frames just outside the child windows, which cover everything inside them.
    p.setBrush(kPanel);
    p.setPen(QPen(kFrame, 1.0));
    p.drawRoundedRect(QRectF(kPanelDest).adjusted(-2.5, -2.5, 2.5, 2.5), 9, 9);
    p.drawRoundedRect(QRectF(kPadDest).adjusted(-2.5, -2.5, 2.5, 2.5), 9, 9);
    return image;
}

namespace {

// The icon is designed on a 32 px grid; the painter scales that grid to the image so every
// size is drawn, not resampled.
void PaintIconOn(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(image.width() / 32.0, image.height() / 32.0);
    QLinearGradient tile(0, 0, 0, 32);
    tile.setColorAt(0, QColor(22, 70, 104));
    tile.setColorAt(1, QColor(12, 30, 48));
    p.setPen(QPen(kAccent, 1.0));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
    const QPointF c(16, 17);
    DrawLogo(p, c, LogoShape{6.5, 5.5, QPointF(8.5, 5.0), 3.0});
    p.setBrush(kGlowHot);
    p.drawEllipse(QPointF(c.x() + 7.9, c.y() + 4.4), 1.2, 1.2);
}

}  // namespace

QImage PaintAppIcon() {
    QImage image(32, 32, QImage::Format_RGB888);
    image.fill(kWindow);
    PaintIconOn(image);
    return image;
}

QImage PaintAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    PaintIconOn(image);
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace artgen
