// The window as the skin draws it: each region copies its destination's size from its
// source's top-left corner.
#include "tools/artgen/bitmaps.h"

#include "tools/artgen/layout.h"

#include <QPainter>

namespace artgen {
namespace {

void Blit(QPainter& p, const QImage& from, QPoint src, const QRect& dest) {
    p.drawImage(dest.topLeft(), from, QRect(src, dest.size()));
}

}  // namespace

QImage ComposeWindow(const QImage& main, const QImage& panel, const QImage& sheet, bool selected) {
    QImage screen(kMainSize, QImage::Format_RGB32);
    QPainter p(&screen);
    Blit(p, main, QPoint(0, 0), QRect(QPoint(0, 0), kMainSize));
    Blit(p, panel, kPanelSource, kPanelDest);
    for (const Button& b : kButtons) {
        if (selected && b.selectedSrc != kNoSelection)
            Blit(p, sheet, b.selectedSrc, b.dest);
        else
            Blit(p, panel, b.normalSrc, b.dest);
    }
    Blit(p, sheet, kPadSource.topLeft(), kPadDest);
    Blit(p, sheet, kIndicatorStrip.topLeft(), kIndicatorDest);
    // Every-button-normal shows 5.1 with its badge; every-button-selected shows stereo.
    const SpeakerImage& speakers = kSpeakerImages[selected ? 1 : 3];
    Blit(p, sheet, speakers.source.topLeft(),
         QRect(kIndicatorDest.topLeft(), QSize(speakers.width, kIndicatorImageHeight)));
    if (!selected) Blit(p, sheet, kBadgeSource.topLeft(), kBadgeDest);
    Blit(p, sheet, kRoomSource.topLeft(), kRoomDest);
    Blit(p, sheet, kExitSource.topLeft(), kExitDest);
    // The marker through its mask, a little larger than life as when it is up high.
    const QRect at(kRoomDest.left() + 200, kRoomDest.top() + 70, 20, 20);
    const QImage sprite = sheet.copy(kSpriteSource).scaled(at.size());
    const QImage mask = sheet.copy(kMaskSource).scaled(at.size());
    for (int y = 0; y < at.height(); ++y)
        for (int x = 0; x < at.width(); ++x)
            if (qGray(mask.pixel(x, y)) < 128) screen.setPixel(at.topLeft() + QPoint(x, y), sprite.pixel(x, y));
    return screen;
}

}  // namespace artgen
