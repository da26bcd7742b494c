// The layer's fixed system colours. The three 3D greys are deliberately not the greys
// that LR_LOADMAP3DCOLORS replaces, so a mapped image is recognisably mapped.
#include <array>

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

HBRUSH GetSysColorBrush(int index) {
    static std::array<HBRUSH__, 32> brushes = [] {
        std::array<HBRUSH__, 32> all{};
        for (std::size_t i = 0; i < all.size(); ++i) all[i].color = GetSysColor(static_cast<int>(i));
        return all;
    }();
    if (index < 0 || index >= static_cast<int>(brushes.size())) return nullptr;
    return &brushes[static_cast<std::size_t>(index)];
}
