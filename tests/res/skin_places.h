// Where the skin shows each picture: destination on screen and the source corners in the
// panel bitmap (normal look) and the sheet (selected look).
#pragma once

#include <array>

struct Place {
    int region;
    int left, top, right, bottom;  // destination, right and bottom exclusive
    int normalX, normalY;          // in the panel bitmap
    int selectedX, selectedY;      // in the sheet; -1 when there is no selected look
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

inline constexpr std::array<Place, 22> kPanelPlaces{{
    {2, 23, 105, 61, 144, 20, 60, 5, 405},      {3, 72, 104, 110, 144, 69, 59, 46, 405},
    {4, 122, 104, 160, 144, 121, 59, 89, 406},  {5, 171, 104, 209, 144, 170, 59, 133, 406},
    {6, 220, 104, 258, 144, 220, 60, 427, 403}, {7, 21, 149, 102, 174, 20, 105, 328, 373},
    {8, 109, 151, 214, 169, 108, 107, -1, -1},  {9, 219, 150, 240, 170, 218, 107, 263, 450},
    {10, 241, 150, 262, 170, 240, 107, 290, 450}, {11, 31, 237, 68, 275, 31, 194, 178, 408},
    {12, 76, 237, 112, 275, 122, 194, 221, 408}, {13, 122, 237, 159, 275, 75, 194, 261, 406},
    {14, 167, 237, 204, 275, 166, 193, 7, 450},  {15, 212, 237, 249, 275, 211, 193, 48, 449},
    {16, 22, 331, 60, 371, 21, 287, 89, 449},    {17, 63, 331, 101, 371, 62, 286, 133, 448},
    {18, 108, 331, 146, 371, 107, 286, 218, 446}, {19, 149, 331, 187, 371, 150, 286, 432, 360},
    {20, 190, 331, 228, 371, 191, 286, 385, 403}, {21, 231, 331, 270, 371, 232, 286, 397, 448},
    {22, 72, 394, 133, 427, 73, 350, 306, 409},  {23, 150, 394, 211, 427, 151, 350, 325, 453},
}};

// The control panel background: region 1 shows the panel bitmap from (4, 7) at (4, 50).
inline constexpr int kPanelLeft = 4, kPanelTop = 50, kPanelRight = 290, kPanelBottom = 442;
inline constexpr int kPanelSourceX = 4, kPanelSourceY = 7;
