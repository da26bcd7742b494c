// The five built-in clips: music, drums, helicopter, high heels and the demo jingle.
#include "tools/artgen/glyphs.h"

#include <QPainterPath>

#include <cmath>

namespace artgen {
namespace {

void Notes(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    QPolygonF beam({{9.2, 5.4}, {20.2, 2.6}, {20.2, 6.0}, {9.2, 8.8}});
    p.drawPolygon(beam);
    p.setPen(g.Pen(ink.line, 1.6));
    p.drawLine(QPointF(9.9, 6.0), QPointF(9.9, 17.5));
    p.drawLine(QPointF(19.5, 3.4), QPointF(19.5, 15.0));
    p.setPen(Qt::NoPen);
    for (QPointF head : {QPointF(6.9, 18.0), QPointF(16.5, 15.5)}) {
        p.save();
        p.translate(head);
        p.rotate(-22);
        p.drawEllipse(QPointF(0, 0), 3.6, 2.6);
        p.restore();
    }
}

void Drum(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    const QRectF top(3.5, 8.5, 17, 5.5);
    QPainterPath body;
    body.moveTo(3.5, 11.25);
    body.lineTo(3.5, 18.5);
    body.arcTo(QRectF(3.5, 15.8, 17, 5.5), 180, 180);
    body.lineTo(20.5, 11.25);
    body.arcTo(top, 0, -180);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawPath(body);
    // Tension rods as cut-outs across the shell.
    p.setPen(g.Pen(ink.fill, 1.1));
    for (int i = 0; i < 4; ++i) {
        const double x = 5.5 + i * 4.3;
        p.drawLine(QPointF(x, 14.6), QPointF(x + 2.1, 19.2));
        p.drawLine(QPointF(x + 2.1, 19.2), QPointF(x + 4.3, 14.6));
    }
    // The head.
    p.setPen(g.Pen(ink.line, 1.2));
    p.setBrush(ink.fill);
    p.drawEllipse(top);
    // Two sticks.
    p.setPen(g.Pen(ink.accent, 1.7));
    p.drawLine(QPointF(3.0, 1.8), QPointF(12.2, 10.2));
    p.drawLine(QPointF(21.0, 1.8), QPointF(13.6, 10.0));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    p.drawEllipse(QPointF(12.3, 10.3), 1.2, 1.2);
    p.drawEllipse(QPointF(13.5, 10.1), 1.2, 1.2);
}

void Helicopter(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    // Cabin and tail boom.
    QPainterPath body;
    body.addEllipse(QRectF(3.0, 9.0, 12.5, 8.5));
    QPainterPath boom;
    boom.moveTo(13.0, 11.0);
    boom.lineTo(22.0, 10.4);
    boom.lineTo(22.0, 12.4);
    boom.lineTo(13.0, 15.0);
    boom.closeSubpath();
    p.drawPath(body.united(boom));
    // Windscreen.
    p.setBrush(ink.accent);
    QPainterPath glass;
    glass.moveTo(4.2, 13.0);
    glass.quadTo(4.8, 10.2, 8.6, 10.0);
    glass.lineTo(8.6, 13.0);
    glass.closeSubpath();
    p.drawPath(glass);
    // Rotor, mast, tail rotor, skids.
    p.setPen(g.Pen(ink.line, 1.6));
    p.drawLine(QPointF(1.5, 6.2), QPointF(19.5, 6.2));
    p.drawLine(QPointF(9.6, 6.2), QPointF(9.6, 9.2));
    p.drawLine(QPointF(21.6, 7.6), QPointF(21.6, 14.6));
    p.setPen(g.Pen(ink.line, 1.3));
    p.drawLine(QPointF(3.6, 20.6), QPointF(15.4, 20.6));
    p.drawLine(QPointF(6.4, 17.0), QPointF(6.0, 20.6));
    p.drawLine(QPointF(12.0, 17.0), QPointF(12.4, 20.6));
}

void HighHeel(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    QPainterPath shoe;
    shoe.moveTo(1.8, 19.6);
    shoe.cubicTo(1.6, 16.4, 5.0, 15.4, 8.6, 15.2);
    shoe.cubicTo(12.6, 14.9, 15.6, 11.0, 17.8, 6.4);
    shoe.lineTo(21.6, 5.0);
    shoe.cubicTo(22.6, 7.6, 22.4, 10.0, 21.2, 12.0);
    shoe.lineTo(21.4, 21.2);
    shoe.lineTo(19.6, 21.2);
    shoe.lineTo(18.8, 14.6);
    shoe.cubicTo(15.0, 15.6, 13.2, 19.6, 10.6, 19.6);
    shoe.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawPath(shoe);
    // The opening of the shoe.
    p.setPen(g.Pen(ink.fill, 1.3));
    p.drawLine(QPointF(11.0, 15.0), QPointF(17.4, 9.4));
    // A small bow.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    p.drawEllipse(QPointF(6.0, 16.6), 1.5, 1.5);
}

QPolygonF StarShape(QPointF centre, double outer, double inner) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double r = (i % 2 == 0) ? outer : inner;
        star << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    }
    return star;
}

void Star(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    p.setPen(g.Pen(ink.line, 1.0));
    p.setBrush(ink.line);
    p.drawPolygon(StarShape(QPointF(10.6, 13.2), 9.6, 4.0));
    // Jingle sparkles.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    p.drawPolygon(StarShape(QPointF(19.6, 4.6), 3.6, 1.1));
    p.drawPolygon(StarShape(QPointF(20.8, 16.8), 2.4, 0.8));
}

}  // namespace

void DrawClipGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const Ink& ink) {
    GridPainter g(painter, box);
    switch (glyph) {
    case Glyph::Notes: Notes(g, ink); break;
    case Glyph::Drum: Drum(g, ink); break;
    case Glyph::Helicopter: Helicopter(g, ink); break;
    case Glyph::HighHeel: HighHeel(g, ink); break;
    case Glyph::Star: Star(g, ink); break;
    default: break;
    }
}

}  // namespace artgen
