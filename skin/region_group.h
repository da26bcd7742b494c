// A child window's share of the skin: its region list and its origin in skin coordinates.
#pragma once

#include "skin/skin.h"

class CWnd;

class CRegionGroup {
public:
    CRegionGroup();
    virtual ~CRegionGroup();
    CRegionGroup(const CRegionGroup&) = delete;
    CRegionGroup& operator=(const CRegionGroup&) = delete;

    int Init(int count, const int* regions, CSkin* skin, CWnd* owner, int xOffset, int yOffset);
    int HitTest(int x, int y, int* out) const;
    int HitTestRegion(int x, int y, int region) const;
    int Paint(HDC dc) const;
    int DrawRegion(HDC dc, int region) const;
    void SetState(int region, int state);
    void SetRegionRect(int region, const RECT& rect);
    int GetRegionRect(int region, RECT* out) const;
    int CopyStateSources(int toRegion, int fromRegion);
    void SelectOne(HDC dc, int count, int chosen, const int* regions);

    CWnd* m_pOwner;
    int m_nCount;
    int* m_pnRegions;
    CSkin* m_pSkin;
    int m_xOffset;
    int m_yOffset;
};
