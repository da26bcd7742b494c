// The skin's colours and fonts: a dark slate theme with a sky-blue accent.
#pragma once

#include <QColor>
#include <QFont>

#include <vector>

namespace artgen::theme {

// Surfaces, darkest first.
inline const QColor kWindow(15, 19, 27);
inline const QColor kFrame(44, 54, 72);
inline const QColor kPanel(24, 30, 41);
inline const QColor kFace(36, 44, 59);
inline const QColor kFaceTop(44, 53, 70);
inline const QColor kEdge(55, 67, 88);
inline const QColor kField(13, 17, 24);
inline const QColor kFloor(17, 23, 33);
inline const QColor kGrid(28, 37, 52);
inline const QColor kWall(63, 78, 102);
inline const QColor kStrip(31, 39, 53);

// Ink.
inline const QColor kInk(200, 212, 228);
inline const QColor kMuted(122, 140, 166);
inline const QColor kAccent(56, 189, 248);
inline const QColor kAccentDeep(10, 56, 84);
inline const QColor kLit(236, 248, 255);
inline const QColor kGo(74, 222, 128);
inline const QColor kHalt(248, 113, 113);
inline const QColor kGlow(255, 176, 32);
inline const QColor kGlowHot(255, 244, 200);
inline const QColor kSkin(232, 214, 196);

// Every surface and every ink that meets a surface; the palette holds ramps between them.
std::vector<QColor> Surfaces();
std::vector<QColor> Inks();

QFont Font(int pixelSize, bool bold = false);

}  // namespace artgen::theme
