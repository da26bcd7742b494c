// The skin's colours and fonts.
#pragma once

#include <QColor>
#include <QFont>

#include <vector>

#include "res/skin_colors.h"

namespace artgen::theme {

inline QColor ToColor(skin_colors::Rgb c) { return QColor(c.r, c.g, c.b); }

// Surfaces and ink: the skin's palette, shared with the native controls.
inline const QColor kWindow = ToColor(skin_colors::kWindow);
inline const QColor kFrame = ToColor(skin_colors::kFrame);
inline const QColor kPanel = ToColor(skin_colors::kPanel);
inline const QColor kFace = ToColor(skin_colors::kFace);
inline const QColor kFaceTop = ToColor(skin_colors::kFaceTop);
inline const QColor kEdge = ToColor(skin_colors::kEdge);
inline const QColor kField = ToColor(skin_colors::kField);
inline const QColor kFloor = ToColor(skin_colors::kFloor);
inline const QColor kGrid = ToColor(skin_colors::kGrid);
inline const QColor kWall = ToColor(skin_colors::kWall);
inline const QColor kStrip = ToColor(skin_colors::kStrip);
inline const QColor kInk = ToColor(skin_colors::kInk);
inline const QColor kMuted = ToColor(skin_colors::kMuted);
inline const QColor kAccent = ToColor(skin_colors::kAccent);
inline const QColor kAccentDeep = ToColor(skin_colors::kAccentDeep);
inline const QColor kLit = ToColor(skin_colors::kLit);
inline const QColor kGo = ToColor(skin_colors::kGo);
inline const QColor kHalt = ToColor(skin_colors::kHalt);
inline const QColor kGlow = ToColor(skin_colors::kGlow);
inline const QColor kGlowHot = ToColor(skin_colors::kGlowHot);
inline const QColor kSkin = ToColor(skin_colors::kSkin);

// Every surface and every ink that meets a surface; the palette holds ramps between them.
std::vector<QColor> Surfaces();
std::vector<QColor> Inks();

QFont Font(int pixelSize, bool bold = false);

}  // namespace artgen::theme
