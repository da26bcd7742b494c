#include "res/color_scheme.h"

#include "platform/gdi/wingdi.h"
#include "res/skin_colors.h"

namespace {

struct SchemeEntry {
    int element;
    skin_colors::Rgb colour;
};

// Dark faces with light ink, lists in the skin's deep field, the selection in its accent:
// boxes, tips and lists read as part of the window rather than as a light desktop's.
constexpr SchemeEntry kScheme[] = {
    {COLOR_3DFACE, skin_colors::kPanel},        {COLOR_BTNTEXT, skin_colors::kInk},
    {COLOR_WINDOW, skin_colors::kField},        {COLOR_WINDOWTEXT, skin_colors::kInk},
    {COLOR_HIGHLIGHT, skin_colors::kAccentDeep}, {COLOR_HIGHLIGHTTEXT, skin_colors::kLit},
    {COLOR_GRAYTEXT, skin_colors::kMuted},      {COLOR_INFOBK, skin_colors::kFace},
    {COLOR_INFOTEXT, skin_colors::kLit},        {COLOR_3DHIGHLIGHT, skin_colors::kWall},
    {COLOR_3DLIGHT, skin_colors::kEdge},        {COLOR_3DSHADOW, skin_colors::kWindow},
    {COLOR_3DDKSHADOW, skin_colors::kField},    {COLOR_HOTLIGHT, skin_colors::kAccent},
};

}  // namespace

void ApplySkinColourScheme() {
    constexpr int kCount = static_cast<int>(sizeof kScheme / sizeof kScheme[0]);
    int elements[kCount];
    COLORREF values[kCount];
    for (int i = 0; i < kCount; ++i) {
        elements[i] = kScheme[i].element;
        values[i] = RGB(kScheme[i].colour.r, kScheme[i].colour.g, kScheme[i].colour.b);
    }
    SetSysColors(kCount, elements, values);
}
