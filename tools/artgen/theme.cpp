#include "tools/artgen/theme.h"

namespace artgen::theme {

std::vector<QColor> Surfaces() {
    return {kWindow, kFrame, kPanel, kFace, kFaceTop, kField, kFloor, kStrip, kAccentDeep};
}

std::vector<QColor> Inks() {
    return {kInk, kMuted, kAccent, kLit, kGo, kHalt, kGlow, kSkin, kWall, kEdge};
}

QFont Font(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace artgen::theme
