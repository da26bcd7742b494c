#include "panels/position_pad.h"

#include "app/messages.h"
#include "res/resource_ids.h"
#include "skin/skin_layout.h"

CPositionPad::CPositionPad()
    : m_rcSprite{0, 0, 0, 0},
      m_rcLastSprite{0, 0, 0, 0},
      m_hdcBack(nullptr),
      m_hbmBack(nullptr),
      m_bDragEnabled(0),
      m_bDragging(0),
      m_rcRoom{0, 0, 0, 0},
      m_ptGrab{0, 0},
      m_rcGrab{0, 0, 0, 0},
      m_nTimer(0),
      m_dwSpeakerConfig(0),
      m_pToolTip(nullptr),
      m_nTestDone(0),
      m_nTestTotal(0) {}

CPositionPad::~CPositionPad() {
    if (m_hWnd) DestroyWindow();
    delete m_pToolTip;
}

void CPositionPad::CreateToolTips() {
    m_pToolTip = new CToolTipCtrl;
    m_pToolTip->Create(this, TTS_ALWAYSTIP);
    // The indicator's background spans its image and badge.
    for (const auto& [region, text] : {std::pair<int, UINT>{skin_region::kExit, IDS_TIP_EXIT},
                                       std::pair<int, UINT>{skin_region::kIndicatorBackground, IDS_TIP_SPEAKERS}}) {
        RECT r;
        if (!GetRegionRect(region, &r)) continue;
        OffsetRect(&r, -m_xOffset, -m_yOffset);
        m_pToolTip->AddTool(this, text, &r, text);
    }
    m_pToolTip->Activate(TRUE);
}

BOOL CPositionPad::PreTranslateMessage(MSG* msg) {
    if (m_pToolTip) m_pToolTip->RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

int CPositionPad::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;

    GetRegionRect(skin_region::kRoom, &m_rcRoom);
    GetRegionRect(skin_region::kSprite, &m_rcSprite);
    m_rcLastSprite = m_rcSprite;

    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    RECT pad{0, 0, 0, 0};
    if (GetRegionRect(skin_region::kPad, &pad)) {
        m_hdcBack = CreateCompatibleDC(screen);
        m_hbmBack = CreateCompatibleBitmap(screen, pad.right - pad.left, pad.bottom - pad.top);
        SelectObject(m_hdcBack, m_hbmBack);
    }
    ReleaseDC(desktop, screen);

    PollSpeakerConfig();
    m_nTimer = SetTimer(kTimerId, kSpeakerPollMs, nullptr);
    CreateToolTips();
    return 0;
}

