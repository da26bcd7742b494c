// Bitmaps with numbered regions: each region is a rectangle of the main window plus, per
// visual state, which bitmap and which part of it to show there.
#pragma once

#include "platform/gdi/wingdi.h"

// Region states: 0 and 1 are the selected and normal images; a hidden region draws nothing.
constexpr int kStateSelected = 0;
constexpr int kStateNormal = 1;
constexpr int kStateHidden = 4;

class CSkin {
public:
    CSkin();
    virtual ~CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    virtual int Load() = 0;

    void Allocate();
    int LoadSkinBitmap(int index, UINT resourceId);
    int CreateWorkSurface(int left, int top, int right, int bottom);
    void SetRegion(int region, int state, int left, int top, int right, int bottom);
    void SetStateSource(int region, int state, int bitmap, int left, int top, int right, int bottom);
    void SetState(int region, int state);
    void SetRegionRect(int region, int left, int top, int right, int bottom);
    int GetRegionRect(int region, RECT* out) const;
    int CopyStateSources(int toRegion, int fromRegion);
    int HitTest(int region, int x, int y) const;
    void Draw(HDC dc, int region, int xOffset, int yOffset) const;
    void DrawClipped(HDC dc, int region, const RECT* clip, int xOffset, int yOffset) const;
    void DrawSprite(HDC dc, int spriteRegion, int maskRegion, const RECT* dest, const RECT* size, int xOffset,
                    int yOffset) const;

    int GetState(int region) const;  // -1 when out of range; for views and tests

    int m_nBitmaps;
    HDC* m_phdcBitmap;
    HBITMAP* m_phbmBitmap;
    int m_nRegions;
    RECT* m_prcDest;
    int* m_pnState;
    int** m_ppnStateBitmap;
    RECT** m_pprcStateSource;
    HDC m_hdcWork;
    HBITMAP m_hbmWork;
};
