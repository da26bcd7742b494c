// The five motion paths, each around the listener (a small ring in the middle).
#include "tools/artgen/glyphs.h"

#include <QPainterPath>

#include <cmath>

namespace artgen {
namespace {

void Listener(GridPainter& g, const Ink& ink, QPointF at) {
    QPainter& p = g.painter();
    p.setPen(g.Pen(ink.line, 1.3));
    p.setBrush(ink.fill);
    p.drawEllipse(at, 2.6, 2.6);
}

void Source(GridPainter& g, const Ink& ink, QPointF at, double r = 2.5) {
    QPainter& p = g.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    p.drawEllipse(at, r, r);
}

void Arrowhead(GridPainter& g, QPointF tip, double angleDeg, const QColor& colour, double size = 3.4) {
    QPainter& p = g.painter();
    const double a = angleDeg * M_PI / 180.0;
    const QPointF back(tip.x() - size * std::cos(a), tip.y() - size * std::sin(a));
    const QPointF side(-std::sin(a) * size * 0.62, std::cos(a) * size * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({tip, back + side, back - side}));
}

void Hand(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    QPainterPath hand;
    hand.addRoundedRect(QRectF(8.6, 1.8, 3.6, 13.0), 1.8, 1.8);   // index finger
    hand.addRoundedRect(QRectF(12.0, 7.0, 3.4, 8.0), 1.7, 1.7);   // middle
    hand.addRoundedRect(QRectF(15.2, 7.8, 3.2, 7.2), 1.6, 1.6);   // ring
    hand.addRoundedRect(QRectF(18.2, 9.2, 2.9, 6.0), 1.45, 1.45); // little
    hand.addRoundedRect(QRectF(8.6, 10.5, 12.5, 10.5), 3.4, 3.4); // palm
    QPainterPath thumb;
    thumb.moveTo(9.4, 13.2);
    thumb.lineTo(5.8, 10.2);
    thumb.cubicTo(4.4, 9.2, 2.8, 10.8, 4.0, 12.4);
    thumb.lineTo(9.2, 18.8);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();
    p.setPen(g.Pen(ink.line, 1.2));
    p.setBrush(ink.fill);
    p.drawPath(hand);
    // Finger joints.
    p.setPen(g.Pen(ink.line, 0.9));
    p.drawLine(QPointF(12.2, 10.8), QPointF(12.2, 13.0));
    p.drawLine(QPointF(15.3, 10.8), QPointF(15.3, 13.0));
    p.drawLine(QPointF(18.3, 11.2), QPointF(18.3, 13.0));
    // Motion marks beside the finger tip.
    p.setPen(g.Pen(ink.accent, 1.3));
    p.drawLine(QPointF(4.0, 3.6), QPointF(6.4, 4.6));
    p.drawLine(QPointF(3.4, 7.0), QPointF(6.2, 7.0));
    p.drawLine(QPointF(14.6, 2.4), QPointF(16.6, 4.4));
}

void HorizontalCircle(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    p.setPen(g.Pen(ink.line, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 13), 10.0, 5.0);
    Arrowhead(g, QPointF(3.2, 15.8), 140, ink.line);
    Arrowhead(g, QPointF(20.8, 10.2), -40, ink.line);
    Listener(g, ink, QPointF(12, 13));
    Source(g, ink, QPointF(15.5, 17.7));
}

void VerticalCircle(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    p.setPen(g.Pen(ink.line, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 5.0, 10.0);
    Arrowhead(g, QPointF(9.2, 3.2), -130, ink.line);
    Arrowhead(g, QPointF(14.8, 20.8), 50, ink.line);
    Listener(g, ink, QPointF(12, 12));
    Source(g, ink, QPointF(16.8, 9.0));
}

void FlyBy(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    QPen dashed = g.Pen(ink.line, 1.5);
    dashed.setDashPattern({2.0, 1.6});
    p.setPen(dashed);
    p.drawLine(QPointF(2.0, 21.0), QPointF(18.6, 4.4));
    Arrowhead(g, QPointF(21.6, 1.6), -45, ink.line, 4.0);
    Listener(g, ink, QPointF(16.0, 16.0));
    Source(g, ink, QPointF(9.0, 13.0), 2.7);
    // Speed streaks behind the source.
    p.setPen(g.Pen(ink.accent, 1.1));
    p.drawLine(QPointF(4.6, 15.0), QPointF(6.6, 13.0));
    p.drawLine(QPointF(6.0, 17.6), QPointF(8.2, 15.4));
}

void Insect(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    // A restless, looping trail...
    QPainterPath trail;
    trail.moveTo(1.6, 21.0);
    trail.cubicTo(6.0, 23.0, 8.0, 14.0, 4.6, 14.6);
    trail.cubicTo(1.4, 15.2, 5.2, 20.0, 9.6, 16.8);
    trail.cubicTo(12.0, 15.0, 10.6, 12.4, 12.6, 11.2);
    QPen dotted = g.Pen(ink.line, 1.2);
    dotted.setDashPattern({1.2, 1.8});
    p.setPen(dotted);
    p.setBrush(Qt::NoBrush);
    p.drawPath(trail);
    // ...ending at a fly: wings, body, head.
    p.save();
    p.translate(16.6, 7.6);
    p.rotate(40);
    p.setPen(g.Pen(ink.line, 1.0));
    p.setBrush(ink.fill);
    p.drawEllipse(QPointF(-3.4, -1.4), 3.6, 2.0);
    p.drawEllipse(QPointF(3.4, -1.4), 3.6, 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    p.drawEllipse(QPointF(0, 1.6), 2.1, 3.8);
    p.setBrush(ink.line);
    p.drawEllipse(QPointF(0, -3.0), 1.7, 1.7);
    p.restore();
}

}  // namespace

void DrawPathGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const Ink& ink) {
    GridPainter g(painter, box);
    switch (glyph) {
    case Glyph::Hand: Hand(g, ink); break;
    case Glyph::HorizontalCircle: HorizontalCircle(g, ink); break;
    case Glyph::VerticalCircle: VerticalCircle(g, ink); break;
    case Glyph::FlyBy: FlyBy(g, ink); break;
    case Glyph::Insect: Insect(g, ink); break;
    default: break;
    }
}

}  // namespace artgen