void CPositionPad::OnDestroy() {
    CWnd::OnDestroy();
    if (m_pToolTip) {
        m_pToolTip->DestroyWindow();
        delete m_pToolTip;
        m_pToolTip = nullptr;
    }
    if (m_nTimer != 0) {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    std::lock_guard<std::recursive_mutex> hold(m_drawLock);
    if (m_hdcBack) {
        DeleteDC(m_hdcBack);
        m_hdcBack = nullptr;
    }
    if (m_hbmBack) {
        DeleteObject(m_hbmBack);
        m_hbmBack = nullptr;
    }
}

void CPositionPad::OnPaint() {
    CPaintDC dc(this);
    std::lock_guard<std::recursive_mutex> hold(m_drawLock);
    Paint(dc);
    DrawTestProgress(dc);
    MoveSprite(m_rcLastSprite);
    RECT client;
    GetClientRect(&client);
    DrawFocusRing(dc, client);
}

void CPositionPad::PlaceSprite(float x, float y, float z) {
    // m_rcRoom and m_rcSprite are fixed once the window exists.
    MoveSprite(ComputeSpriteRect(m_rcRoom, m_rcSprite, x, y, z));
}

void CPositionPad::MoveSprite(const RECT& r) {
    if (!m_pSkin) return;
    std::lock_guard<std::recursive_mutex> hold(m_drawLock);
    // Without a window (never created, or already gone) only the back buffer is drawn.
    HDC dc = m_hWnd ? GetDC(m_hWnd) : nullptr;

    RECT u;
    UnionRect(&u, &m_rcLastSprite, &r);
    if (!IsRectEmpty(&m_rcLastSprite)) m_pSkin->DrawClipped(m_hdcBack, skin_region::kRoom, &u, m_xOffset, m_yOffset);
    m_pSkin->DrawSprite(m_hdcBack, skin_region::kSprite, skin_region::kMask, &r, &m_rcSprite, m_xOffset, m_yOffset);

    OffsetRect(&u, -m_xOffset, -m_yOffset);
    DrawFocusRing(m_hdcBack, u);
    if (dc && m_hdcBack)
        BitBlt(dc, u.left, u.top, u.right - u.left, u.bottom - u.top, m_hdcBack, u.left, u.top, SRCCOPY);
    if (dc) ReleaseDC(m_hWnd, dc);

    SetRegionRect(skin_region::kSprite, r);
    m_rcLastSprite = r;
}

void CPositionPad::OnLButtonDown(UINT flags, CPoint point) {
    int hit = 0;
    if (HitTest(point.x, point.y, &hit) && hit == skin_region::kExit) {
        if (m_pOwner) m_pOwner->PostMessage(kMsgPanelCommand, kCmdExit, 0);
        return;
    }
    if (m_bDragEnabled && m_pSkin) {
        const int sx = point.x + m_xOffset;
        const int sy = point.y + m_yOffset;
        RECT sprite;
        std::unique_lock<std::recursive_mutex> hold(m_drawLock);
        if (m_pSkin->HitTest(skin_region::kSprite, sx, sy) && m_pSkin->GetRegionRect(skin_region::kSprite, &sprite)) {
            m_ptGrab = POINT{sx - sprite.left, sy - sprite.top};
            m_rcGrab = sprite;
            m_bDragging = 1;
            hold.unlock();
            SetCapture();
        }
    }
    CWnd::OnLButtonDown(flags, point);
}

void CPositionPad::OnMouseMove(UINT flags, CPoint point) {
    if (m_bDragging) DragSpriteTo(point);
    CWnd::OnMouseMove(flags, point);
}

void CPositionPad::DragSpriteTo(CPoint point) {
    if (!m_pSkin) return;
    const int px = point.x + m_xOffset;
    const int py = point.y + m_yOffset;
    const int w = m_rcGrab.right - m_rcGrab.left;
    const int h = m_rcGrab.bottom - m_rcGrab.top;
    PlaceSpriteAt(px - m_ptGrab.x, py - m_ptGrab.y, w, h);
}

void CPositionPad::PlaceSpriteAt(int left, int top, int w, int h) {
    // Left and top first, so that for a sprite larger than the room the right and
    // bottom walls decide.
    if (left < m_rcRoom.left) left = m_rcRoom.left;
    if (top < m_rcRoom.top) top = m_rcRoom.top;
    int right = left + w;
    if (right > m_rcRoom.right) {
        right = m_rcRoom.right;
        left = m_rcRoom.right - w;
    }
    int bottom = top + h;
    if (bottom > m_rcRoom.bottom) {
        bottom = m_rcRoom.bottom;
        top = m_rcRoom.bottom - h;
    }
    MoveSprite(RECT{left, top, right, bottom});
    // Sent, not posted: the source follows before the next drag step.
    if (m_pOwner) m_pOwner->SendMessage(kMsgSpriteMoved, 0, 0);
}

void CPositionPad::OnLButtonUp(UINT flags, CPoint point) {
    if (m_bDragging) {
        m_rcGrab = RECT{0, 0, 0, 0};
        m_ptGrab = POINT{0, 0};
        m_bDragging = 0;
        ReleaseCapture();
    }
    CWnd::OnLButtonUp(flags, point);
}

void CPositionPad::OnTimer(UINT_PTR id) {
    if (id == kTimerId) PollSpeakerConfig();
    CWnd::OnTimer(id);
}

LRESULT CPositionPad::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgNotify && wParam == kNotifyPathMode) m_bDragEnabled = static_cast<BOOL>(lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}
