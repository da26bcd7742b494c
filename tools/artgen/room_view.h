// The room seen from above, with the listener's head in the middle facing up.
#pragma once

#include <QPainter>
#include <QRect>

namespace artgen {

void DrawRoomView(QPainter& p, const QRect& room);

// A head seen from above, nose towards the top (the front).
void DrawHead(QPainter& p, QPointF centre, double radius);

}  // namespace artgen
