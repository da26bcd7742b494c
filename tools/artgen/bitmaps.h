// The skin bitmaps and the icon, painted in full colour; the caller reduces them to the
// shared palette.
#pragma once

#include <QImage>

namespace artgen {

QImage PaintMainWindow();    // 640 x 455
QImage PaintControlPanel();  // 294 x 406, every button normal
QImage PaintSheet();         // 473 x 500: position pad, speaker images, sprite, selected buttons
QImage PaintAppIcon();       // 32 x 32 on the window colour, for the icon resource
QImage PaintAppIcon(int size);  // size x size with transparent corners, for the desktop

// The picture a user sees: the window composed from the three bitmaps the way the skin
// draws it, with every button normal or every button selected.
QImage ComposeWindow(const QImage& main, const QImage& panel, const QImage& sheet, bool selected);

}  // namespace artgen
