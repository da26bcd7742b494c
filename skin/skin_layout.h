// The one skin of this program: three bitmaps and regions 0..37 of the main window.
#pragma once

#include "skin/skin.h"

// Bitmap resources and their sizes.
constexpr UINT IDB_PANEL = 129;   // 294 x 406
constexpr UINT IDB_SHEET = 130;   // 473 x 500
constexpr UINT IDB_MAIN = 131;    // 640 x 455

// The regions the program's windows name.
namespace skin_region {
constexpr int kPanel = 1;
constexpr int kCustomList = 8;
constexpr int kPad = 24;
constexpr int kIndicatorBackground = 25;
constexpr int kIndicator = 26;
constexpr int kBadge = 27;
constexpr int kRoom = 28;
constexpr int kSprite = 29;
constexpr int kMask = 30;
constexpr int kExit = 31;
constexpr int kImageHeadphones = 32;
constexpr int kImageStereo = 33;
constexpr int kImageFour = 34;
constexpr int kImageSix = 35;
constexpr int kTitle = 36;
constexpr int kWindow = 37;
}  // namespace skin_region

class CSkinLayout : public CSkin {
public:
    CSkinLayout();
    int Load() override;
    void LoadPanelRegions();
    void LoadPadRegions();
};
