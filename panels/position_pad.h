// The room view on the right of the main window: the source sprite (placed by the
// controller, dragged by the user in the manual mode), the exit button and the speaker
// indicator, which polls the sound device's speaker configuration every 500 ms.
#pragma once

#include <mutex>

#include "platform/dsound/dsound.h"
#include "platform/mfc/afxwin.h"
#include "skin/region_group.h"

// The short-lived device of the speaker indicator and the library it came from; shared
// by every caller (the main dialog's start-up check too). UI thread only.
extern IDirectSound* g_pSpeakerProbe;
extern HMODULE g_hProbeLibrary;

// Where PlaceSprite draws the sprite for a view position: the natural sprite placed in
// the room, scaled by 1 + y around its centre and trimmed to the room.
RECT ComputeSpriteRect(const RECT& room, const RECT& sprite, float x, float y, float z);

// Which image region shows a speaker configuration (its low byte decides).
int SpeakerImageRegion(DWORD speakerConfig);

class CPositionPad : public CWnd, public CRegionGroup {
public:
    CPositionPad();
    ~CPositionPad() override;

    // Any thread: the update thread moves the sprite while a path plays.
    void PlaceSprite(float x, float y, float z);
    void MoveSprite(const RECT& r);

    static BOOL OpenSpeakerProbe();
    static void CloseSpeakerProbe();
    static BOOL QuerySpeakerConfig(DWORD* config);
    void PollSpeakerConfig();
    // Steps of the poll after the query: redraws the indicator when config is new.
    void ShowSpeakerConfig(DWORD config);

    void DragSpriteTo(CPoint point);
    // The keyboard's drag step: the sprite moves by (dx, dy) pixels in the manual mode,
    // stopped by the room's walls, and the main dialog hears it as a drag.
    void NudgeSprite(int dx, int dy);

    // The listening test's progress in the speaker indicator's place (done of total
    // bursts) and its instructions as the room view's tip, shown at once; the indicator
    // comes back with EndTestProgress.
    void ShowTestProgress(int done, int total, const char* tip);
    void EndTestProgress();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnDestroy() override;
    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnTimer(UINT_PTR id) override;
    // With the keyboard's focus the room view wears a ring: the arrow keys move its
    // sprite.
    void OnSetFocus(CWnd* oldWnd) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;

    RECT m_rcSprite;
    RECT m_rcLastSprite;
    HDC m_hdcBack;
    HBITMAP m_hbmBack;
    BOOL m_bDragEnabled;
    BOOL m_bDragging;
    RECT m_rcRoom;
    POINT m_ptGrab;
    RECT m_rcGrab;
    UINT_PTR m_nTimer;
    DWORD m_dwSpeakerConfig;
    // The tips of the exit button and the speaker indicator; owned.
    CToolTipCtrl* m_pToolTip;
    // The listening test's bursts, 0 of 0 while none runs.
    int m_nTestDone;
    int m_nTestTotal;

private:
    void CreateToolTips();
    void DrawTestProgress(HDC dc);
    // Puts the sprite's top left corner at (left, top) in skin coordinates, inside the
    // room, and tells the main dialog, as every drag step does.
    void PlaceSpriteAt(int left, int top, int width, int height);
    // The focus ring where it crosses clip (pad coordinates), when the pad has the focus.
    void DrawFocusRing(HDC dc, const RECT& clip);

    // Serialises sprite drawing between the UI thread and the update thread: the back
    // buffer, m_rcLastSprite, region 29 and the skin's work surface.
    std::recursive_mutex m_drawLock;
};
