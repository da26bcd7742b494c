#include "tools/artgen/room_view.h"

#include "tools/artgen/theme.h"

#include <QPainterPath>
#include <QRadialGradient>

namespace artgen {

using namespace theme;

void DrawHead(QPainter& p, QPointF c, double r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    // Ears, then the head over them, then the nose in front.
    p.setPen(Qt::NoPen);
    p.setBrush(kSkin.darker(135));
    p.drawEllipse(QPointF(c.x() - r * 1.02, c.y() + r * 0.05), r * 0.3, r * 0.42);
    p.drawEllipse(QPointF(c.x() + r * 1.02, c.y() + r * 0.05), r * 0.3, r * 0.42);
    QPainterPath nose;
    nose.moveTo(c.x() - r * 0.34, c.y() - r * 0.8);
    nose.lineTo(c.x(), c.y() - r * 1.42);
    nose.lineTo(c.x() + r * 0.34, c.y() - r * 0.8);
    nose.closeSubpath();
    p.setBrush(kSkin.darker(112));
    p.drawPath(nose);
    QRadialGradient shade(QPointF(c.x() - r * 0.3, c.y() - r * 0.35), r * 1.3);
    shade.setColorAt(0, kSkin.lighter(108));
    shade.setColorAt(1, kSkin.darker(118));
    p.setBrush(shade);
    p.drawEllipse(c, r, r);
    // Hair at the back of the head.
    p.setBrush(QColor(92, 70, 58));
    p.drawChord(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 215 * 16, 110 * 16);
    p.restore();
}

void DrawRoomView(QPainter& p, const QRect& room) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(room);
    p.fillRect(room, kFloor);
    const QRectF walls = QRectF(room).adjusted(6.5, 4.5, -6.5, -4.5);
    // Floor grid.
    p.setPen(QPen(kGrid, 1.0));
    const QPointF c = QRectF(room).center();
    for (double x = c.x() - 0.5; x > walls.left(); x -= 26) p.drawLine(QPointF(x, walls.top()), QPointF(x, walls.bottom()));
    for (double x = c.x() + 25.5; x < walls.right(); x += 26) p.drawLine(QPointF(x, walls.top()), QPointF(x, walls.bottom()));
    for (double y = c.y() - 0.5; y > walls.top(); y -= 26) p.drawLine(QPointF(walls.left(), y), QPointF(walls.right(), y));
    for (double y = c.y() + 25.5; y < walls.bottom(); y += 26) p.drawLine(QPointF(walls.left(), y), QPointF(walls.right(), y));
    // Distance rings around the listener.
    QPen ring(kWall, 1.0, Qt::DashLine);
    ring.setDashPattern({3, 4});
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    for (double r : {52.0, 104.0}) p.drawEllipse(c, r, r);
    // Walls.
    p.setPen(QPen(kWall, 2.0));
    p.drawRoundedRect(walls, 6, 6);
    // A soft glow under the listener, then the head.
    QRadialGradient glow(c, 26);
    glow.setColorAt(0, QColor(56, 189, 248, 70));
    glow.setColorAt(1, QColor(56, 189, 248, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, 26, 26);
    DrawHead(p, c, 14);
    p.restore();
}

}  // namespace artgen
