// The one skin of this program: three bitmaps and regions 0..37 of the main window.
#pragma once

#include "skin/skin.h"

// Bitmap resources and their sizes.
constexpr UINT IDB_PANEL = 129;   // 294 x 406
constexpr UINT IDB_SHEET = 130;   // 473 x 500
constexpr UINT IDB_MAIN = 131;    // 640 x 455

class CSkinLayout : public CSkin {
public:
    CSkinLayout();
    int Load() override;
    void LoadPanelRegions();
    void LoadPadRegions();
};
