// The one palette shared by the 8-bit skin bitmaps, and the conversion to it.
#pragma once

#include <QImage>
#include <QList>

#include <vector>

namespace artgen {

// At most 256 colours chosen once for all the given images: pure black and white (the
// sprite mask), every theme colour exactly, and a median cut of the images' remaining
// shades. It never holds the greys 128/128/128, 192/192/192 or 223/223/223, which the
// loader replaces with system colours.
QList<QRgb> ChoosePalette(const std::vector<QImage>& images);

// Nearest-colour mapping onto the palette, without dithering.
QImage ToPalette(const QImage& image, const QList<QRgb>& palette);

}  // namespace artgen
