#include "tools/artgen/glyphs.h"

#include <algorithm>

namespace artgen {

GridPainter::GridPainter(QPainter& p, const QRectF& box) : p_(p) {
    scale_ = std::min(box.width(), box.height()) / 24.0;
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing, true);
    p_.translate(box.center().x() - 12.0 * scale_, box.center().y() - 12.0 * scale_);
    p_.scale(scale_, scale_);
}

GridPainter::~GridPainter() { p_.restore(); }

QPen GridPainter::Pen(const QColor& colour, double pixels) const {
    QPen pen(colour, pixels / scale_);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const Ink& ink) {
    switch (glyph) {
    case Glyph::Notes:
    case Glyph::Drum:
    case Glyph::Helicopter:
    case Glyph::HighHeel:
    case Glyph::Star:
        DrawClipGlyph(p, glyph, box, ink);
        break;
    case Glyph::Hand:
    case Glyph::HorizontalCircle:
    case Glyph::VerticalCircle:
    case Glyph::FlyBy:
    case Glyph::Insect:
        DrawPathGlyph(p, glyph, box, ink);
        break;
    case Glyph::Bathroom:
    case Glyph::ConcertHall:
    case Glyph::SewerPipe:
    case Glyph::Ktv:
    case Glyph::Underwater:
    case Glyph::Hangar:
        DrawRoomGlyph(p, glyph, box, ink);
        break;
    default:
        break;  // the text buttons draw themselves
    }
}

}  // namespace artgen
