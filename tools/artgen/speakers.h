// The speaker indicator: its band and the picture of each speaker configuration.
#pragma once

#include "tools/artgen/layout.h"

#include <QPainter>

namespace artgen {

// The band varies only from top to bottom, so it looks the same wherever the pad and the
// indicator show it side by side.
void DrawIndicatorBand(QPainter& p, const QRect& band);

void DrawSpeakerImage(QPainter& p, const SpeakerImage& image);

}  // namespace artgen
