#include "tools/artgen/speakers.h"

#include "tools/artgen/theme.h"

namespace artgen {
namespace {

using namespace theme;

void Cabinet(QPainter& p, QPointF topLeft) {
    const QRectF box(topLeft, QSizeF(9, 14));
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kFace);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(box.center().x(), box.top() + 9.2), 2.6, 2.6);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(box.center().x(), box.top() + 3.4), 1.2, 1.2);
}

void Dot(QPainter& p, QPointF at, const QColor& colour, double r = 2.0) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(at, r, r);
}

void Listener(QPainter& p, QPointF c) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 3.0, 3.0);
}

}  // namespace

void DrawIndicatorBand(QPainter& p, const QRect& band) {
    p.save();
    p.fillRect(band, kStrip);
    p.fillRect(QRect(band.left(), band.top(), band.width(), 1), kEdge);
    p.fillRect(QRect(band.left(), band.top() + kIndicatorImageHeight, band.width(), 1), kEdge);
    p.restore();
}

void DrawSpeakerImage(QPainter& p, const SpeakerImage& image) {
    const QRect area(image.source.topLeft(), QSize(image.width, image.source.height()));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DrawIndicatorBand(p, area);
    p.setClipRect(QRect(area.topLeft(), QSize(image.width, kIndicatorImageHeight)));
    const double top = area.top() + 1;       // below the band's top line
    const double mid = top + 10.5;           // middle of the 21 rows under it
    const double x = area.left() + 6;
    double textX = x;
    QString label;
    switch (image.kind) {
    case Speakers::Headphones: {
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(x + 1, mid - 7.5, 16, 16), 20 * 16, 140 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(x, mid - 1, 5, 8), 2, 2);
        p.drawRoundedRect(QRectF(x + 13, mid - 1, 5, 8), 2, 2);
        textX = x + 23;
        label = QStringLiteral("Headphones");
        break;
    }
    case Speakers::Stereo:
        Cabinet(p, QPointF(x, mid - 7));
        Cabinet(p, QPointF(x + 14, mid - 7));
        textX = x + 31;
        label = QStringLiteral("Stereo");
        break;
    case Speakers::Quad: {
        const QPointF c(x + 11, mid);
        for (QPointF d : {QPointF(-9, -6), QPointF(9, -6), QPointF(-9, 6), QPointF(9, 6)}) Dot(p, c + d, kAccent);
        Listener(p, c);
        textX = x + 29;
        label = QStringLiteral("Quad");
        break;
    }
    case Speakers::FivePointOne: {
        const QPointF c(x + 11, mid);
        for (QPointF d : {QPointF(-9, -6), QPointF(0, -8), QPointF(9, -6), QPointF(-9, 6), QPointF(9, 6)})
            Dot(p, c + d, kAccent);
        p.setPen(Qt::NoPen);
        p.setBrush(kGlow);
        p.drawRoundedRect(QRectF(c.x() - 2.5, c.y() + 5, 5, 4), 1, 1);
        Listener(p, c);
        textX = x + 29;
        label = QStringLiteral("5.1");
        break;
    }
    }
    p.setFont(Font(image.kind == Speakers::Headphones ? 11 : 12, true));
    p.setPen(kInk);
    p.drawText(QRectF(textX, top, area.right() - textX, kIndicatorImageHeight - 1), Qt::AlignLeft | Qt::AlignVCenter,
               label);
    p.restore();
}

}  // namespace artgen
