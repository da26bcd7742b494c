// The six rooms: bathroom, concert hall, sewer pipe, karaoke room, underwater, hangar.
#include "tools/artgen/glyphs.h"

#include <QPainterPath>

#include <cmath>

namespace artgen {
namespace {

void Bathroom(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    // Shower head and drops.
    p.setPen(g.Pen(ink.line, 1.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath pipe;
    pipe.moveTo(3.0, 12.0);
    pipe.lineTo(3.0, 3.6);
    pipe.quadTo(3.0, 2.0, 4.6, 2.0);
    pipe.lineTo(8.0, 2.0);
    pipe.lineTo(8.0, 4.0);
    p.drawPath(pipe);
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawChord(QRectF(5.4, 3.6, 5.2, 4.0), 0, 180 * 16);
    p.setBrush(ink.accent);
    for (QPointF d : {QPointF(6.4, 8.2), QPointF(8.8, 8.8), QPointF(7.4, 10.6)}) p.drawEllipse(d, 0.8, 0.8);
    // Bubbles above the tub.
    p.setPen(g.Pen(ink.accent, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(15.4, 9.0), 1.9, 1.9);
    p.drawEllipse(QPointF(19.4, 10.2), 1.3, 1.3);
    p.drawEllipse(QPointF(18.2, 6.0), 1.0, 1.0);
    // The tub on its feet.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawRoundedRect(QRectF(1.6, 12.4, 20.8, 2.2), 1.1, 1.1);
    QPainterPath tub;
    tub.moveTo(3.0, 14.0);
    tub.lineTo(21.0, 14.0);
    tub.lineTo(20.4, 16.6);
    tub.quadTo(19.6, 19.4, 16.4, 19.4);
    tub.lineTo(7.6, 19.4);
    tub.quadTo(4.4, 19.4, 3.6, 16.6);
    tub.closeSubpath();
    p.drawPath(tub);
    p.setPen(g.Pen(ink.line, 1.5));
    p.drawLine(QPointF(6.0, 19.0), QPointF(5.0, 21.6));
    p.drawLine(QPointF(18.0, 19.0), QPointF(19.0, 21.6));
}

void ConcertHall(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawPolygon(QPolygonF({{1.8, 7.6}, {12.0, 2.0}, {22.2, 7.6}}));
    p.drawRect(QRectF(2.6, 8.4, 18.8, 1.6));
    for (int i = 0; i < 4; ++i) p.drawRect(QRectF(4.0 + i * 4.7, 10.8, 2.2, 7.4));
    p.drawRect(QRectF(2.6, 18.6, 18.8, 1.5));
    p.drawRect(QRectF(1.4, 20.6, 21.2, 1.6));
    // A note in the pediment.
    p.setBrush(ink.accent);
    p.drawEllipse(QPointF(11.2, 6.2), 1.3, 1.0);
    p.setPen(g.Pen(ink.accent, 0.8));
    p.drawLine(QPointF(12.3, 6.0), QPointF(12.3, 3.6));
}

void SewerPipe(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    // The pipe runs in from the left and opens towards the viewer.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawRect(QRectF(1.0, 4.2, 11.0, 13.6));
    p.drawEllipse(QPointF(12.4, 11.0), 7.0, 7.0);
    p.setPen(g.Pen(ink.fill, 1.0));
    p.drawLine(QPointF(5.0, 4.2), QPointF(5.0, 17.8));
    // The dark mouth with its echoing rings.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.fill);
    p.drawEllipse(QPointF(12.9, 11.0), 5.2, 5.2);
    p.setPen(g.Pen(ink.line, 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(13.4, 11.0), 3.3, 3.3);
    p.drawEllipse(QPointF(13.8, 11.0), 1.5, 1.5);
    // Water running out.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    QPainterPath drop;
    drop.moveTo(14.0, 16.6);
    drop.cubicTo(15.6, 19.0, 16.2, 19.8, 16.2, 20.6);
    drop.cubicTo(16.2, 22.4, 13.0, 22.4, 13.0, 20.6);
    drop.cubicTo(13.0, 19.8, 13.6, 18.6, 14.0, 16.6);
    p.drawPath(drop);
    p.drawRoundedRect(QRectF(4.0, 21.0, 7.0, 1.4), 0.7, 0.7);
    p.drawRoundedRect(QRectF(18.0, 21.0, 4.5, 1.4), 0.7, 0.7);
}

void Ktv(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    // Handle, then the head on top of it.
    p.setPen(g.Pen(ink.line, 3.2));
    p.drawLine(QPointF(11.4, 11.6), QPointF(4.2, 20.6));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawEllipse(QPointF(14.2, 8.6), 5.2, 5.2);
    p.setPen(g.Pen(ink.fill, 0.8));
    p.drawLine(QPointF(10.6, 7.0), QPointF(15.8, 12.2));
    p.drawLine(QPointF(12.6, 4.0), QPointF(18.8, 10.2));
    p.drawLine(QPointF(17.8, 5.0), QPointF(11.2, 11.6));
    // Sound waves.
    p.setPen(g.Pen(ink.accent, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(13.0, 12.0, 9.0, 9.0), -80 * 16, 70 * 16);
    p.drawArc(QRectF(11.0, 10.0, 13.0, 13.0), -85 * 16, 80 * 16);
}

void Underwater(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    // Surface waves.
    p.setPen(g.Pen(ink.accent, 1.5));
    p.setBrush(Qt::NoBrush);
    for (double y : {3.0, 6.4}) {
        QPainterPath wave;
        wave.moveTo(1.5, y);
        for (int i = 0; i < 3; ++i) wave.cubicTo(3.0 + i * 7, y - 2.0, 5.0 + i * 7, y + 2.0, 8.5 + i * 7, y);
        p.drawPath(wave);
    }
    // A fish.
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    QPainterPath fish;
    fish.moveTo(3.0, 15.0);
    fish.cubicTo(6.0, 10.0, 13.0, 10.0, 16.0, 15.0);
    fish.cubicTo(13.0, 20.0, 6.0, 20.0, 3.0, 15.0);
    fish.moveTo(15.0, 15.0);
    fish.lineTo(20.6, 11.4);
    fish.lineTo(20.6, 18.6);
    fish.closeSubpath();
    fish.setFillRule(Qt::WindingFill);
    p.drawPath(fish);
    p.setBrush(ink.fill);
    p.drawEllipse(QPointF(6.6, 14.2), 1.1, 1.1);
    // Bubbles.
    p.setPen(g.Pen(ink.accent, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(19.6, 21.2), 1.3, 1.3);
    p.drawEllipse(QPointF(9.6, 21.6), 0.9, 0.9);
}

void Hangar(GridPainter& g, const Ink& ink) {
    QPainter& p = g.painter();
    QPainterPath arch;
    arch.moveTo(1.6, 19.6);
    arch.lineTo(1.6, 14.0);
    arch.cubicTo(1.6, 5.0, 22.4, 5.0, 22.4, 14.0);
    arch.lineTo(22.4, 19.6);
    arch.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink.line);
    p.drawPath(arch);
    // The open door with a plane inside, seen nose on: wings, fin, fuselage.
    p.setBrush(ink.fill);
    p.drawRect(QRectF(5.2, 11.4, 13.6, 8.2));
    p.setPen(g.Pen(ink.accent, 1.4));
    p.drawLine(QPointF(6.6, 16.2), QPointF(17.4, 16.2));
    p.drawLine(QPointF(12.0, 12.6), QPointF(12.0, 15.0));
    p.setPen(Qt::NoPen);
    p.setBrush(ink.accent);
    p.drawEllipse(QPointF(12.0, 16.2), 1.9, 1.9);
    p.drawEllipse(QPointF(8.6, 17.4), 0.8, 0.8);
    p.drawEllipse(QPointF(15.4, 17.4), 0.8, 0.8);
    // Roof ribs and the ground.
    p.setPen(g.Pen(ink.fill, 0.8));
    p.drawLine(QPointF(12.0, 7.4), QPointF(12.0, 11.0));
    p.drawLine(QPointF(6.2, 8.8), QPointF(7.4, 11.0));
    p.drawLine(QPointF(17.8, 8.8), QPointF(16.6, 11.0));
    p.setPen(g.Pen(ink.line, 1.4));
    p.drawLine(QPointF(0.8, 21.2), QPointF(23.2, 21.2));
}

}  // namespace

void DrawRoomGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const Ink& ink) {
    GridPainter g(painter, box);
    switch (glyph) {
    case Glyph::Bathroom: Bathroom(g, ink); break;
    case Glyph::ConcertHall: ConcertHall(g, ink); break;
    case Glyph::SewerPipe: SewerPipe(g, ink); break;
    case Glyph::Ktv: Ktv(g, ink); break;
    case Glyph::Underwater: Underwater(g, ink); break;
    case Glyph::Hangar: Hangar(g, ink); break;
    default: break;
    }
}

}  // namespace artgen
