// The layer's fixed system colours. The three 3D greys are deliberately not the greys
// that LR_LOADMAP3DCOLORS replaces, so a mapped image is recognisably mapped.
#include "platform/gdi/wingdi.h"

COLORREF GetSysColor(int index) {
    switch (index) {
        case COLOR_3DSHADOW: return RGB(136, 140, 150);
        case COLOR_3DFACE: return RGB(214, 216, 222);
        case COLOR_3DLIGHT: return RGB(238, 240, 244);
        case COLOR_WINDOW: return RGB(255, 255, 255);
        default: return RGB(0, 0, 0);
    }
}
