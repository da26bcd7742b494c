// The sheet: the position pad, the speaker pictures and badge, the source marker and its
// mask, and every control-panel button in its selected look.
#include "tools/artgen/bitmaps.h"

#include "tools/artgen/button.h"
#include "tools/artgen/layout.h"
#include "tools/artgen/room_view.h"
#include "tools/artgen/speakers.h"
#include "tools/artgen/theme.h"

#include <QPainter>

#include <cmath>

namespace artgen {
namespace {

using namespace theme;

// The indicator strip and the room view run to the pad's edges, where the pad's frame
// line is: they carry that line themselves, or drawing them would cut it. The strip does
// so in both copies the skin shows, the pad background's own and region 25's, which
// starts five pixels further right in the sheet than the background shows it.
void KeepFrameLines(QPainter& p, const QRectF& pad) {
    const int left = static_cast<int>(pad.left());
    const int right = static_cast<int>(pad.right()) - 1;
    const int stripTop = kIndicatorStrip.top();
    const int roomBottom = kRoomSource.top() + kRoomDest.height();
    p.fillRect(QRect(right, stripTop, 1, roomBottom - stripTop), kFrame);
    p.fillRect(QRect(left, kRoomSource.top(), 1, kRoomDest.height()), kFrame);
    const int frameInStrip = kIndicatorStrip.left() + (kPadDest.right() - kIndicatorDest.left());
    p.fillRect(QRect(frameInStrip, stripTop, 1, kIndicatorStrip.height()), kFrame);
}

// Which way the listener faces, outside the room view: the sprite goes everywhere in
// it (Fly-by runs along the front and back walls), so a label in there would be hidden.
void DrawRoomLabels(QPainter& p) {
    const double centre = kRoomSource.left() + kRoomDest.width() / 2.0;
    p.setFont(Font(9, true));
    p.setPen(kMuted);
    p.drawText(QRectF(centre - 30, 8, 60, 20), Qt::AlignCenter, QStringLiteral("\u25B2 FRONT"));
    p.drawText(QRectF(centre - 30, kRoomSource.bottom() + 2, 60, 27), Qt::AlignCenter, QStringLiteral("BACK \u25BC"));
}

void DrawPadBackground(QPainter& p) {
    const QRectF pad(kPadSource.topLeft(), kPadDest.size());
    p.setPen(QPen(kFrame, 1.0));
    p.setBrush(kPanel);
    p.drawRoundedRect(pad.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.setFont(Font(13, true));
    p.setPen(kInk);
    p.drawText(QRectF(16, 8, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Listening room"));
    p.setFont(Font(11, true));
    p.setPen(kMuted);
    p.drawText(QRectF(16, 30, 96, 23), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Speakers"));
    DrawIndicatorBand(p, kIndicatorStrip);
    DrawRoomView(p, QRect(kRoomSource.topLeft(), kRoomDest.size()));
    KeepFrameLines(p, pad);
    DrawRoomLabels(p);
    p.setFont(Font(10));
    p.setPen(kMuted);
    p.drawText(QRectF(16, 368, 120, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Manual: drag the source"));
}

void DrawExit(QPainter& p) {
    // The pad background shows this picture one pixel up and left of where the button
    // draws it, so it keeps a one-pixel margin at its top and left.
    const QRectF face = QRectF(kExitSource.topLeft() + QPoint(1, 1), kExitDest.size() - QSize(1, 1))
                            .adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(kEdge, 1.0));
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, kFaceTop);
    fill.setColorAt(1, kFace);
    p.setBrush(fill);
    p.drawRoundedRect(face, 5, 5);
    p.setFont(Font(11, true));
    const double textW = QFontMetricsF(p.font()).horizontalAdvance(QStringLiteral("Exit"));
    const double x0 = face.center().x() - (textW + 14) / 2;
    const double cy = face.center().y();
    // A power mark in the halt colour.
    p.setPen(QPen(kHalt, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x0, cy - 4.5, 9, 9), 120 * 16, 300 * 16);
    p.drawLine(QPointF(x0 + 4.5, cy - 6), QPointF(x0 + 4.5, cy - 1));
    p.setPen(kInk);
    p.drawText(QRectF(x0 + 14, face.top(), textW + 4, face.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Exit"));
}

void DrawBadge(QPainter& p) {
    const QRectF pill = QRectF(kBadgeSource.topLeft(), kBadgeDest.size()).adjusted(1.5, 2.5, -1.5, -2.5);
    p.setPen(QPen(kAccent, 1.0));
    p.setBrush(kAccentDeep);
    p.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    p.setFont(Font(7, true));
    p.setPen(kLit);
    p.drawText(pill, Qt::AlignCenter, QStringLiteral("SURROUND"));
}

// The marker is a small glowing disc. Its mask is exact: black where the disc is.
constexpr double kSpriteRadius = 6.3;

bool InSprite(int x, int y, int size) {
    const double c = size / 2.0;
    const double dx = x + 0.5 - c, dy = y + 0.5 - c;
    return dx * dx + dy * dy <= kSpriteRadius * kSpriteRadius;
}

QColor Blend(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

void DrawSpriteAndMask(QImage& image) {
    const int size = kSpriteSource.width();
    const QColor rim(214, 96, 12);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool in = InSprite(x, y, size);
            const double c = size / 2.0;
            // The light sits a little up and left, like a lit sphere.
            const double d = std::hypot(x + 0.5 - (c - 1.4), y + 0.5 - (c - 1.4)) / (kSpriteRadius + 1.4);
            QColor colour = d < 0.3 ? kGlowHot : d < 0.7 ? Blend(kGlowHot, kGlow, (d - 0.3) / 0.4)
                                                          : Blend(kGlow, rim, std::min(1.0, (d - 0.7) / 0.3));
            image.setPixelColor(kSpriteSource.topLeft() + QPoint(x, y), in ? colour : QColor(Qt::black));
            image.setPixelColor(kMaskSource.topLeft() + QPoint(x, y), in ? QColor(Qt::black) : QColor(Qt::white));
        }
}

}  // namespace

QImage PaintSheet() {
    QImage image(kSheetSize, QImage::Format_RGB32);
    image.fill(kPanel);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        DrawPadBackground(p);
        DrawExit(p);
        for (const SpeakerImage& s : kSpeakerImages) DrawSpeakerImage(p, s);
        DrawBadge(p);
        for (const Button& b : kButtons)
            if (b.selectedSrc != kNoSelection) DrawButton(p, b, b.selectedSrc, Look::Selected);
    }
    DrawSpriteAndMask(image);
    return image;
}

}  // namespace artgen
