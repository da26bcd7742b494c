// The pad and the keyboard: the arrow keys move the sprite in the manual mode as a drag
// does, and the room view wears a ring while the pad has the keyboard's focus.
#include <algorithm>

#include "panels/position_pad.h"
#include "skin/skin_layout.h"

namespace {

constexpr int kStepsAcrossRoom = 24;
constexpr int kRingWidth = 2;

}  // namespace

void CPositionPad::NudgeSprite(int dx, int dy) {
    if (!m_bDragEnabled || !m_pSkin) return;
    RECT sprite;
    {
        std::lock_guard<std::recursive_mutex> hold(m_drawLock);
        if (!m_pSkin->GetRegionRect(skin_region::kSprite, &sprite)) return;
    }
    PlaceSpriteAt(sprite.left + dx, sprite.top + dy, sprite.right - sprite.left, sprite.bottom - sprite.top);
}

void CPositionPad::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    const int stepX = std::max(1, static_cast<int>(m_rcRoom.right - m_rcRoom.left) / kStepsAcrossRoom);
    const int stepY = std::max(1, static_cast<int>(m_rcRoom.bottom - m_rcRoom.top) / kStepsAcrossRoom);
    switch (nChar) {
    case VK_LEFT: NudgeSprite(-stepX, 0); break;
    case VK_RIGHT: NudgeSprite(stepX, 0); break;
    case VK_UP: NudgeSprite(0, -stepY); break;
    case VK_DOWN: NudgeSprite(0, stepY); break;
    default: CWnd::OnKeyDown(nChar, nRepCnt, nFlags); break;
    }
}

void CPositionPad::OnSetFocus(CWnd* oldWnd) {
    RECT room = m_rcRoom;
    OffsetRect(&room, -m_xOffset, -m_yOffset);
    InvalidateRect(&room, FALSE);
    CWnd::OnSetFocus(oldWnd);
}

void CPositionPad::OnKillFocus(CWnd* newWnd) {
    RECT room = m_rcRoom;
    OffsetRect(&room, -m_xOffset, -m_yOffset);
    InvalidateRect(&room, FALSE);
    CWnd::OnKillFocus(newWnd);
}

void CPositionPad::DrawFocusRing(HDC dc, const RECT& clip) {
    if (!dc || ::GetFocus() != m_hWnd || IsRectEmpty(&m_rcRoom)) return;
    RECT ring = m_rcRoom;
    OffsetRect(&ring, -m_xOffset, -m_yOffset);
    InflateRect(&ring, -1, -1);
    const RECT edges[] = {
        {ring.left, ring.top, ring.right, ring.top + kRingWidth},
        {ring.left, ring.bottom - kRingWidth, ring.right, ring.bottom},
        {ring.left, ring.top, ring.left + kRingWidth, ring.bottom},
        {ring.right - kRingWidth, ring.top, ring.right, ring.bottom},
    };
    for (const RECT& edge : edges) {
        RECT part;
        if (IntersectRect(&part, &edge, &clip)) FillRect(dc, &part, GetSysColorBrush(COLOR_HOTLIGHT));
    }
}
