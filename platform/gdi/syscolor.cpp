// The process's system colours. Until the program sets its own they are a light desktop's;
// the three 3D greys are deliberately not the greys that LR_LOADMAP3DCOLORS replaces, so
// a mapped image is recognisably mapped.
#include <array>
#include <atomic>

#include "platform/gdi/wingdi.h"

namespace {

constexpr int kColourCount = 32;

struct Default {
    int element;
    COLORREF value;
};
constexpr Default kDefaults[] = {
    {COLOR_WINDOW, RGB(255, 255, 255)},     {COLOR_WINDOWTEXT, RGB(0, 0, 0)},
    {COLOR_HIGHLIGHT, RGB(0, 120, 215)},    {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)},
    {COLOR_3DFACE, RGB(214, 216, 222)},     {COLOR_3DSHADOW, RGB(136, 140, 150)},
    {COLOR_GRAYTEXT, RGB(109, 109, 109)},   {COLOR_BTNTEXT, RGB(0, 0, 0)},
    {COLOR_3DHIGHLIGHT, RGB(255, 255, 255)}, {COLOR_3DDKSHADOW, RGB(64, 64, 64)},
    {COLOR_3DLIGHT, RGB(238, 240, 244)},    {COLOR_INFOTEXT, RGB(0, 0, 0)},
    {COLOR_INFOBK, RGB(255, 255, 225)},     {COLOR_HOTLIGHT, RGB(0, 102, 204)},
};

std::array<std::atomic<COLORREF>, kColourCount>& Colours() {
    static std::array<std::atomic<COLORREF>, kColourCount> colours{};
    static const bool filled = [] {
        for (const Default& d : kDefaults) colours[static_cast<std::size_t>(d.element)] = d.value;
        return true;
    }();
    (void)filled;
    return colours;
}

// The brushes are the colours' own: a changed colour changes its brush, as handles that
// windows already hold expect.
std::array<HBRUSH__, kColourCount>& Brushes() {
    static std::array<HBRUSH__, kColourCount> brushes = [] {
        std::array<HBRUSH__, kColourCount> all{};
        for (std::size_t i = 0; i < all.size(); ++i) all[i].color = Colours()[i].load();
        return all;
    }();
    return brushes;
}

}  // namespace

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= kColourCount) return RGB(0, 0, 0);
    return Colours()[static_cast<std::size_t>(index)].load();
}

BOOL SetSysColors(int count, const int* elements, const COLORREF* values) {
    if (count < 0 || (count > 0 && (!elements || !values))) return FALSE;
    for (int i = 0; i < count; ++i)
        if (elements[i] < 0 || elements[i] >= kColourCount) return FALSE;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(elements[i]);
        Colours()[at] = values[i] & 0x00FFFFFFu;
        Brushes()[at].color = values[i] & 0x00FFFFFFu;
    }
    return TRUE;
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= kColourCount) return nullptr;
    return &Brushes()[static_cast<std::size_t>(index)];
}
