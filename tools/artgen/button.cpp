#include "tools/artgen/button.h"

#include "tools/artgen/glyphs.h"
#include "tools/artgen/theme.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace artgen {
namespace {

using namespace theme;

constexpr double kRadius = 6.0;

bool IsTextButton(Glyph g) { return g == Glyph::Custom || g == Glyph::Play || g == Glyph::Stop; }

QColor FaceOf(Look look) { return look == Look::Selected ? kAccentDeep : kFace; }

void DrawFace(QPainter& p, const QRectF& face, Look look) {
    const QRectF r = face.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    if (look == Look::Selected) {
        fill.setColorAt(0, QColor(22, 104, 148));
        fill.setColorAt(1, QColor(12, 64, 96));
        p.setPen(QPen(kAccent, 1.4));
    } else {
        fill.setColorAt(0, kFaceTop);
        fill.setColorAt(1, kFace);
        p.setPen(QPen(kEdge, 1.0));
    }
    p.setBrush(fill);
    p.drawRoundedRect(r, kRadius, kRadius);
    if (look == Look::Selected) {
        // A lit rim along the top.
        p.setPen(QPen(QColor(120, 214, 252), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(r.left() + kRadius, r.top() + 1.5), QPointF(r.right() - kRadius, r.top() + 1.5));
    }
}

void DrawListField(QPainter& p, const QRectF& box) {
    const QRectF r = box.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(kEdge, 1.0));
    p.setBrush(kField);
    p.drawRoundedRect(r, 3, 3);
    // Inner shadow along the top makes it read as a sunken field.
    p.setPen(QPen(QColor(6, 8, 12), 1.0));
    p.drawLine(QPointF(r.left() + 3, r.top() + 1.5), QPointF(r.right() - 3, r.top() + 1.5));
    // The drop-down arrow.
    const double cx = r.right() - 8, cy = r.center().y();
    p.setPen(QPen(kMuted, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{cx - 3.5, cy - 1.5}, {cx, cy + 2}, {cx + 3.5, cy - 1.5}}));
}

void DrawPlusMinus(QPainter& p, const QRectF& face, bool plus, const QColor& ink) {
    const QPointF c = face.center();
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - 4.5, c.y()), QPointF(c.x() + 4.5, c.y()));
    if (plus) p.drawLine(QPointF(c.x(), c.y() - 4.5), QPointF(c.x(), c.y() + 4.5));
}

void DrawTextButton(QPainter& p, const QRectF& face, Glyph glyph, Look look) {
    const bool lit = look == Look::Selected;
    QString label;
    QColor mark;
    if (glyph == Glyph::Custom) {
        label = QStringLiteral("Custom");
        mark = lit ? kAccent : kMuted;
    } else if (glyph == Glyph::Play) {
        label = QStringLiteral("Play");
        mark = kGo;
    } else {
        label = QStringLiteral("Stop");
        mark = kHalt;
    }
    p.setFont(Font(12, true));
    const QFontMetricsF fm(p.font());
    const double markW = glyph == Glyph::Custom ? 9.0 : 11.0;
    const double gap = 6.0;
    const double total = markW + gap + fm.horizontalAdvance(label);
    const double x0 = face.center().x() - total / 2.0;
    const double cy = face.center().y();
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    if (glyph == Glyph::Play) {
        p.drawPolygon(QPolygonF({{x0, cy - 6}, {x0 + markW, cy}, {x0, cy + 6}}));
    } else if (glyph == Glyph::Stop) {
        p.drawRoundedRect(QRectF(x0, cy - 5, 10, 10), 1.5, 1.5);
    } else {
        // A little wave-file sheet.
        p.drawRoundedRect(QRectF(x0, cy - 6, markW, 12), 1.5, 1.5);
        p.setPen(QPen(FaceOf(look), 1.0));
        p.drawLine(QPointF(x0 + 2, cy + 1), QPointF(x0 + 3.5, cy - 2));
        p.drawLine(QPointF(x0 + 3.5, cy - 2), QPointF(x0 + 5, cy + 3));
        p.drawLine(QPointF(x0 + 5, cy + 3), QPointF(x0 + 7, cy - 1));
    }
    p.setPen(lit ? kLit : kInk);
    p.drawText(QRectF(x0 + markW + gap, face.top(), face.width(), face.height()),
               Qt::AlignLeft | Qt::AlignVCenter, label);
}

}  // namespace

void DrawButton(QPainter& p, const Button& button, QPoint corner, Look look) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QRect box = ArtBox(button).translated(corner);
    // A one-pixel margin keeps neighbouring faces apart.
    const QRectF face = QRectF(box).adjusted(1, 1, -1, -1);
    if (button.glyph == Glyph::ListField) {
        DrawListField(p, face);
        p.restore();
        return;
    }
    DrawFace(p, face, look);
    const QColor fill = FaceOf(look);
    if (button.glyph == Glyph::Add || button.glyph == Glyph::Remove) {
        DrawPlusMinus(p, face, button.glyph == Glyph::Add, look == Look::Selected ? kLit : kInk);
    } else if (IsTextButton(button.glyph)) {
        DrawTextButton(p, face, button.glyph, look);
    } else {
        const Ink ink = look == Look::Selected ? Ink{kLit, kGlow, fill} : Ink{kInk, kAccent, fill};
        DrawGlyph(p, button.glyph, face.adjusted(4, 4, -4, -4), ink);
    }
    p.restore();
}

}  // namespace artgen
