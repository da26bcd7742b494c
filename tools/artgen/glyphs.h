// The pictures on the buttons, drawn on a 24 x 24 design grid scaled into a box.
#pragma once

#include "tools/artgen/layout.h"

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace artgen {

struct Ink {
    QColor line;    // strokes and solid shapes
    QColor accent;  // the moving source, water, light
    QColor fill;    // the face the glyph sits on, for cut-outs
};

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const Ink& ink);

// Helpers shared by the glyph files: a painter mapped to the 24-unit grid of a box.
class GridPainter {
public:
    GridPainter(QPainter& p, const QRectF& box);
    ~GridPainter();
    GridPainter(const GridPainter&) = delete;
    GridPainter& operator=(const GridPainter&) = delete;

    QPainter& painter() { return p_; }
    // A pen whose width is given in device pixels whatever the scale.
    QPen Pen(const QColor& colour, double pixels) const;

private:
    QPainter& p_;
    double scale_;
};

void DrawClipGlyph(QPainter& p, Glyph glyph, const QRectF& box, const Ink& ink);
void DrawPathGlyph(QPainter& p, Glyph glyph, const QRectF& box, const Ink& ink);
void DrawRoomGlyph(QPainter& p, Glyph glyph, const QRectF& box, const Ink& ink);

}  // namespace artgen
