#include "platform/host/qt/system_palette.h"

#include <optional>

#include <QApplication>
#include <QToolTip>

#include "platform/gdi/wingdi.h"

namespace qt_host {
namespace {

QColor Sys(int element) {
    const COLORREF c = GetSysColor(element);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

std::optional<QPalette>& Desktop() {
    static std::optional<QPalette> desktop;
    return desktop;
}

}  // namespace

QPalette SystemPalette() {
    const QColor face = Sys(COLOR_3DFACE);
    const QColor shadow = Sys(COLOR_3DSHADOW);
    QPalette p(face);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, face);
        p.setColor(group, QPalette::Button, face);
        p.setColor(group, QPalette::Base, Sys(COLOR_WINDOW));
        p.setColor(group, QPalette::AlternateBase, face);
        p.setColor(group, QPalette::WindowText, Sys(COLOR_WINDOWTEXT));
        p.setColor(group, QPalette::Text, Sys(COLOR_WINDOWTEXT));
        p.setColor(group, QPalette::ButtonText, Sys(COLOR_BTNTEXT));
        p.setColor(group, QPalette::BrightText, Sys(COLOR_HIGHLIGHTTEXT));
        p.setColor(group, QPalette::Highlight, Sys(COLOR_HIGHLIGHT));
        p.setColor(group, QPalette::HighlightedText, Sys(COLOR_HIGHLIGHTTEXT));
        p.setColor(group, QPalette::ToolTipBase, Sys(COLOR_INFOBK));
        p.setColor(group, QPalette::ToolTipText, Sys(COLOR_INFOTEXT));
        p.setColor(group, QPalette::PlaceholderText, Sys(COLOR_GRAYTEXT));
        p.setColor(group, QPalette::Link, Sys(COLOR_HOTLIGHT));
        p.setColor(group, QPalette::LinkVisited, Sys(COLOR_HOTLIGHT));
        p.setColor(group, QPalette::Light, Sys(COLOR_3DHIGHLIGHT));
        p.setColor(group, QPalette::Midlight, Sys(COLOR_3DLIGHT));
        p.setColor(group, QPalette::Mid, QColor((face.red() + shadow.red()) / 2, (face.green() + shadow.green()) / 2,
                                                (face.blue() + shadow.blue()) / 2));
        p.setColor(group, QPalette::Dark, shadow);
        p.setColor(group, QPalette::Shadow, Sys(COLOR_3DDKSHADOW));
    }
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, Sys(COLOR_GRAYTEXT));
    return p;
}

void ApplySystemPalette() {
    if (!Desktop()) Desktop() = QApplication::palette();
    const QPalette wanted = SystemPalette();
    if (QApplication::palette() == wanted && QToolTip::palette() == wanted) return;
    QApplication::setPalette(wanted);
    QToolTip::setPalette(wanted);
}

QPalette DesktopPalette() {
    QPalette desktop = Desktop().value_or(QApplication::palette());
    // Every role as given: a widget would otherwise take the roles nobody set explicitly
    // from its parent, the program's colours again.
    desktop.setResolveMask(~QPalette::ResolveMask(0));
    return desktop;
}

}  // namespace qt_host
