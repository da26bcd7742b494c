// Where every region of the main window lies and which part of which bitmap it shows.
#include "skin/skin_layout.h"

namespace {

constexpr int kMainBitmap = 0;   // IDB_MAIN
constexpr int kPanelBitmap = 1;  // IDB_PANEL
constexpr int kSheetBitmap = 2;  // IDB_SHEET

struct Area {
    int region;
    RECT rect;
};

// Control panel: destinations, normal images (panel bitmap), selected images (sheet).
constexpr Area kPanelDest[] = {
    {1, {4, 50, 290, 442}},     {2, {23, 105, 61, 144}},    {3, {72, 104, 110, 144}},
    {4, {122, 104, 160, 144}},  {5, {171, 104, 209, 144}},  {6, {220, 104, 258, 144}},
    {7, {21, 149, 102, 174}},   {8, {109, 151, 214, 169}},  {9, {219, 150, 240, 170}},
    {10, {241, 150, 262, 170}}, {11, {31, 237, 68, 275}},   {12, {76, 237, 112, 275}},
    {13, {122, 237, 159, 275}}, {14, {167, 237, 204, 275}}, {15, {212, 237, 249, 275}},
    {16, {22, 331, 60, 371}},   {17, {63, 331, 101, 371}},  {18, {108, 331, 146, 371}},
    {19, {149, 331, 187, 371}}, {20, {190, 331, 228, 371}}, {21, {231, 331, 270, 371}},
    {22, {72, 394, 133, 427}},  {23, {150, 394, 211, 427}},
};
// The panel bitmap has the vertical-circle icon second and the horizontal one third;
// regions 12 (Horizontal) and 13 (Vertical) therefore take each other's places.
constexpr Area kPanelNormal[] = {
    {1, {4, 7, 288, 397}},      {2, {20, 60, 61, 101}},     {3, {69, 59, 110, 101}},
    {4, {121, 59, 158, 100}},   {5, {170, 59, 208, 100}},   {6, {220, 60, 257, 100}},
    {7, {20, 105, 101, 131}},   {8, {108, 107, 214, 126}},  {9, {218, 107, 239, 126}},
    {10, {240, 107, 261, 126}}, {11, {31, 194, 67, 231}},   {12, {122, 194, 158, 231}},
    {13, {75, 194, 111, 231}},  {14, {166, 193, 203, 231}}, {15, {211, 193, 247, 231}},
    {16, {21, 287, 58, 325}},   {17, {62, 286, 99, 325}},   {18, {107, 286, 144, 325}},
    {19, {150, 286, 186, 325}}, {20, {191, 286, 227, 325}}, {21, {232, 286, 269, 325}},
    {22, {73, 350, 132, 382}},  {23, {151, 350, 209, 382}},
};
constexpr Area kPanelSelected[] = {
    {2, {5, 405, 45, 445}},     {3, {46, 405, 86, 445}},    {4, {89, 406, 127, 445}},
    {5, {133, 406, 170, 445}},  {6, {427, 403, 464, 445}},  {7, {328, 373, 409, 400}},
    {9, {263, 450, 284, 469}},  {10, {290, 450, 311, 470}}, {11, {178, 408, 214, 445}},
    {12, {221, 408, 256, 445}}, {13, {261, 406, 297, 445}}, {14, {7, 450, 44, 488}},
    {15, {48, 449, 86, 486}},   {16, {89, 449, 127, 488}},  {17, {133, 448, 171, 487}},
    {18, {218, 446, 256, 486}}, {19, {432, 360, 468, 399}}, {20, {385, 403, 420, 447}},
    {21, {397, 448, 434, 486}}, {22, {306, 409, 366, 442}}, {23, {325, 453, 385, 489}},
};

struct PadArea {
    int region;
    RECT dest;
    RECT image;  // in the sheet bitmap
};
constexpr PadArea kPad[] = {
    {24, {305, 51, 616, 443}, {4, 5, 317, 397}},      {25, {423, 76, 616, 99}, {117, 30, 317, 53}},
    {26, {423, 76, 614, 98}, {118, 30, 317, 52}},     {27, {559, 78, 613, 97}, {332, 212, 384, 228}},
    {28, {305, 99, 616, 412}, {4, 53, 317, 366}},     {29, {330, 126, 344, 140}, {340, 247, 354, 261}},
    {30, {330, 126, 344, 140}, {372, 247, 386, 261}}, {31, {540, 418, 610, 438}, {238, 371, 309, 392}},
};
// Speaker images: holders whose images the indicator borrows and whose widths it uses.
constexpr PadArea kSpeakerImages[] = {
    {32, {331, 184, 442, 205}, {332, 184, 443, 205}},
    {33, {328, 31, 460, 55}, {329, 32, 460, 55}},
    {34, {330, 154, 458, 179}, {331, 155, 459, 179}},
    {35, {329, 125, 456, 149}, {330, 126, 458, 149}},
};


}  // namespace

CSkinLayout::CSkinLayout() {
    m_nBitmaps = 3;
    m_nRegions = 38;
    Allocate();
}

int CSkinLayout::Load() {
    LoadSkinBitmap(kMainBitmap, IDB_MAIN);
    LoadSkinBitmap(kPanelBitmap, IDB_PANEL);
    LoadSkinBitmap(kSheetBitmap, IDB_SHEET);

    SetRegion(skin_region::kWindow, kStateNormal, 0, 0, 640, 455);
    SetStateSource(skin_region::kWindow, kStateNormal, kMainBitmap, 0, 0, 640, 455);
    SetRegion(skin_region::kTitle, kStateNormal, 7, 7, 631, 43);
    SetStateSource(skin_region::kTitle, kStateNormal, kMainBitmap, 7, 7, 631, 43);

    LoadPanelRegions();
    LoadPadRegions();

    RECT sprite;
    GetRegionRect(skin_region::kSprite, &sprite);
    CreateWorkSurface(sprite.left, sprite.top, sprite.right, sprite.bottom);
    return 1;
}

void CSkinLayout::LoadPanelRegions() {
    for (const Area& a : kPanelDest) SetRegion(a.region, kStateNormal, a.rect.left, a.rect.top, a.rect.right, a.rect.bottom);
    for (const Area& a : kPanelNormal)
        SetStateSource(a.region, kStateNormal, kPanelBitmap, a.rect.left, a.rect.top, a.rect.right, a.rect.bottom);
    for (const Area& a : kPanelSelected)
        SetStateSource(a.region, kStateSelected, kSheetBitmap, a.rect.left, a.rect.top, a.rect.right, a.rect.bottom);
}

void CSkinLayout::LoadPadRegions() {
    auto load = [this](const PadArea& a) {
        SetRegion(a.region, kStateNormal, a.dest.left, a.dest.top, a.dest.right, a.dest.bottom);
        SetStateSource(a.region, kStateNormal, kSheetBitmap, a.image.left, a.image.top, a.image.right, a.image.bottom);
    };
    for (const PadArea& a : kPad) load(a);
    for (const PadArea& a : kSpeakerImages) load(a);
}
