// The listening test's progress, drawn where the speaker indicator sits: one mark per
// burst, the answered ones lit in the skin's accent, the current one bright.
#include "app/messages.h"
#include "panels/position_pad.h"
#include "skin/skin_layout.h"

namespace {

constexpr UINT_PTR kRoomTipId = 1003;
constexpr int kInset = 5;
constexpr int kGap = 2;

}  // namespace

void CPositionPad::ShowTestProgress(int done, int total, const char* tip) {
    const bool starting = m_nTestTotal == 0;
    m_nTestDone = done;
    m_nTestTotal = total;
    HDC dc = m_hWnd ? GetDC(m_hWnd) : nullptr;
    DrawTestProgress(dc);
    if (dc) ReleaseDC(m_hWnd, dc);
    if (!m_pToolTip) return;
    if (starting) {
        RECT room = m_rcRoom;
        OffsetRect(&room, -m_xOffset, -m_yOffset);
        m_pToolTip->AddTool(this, tip, &room, kRoomTipId);
    } else {
        m_pToolTip->UpdateTipText(tip, this, kRoomTipId);
    }
    m_pToolTip->Popup();
}

void CPositionPad::EndTestProgress() {
    if (m_nTestTotal == 0) return;
    m_nTestDone = m_nTestTotal = 0;
    if (m_pToolTip) m_pToolTip->DelTool(this, kRoomTipId);
    // Whatever the output is now, the indicator shows it afresh.
    m_dwSpeakerConfig = 0;
    PollSpeakerConfig();
}

void CPositionPad::DrawTestProgress(HDC dc) {
    if (m_nTestTotal <= 0 || !dc) return;
    RECT place;
    if (!GetRegionRect(skin_region::kIndicatorBackground, &place)) return;
    DrawRegion(dc, skin_region::kIndicatorBackground);
    OffsetRect(&place, -m_xOffset, -m_yOffset);
    InflateRect(&place, -kInset, -kInset);
    const int width = place.right - place.left;
    for (int i = 0; i < m_nTestTotal; ++i) {
        RECT mark{place.left + width * i / m_nTestTotal, place.top, place.left + width * (i + 1) / m_nTestTotal - kGap,
                  place.bottom};
        const int colour = i < m_nTestDone ? COLOR_HOTLIGHT : (i == m_nTestDone ? COLOR_HIGHLIGHTTEXT : COLOR_3DLIGHT);
        FillRect(dc, &mark, GetSysColorBrush(colour));
    }
}
