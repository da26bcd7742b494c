// One control-panel button in its normal or selected look.
#pragma once

#include "tools/artgen/layout.h"

#include <QPainter>

namespace artgen {

enum class Look { Normal, Selected };

// Paints the button's destination-sized box with its top-left corner at `corner`.
void DrawButton(QPainter& p, const Button& button, QPoint corner, Look look);

}  // namespace artgen
