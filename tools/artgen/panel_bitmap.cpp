// The control panel: section captions and every button in its normal look.
#include "tools/artgen/bitmaps.h"

#include "tools/artgen/button.h"
#include "tools/artgen/layout.h"
#include "tools/artgen/theme.h"

#include <QPainter>

namespace artgen {
namespace {

using namespace theme;

void Caption(QPainter& p, int y, const QString& text) {
    p.setFont(Font(11, true));
    p.setPen(kMuted);
    const QRectF r(20, y, 250, 16);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
    const double end = 20 + QFontMetricsF(p.font()).horizontalAdvance(text) + 8;
    p.setPen(QPen(kFrame, 1.0));
    p.drawLine(QPointF(end, y + 8.5), QPointF(272, y + 8.5));
}

}  // namespace

QImage PaintControlPanel() {
    QImage image(kPanelSize, QImage::Format_RGB32);
    image.fill(kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // The part the window shows, framed.
    const QRectF shown(kPanelSource, kPanelDest.size());
    p.setPen(QPen(kFrame, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(shown.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.setFont(Font(13, true));
    p.setPen(kInk);
    p.drawText(QRectF(20, 14, 250, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Controls"));

    Caption(p, kCaptionSourceY, QStringLiteral("Sound source"));
    Caption(p, kCaptionPathY, QStringLiteral("Moving path"));
    Caption(p, kCaptionEnvironmentY, QStringLiteral("Environment"));
    for (const Button& b : kButtons) DrawButton(p, b, b.normalSrc, Look::Normal);
    return image;
}

}  // namespace artgen
