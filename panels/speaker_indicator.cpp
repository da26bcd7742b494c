#include "panels/position_pad.h"

#include "platform/kernel/module.h"
#include "skin/skin_layout.h"

IDirectSound* g_pSpeakerProbe = nullptr;
HMODULE g_hProbeLibrary = nullptr;

BOOL CPositionPad::OpenSpeakerProbe() {
    if (g_pSpeakerProbe) return 1;
    if (!g_hProbeLibrary) {
        g_hProbeLibrary = LoadLibraryA("dsound.dll");
        if (!g_hProbeLibrary) return 0;
    }
    auto create = reinterpret_cast<LPDIRECTSOUNDCREATE>(GetProcAddress(g_hProbeLibrary, "DirectSoundCreate"));
    if (!create || create(nullptr, &g_pSpeakerProbe, nullptr) != DS_OK) {
        g_pSpeakerProbe = nullptr;
        return 0;
    }
    // A device that refuses the level stays open, so the next call finds it and succeeds.
    if (g_pSpeakerProbe->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY) != DS_OK) return 0;
    return 1;
}

void CPositionPad::CloseSpeakerProbe() {
    if (g_pSpeakerProbe && g_pSpeakerProbe->Release() == 0) g_pSpeakerProbe = nullptr;
    if (g_hProbeLibrary) {
        FreeLibrary(g_hProbeLibrary);
        g_hProbeLibrary = nullptr;
    }
}

BOOL CPositionPad::QuerySpeakerConfig(DWORD* config) {
    DWORD value = 0;
    if (!config || !g_pSpeakerProbe || g_pSpeakerProbe->GetSpeakerConfig(&value) != DS_OK) return 0;
    *config = value;
    return 1;
}

void CPositionPad::PollSpeakerConfig() {
    // Without a device or an answer the indicator shows 5.1.
    DWORD config = DSSPEAKER_5POINT1;
    if (OpenSpeakerProbe()) {
        QuerySpeakerConfig(&config);
        CloseSpeakerProbe();
    }
    ShowSpeakerConfig(config);
}

void CPositionPad::ShowSpeakerConfig(DWORD config) {
    // The listening test's progress has the indicator's place meanwhile.
    if (config == m_dwSpeakerConfig || m_nTestTotal > 0) return;
    m_dwSpeakerConfig = config;
    const int image = SpeakerImageRegion(config);

    HDC dc = m_hWnd ? GetDC(m_hWnd) : nullptr;
    DrawRegion(dc, skin_region::kIndicatorBackground);

    RECT chosen{0, 0, 0, 0};
    RECT indicator{0, 0, 0, 0};
    GetRegionRect(image, &chosen);
    GetRegionRect(skin_region::kIndicator, &indicator);
    CopyStateSources(skin_region::kIndicator, image);
    SetRegionRect(skin_region::kIndicator, RECT{indicator.left, indicator.top, indicator.left + (chosen.right - chosen.left),
                                   indicator.bottom});
    DrawRegion(dc, skin_region::kIndicator);

    if (image == skin_region::kImageFour || image == skin_region::kImageSix) {
        SetState(skin_region::kBadge, kStateNormal);
        DrawRegion(dc, skin_region::kBadge);
    } else {
        SetState(skin_region::kBadge, kStateHidden);
    }
    if (dc) ReleaseDC(m_hWnd, dc);
}
