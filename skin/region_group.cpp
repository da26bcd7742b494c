// A window's share of the skin: translates between its client coordinates and the skin's.
#include "skin/region_group.h"

#include <cstdint>
#include <new>

namespace {

// Window to skin coordinates, in wrap-around 32-bit arithmetic like the rest of the layer.
int ToSkin(int v, int offset) {
    return static_cast<int>(static_cast<std::uint32_t>(v) + static_cast<std::uint32_t>(offset));
}

}  // namespace

CRegionGroup::CRegionGroup()
    : m_pOwner(nullptr), m_nCount(0), m_pnRegions(nullptr), m_pSkin(nullptr), m_xOffset(0), m_yOffset(0) {}

CRegionGroup::~CRegionGroup() { delete[] m_pnRegions; }

int CRegionGroup::Init(int count, const int* regions, CSkin* skin, CWnd* owner, int xOffset, int yOffset) {
    // A negative count is as empty as zero (it would otherwise size a huge array).
    if (count <= 0 || !regions || !skin || !owner) return 0;
    delete[] m_pnRegions;
    m_pnRegions = new (std::nothrow) int[count];
    if (!m_pnRegions) {
        m_nCount = 0;
        m_pSkin = nullptr;
        m_pOwner = nullptr;
        return 0;
    }
    for (int i = 0; i < count; ++i) m_pnRegions[i] = regions[i];
    m_pSkin = skin;
    m_pOwner = owner;
    m_nCount = count;
    m_xOffset = xOffset;
    m_yOffset = yOffset;
    return 0;
}

int CRegionGroup::HitTest(int x, int y, int* out) const {
    if (!m_pSkin) return 0;
    // Later entries are drawn over earlier ones, so they win; entry 0, the background,
    // is never reported.
    for (int i = m_nCount - 1; i >= 1; --i) {
        if (m_pSkin->HitTest(m_pnRegions[i], ToSkin(x, m_xOffset), ToSkin(y, m_yOffset))) {
            if (out) *out = m_pnRegions[i];
            return 1;
        }
    }
    return 0;
}

int CRegionGroup::HitTestRegion(int x, int y, int region) const {
    if (!m_pSkin) return 0;
    return m_pSkin->HitTest(region, ToSkin(x, m_xOffset), ToSkin(y, m_yOffset));
}

int CRegionGroup::Paint(HDC dc) const {
    if (!m_pSkin || !dc) return 0;
    for (int i = 0; i < m_nCount; ++i) m_pSkin->Draw(dc, m_pnRegions[i], m_xOffset, m_yOffset);
    return 1;
}

int CRegionGroup::DrawRegion(HDC dc, int region) const {
    if (!m_pSkin || !dc) return 0;
    m_pSkin->Draw(dc, region, m_xOffset, m_yOffset);
    return 1;
}

void CRegionGroup::SetState(int region, int state) {
    if (m_pSkin) m_pSkin->SetState(region, state);
}

void CRegionGroup::SetRegionRect(int region, const RECT& rect) {
    if (m_pSkin) m_pSkin->SetRegionRect(region, rect.left, rect.top, rect.right, rect.bottom);
}

int CRegionGroup::GetRegionRect(int region, RECT* out) const {
    if (!m_pSkin) return 0;
    return m_pSkin->GetRegionRect(region, out);
}

int CRegionGroup::CopyStateSources(int toRegion, int fromRegion) {
    if (!m_pSkin) return 0;
    return m_pSkin->CopyStateSources(toRegion, fromRegion);
}

void CRegionGroup::SelectOne(HDC dc, int count, int chosen, const int* regions) {
    if (count <= 0 || !regions || !dc) return;
    for (int i = 0; i < count; ++i) {
        SetState(regions[i], i == chosen ? 0 : 1);
        DrawRegion(dc, regions[i]);
    }
}
