// The layer's system colours as the toolkit's palette, so the native controls (the list
// box and its popup, tool tips, message boxes, the about box, the file dialog's frame)
// are drawn in the colours the program chose for itself: its skin's.
#pragma once

#include <QPalette>

namespace qt_host {

QPalette SystemPalette();

// Makes the system palette the application's and the tool tips', keeping the desktop's
// own for DesktopPalette. Again after the colours changed; nothing when they did not.
void ApplySystemPalette();

// The palette the desktop gave the application before ApplySystemPalette: for what
// shows content that is not the program's (the lists of a file dialog).
QPalette DesktopPalette();

}  // namespace qt_host
