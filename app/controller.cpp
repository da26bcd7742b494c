#include <cstring>
#include <new>
#include <string>

#include "app/demo_dlg.h"
#include "app/program_dir.h"
#include "motion/spatial_player.h"
#include "panels/user_notice.h"
#include "platform/kernel/file_io.h"
#include "platform/kernel/last_error.h"
#include "res/resource_ids.h"

// Every call into the player or the pad's sprite from here runs under m_csLock, so it
// never overlaps an update tick. The lock is never held while the thread is awaited.

namespace {

constexpr const char* kSlotFiles[kSourceSlots] = {
    "3D_Loopy.wav", "3D_Drums.wav", "3D_Helicopter.wav", "3D_hi-hill.wav", "3D_Veltrix_Demo.wav", "",
};

int PresetRowFor(int environment) {
    switch (environment) {
    case kCmdEnvBathroom: return 4;
    case kCmdEnvConcerthall: return 8;
    case kCmdEnvSewerpipe: return 22;
    case kCmdEnvKtv: return 27;
    case kCmdEnvUnderwater: return 23;
    case kCmdEnvHangar: return 11;
    default: return -1;
    }
}

// A file that is not there is called missing, one the user may not read is called so,
// rather than unplayable.
UINT LoadErrorReason(const char* path) {
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return IDS_LOADERROR;
    }
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return IDS_FILEMISSING;
    case ERROR_ACCESS_DENIED: return IDS_FILEDENIED;
    default: return IDS_LOADERROR;
    }
}

}  // namespace

UINT CDemoDlg::IntervalFor(int pathMode) {
    if (pathMode == 0) return 100;
    if (pathMode == 4) return 15;
    return 30;
}

void CDemoDlg::PostToPanel(WPARAM code, LPARAM value) {
    if (m_pPanel) m_pPanel->PostMessage(kMsgNotify, code, value);
}

void CDemoDlg::BuildSourceTable() {
    m_pPlayer = nullptr;
    m_nSource = 0;
    m_nPathMode = 0;
    m_nEnvironment = -1;
    m_hThread = nullptr;
    const std::string dir = GetProgramDir();
    for (int i = 0; i < kSourceSlots; ++i)
        FormatPath(m_szSlotPath[i], kSlotPathSize, "%s\\MUSIC\\%s", dir.c_str(), kSlotFiles[i]);
    CopyPath(m_szSource, sizeof m_szSource, m_szSlotPath[m_nSource]);
}

void CDemoDlg::OnPanelCommand(int id, LPARAM lParam) {
    if (id >= kCmdSourceFirst && id <= kCmdSourceLast) {
        {
            CCsGuard hold(&m_csLock);
            m_nSource = id - kCmdSourceFirst;
        }
        ChangeSource(m_szSlotPath[id - kCmdSourceFirst]);
    } else if (id == kCmdCustomSource) {
        {
            CCsGuard hold(&m_csLock);
            m_nSource = kCustomSlot;
        }
        ChangeSource(reinterpret_cast<const char*>(lParam));
    } else if (id >= kCmdPathFirst && id <= kCmdPathLast) {
        ChangePathMode(id - kCmdPathFirst);
    } else if (id >= kCmdEnvFirst && id <= kCmdEnvLast) {
        ApplyEnvironment(id == m_nEnvironment ? -1 : id);
    } else if (id == kCmdPlay) {
        StartPlayback();
    } else if (id == kCmdStop) {
        StopPlayback();
        ShowPathPreview();
    } else if (id == kCmdSpriteMoved) {
        ApplyManualPosition();
    } else if (id == kCmdExit) {
        EndDialog(0);
    }
}

void CDemoDlg::ChangeSource(const char* path) {
    PostToPanel(kNotifySource, m_nSource);
    if (!path || path[0] == '\0') {
        StopPlayback();
        m_szSource[0] = '\0';
        return;
    }
    if (std::strcmp(path, m_szSource) == 0) return;
    if (!CopyPath(m_szSource, sizeof m_szSource, path)) {
        // A path too long for the source buffer is refused like no path at all.
        StopPlayback();
        return;
    }
    if (m_pPlayer) {
        StopPlayback();
        StartPlayback();
    }
}

void CDemoDlg::ChangePathMode(int mode) {
    if (mode == m_nPathMode) return;
    {
        CCsGuard hold(&m_csLock);
        m_nPathMode = mode;
        m_nInterval = IntervalFor(mode);
    }
    PostToPanel(kNotifyPathMode, mode);
    if (m_pad.m_hWnd) m_pad.PostMessage(kMsgNotify, kNotifyPathMode, m_nPathMode == 0 ? 1 : 0);

    if (!m_pPlayer) {
        ShowPathPreview();
        return;
    }
    {
        CCsGuard hold(&m_csLock);
        m_pPlayer->SetPathMode(mode);
        m_pPlayer->GetPosition(&m_vLastPos);
        m_vVelocity = Vec3{0, 0, 0};
    }
    if (mode != 0) {
        StartUpdateThread();
    } else {
        StopUpdateThread();
        FlattenPosition();
    }
}

void CDemoDlg::ApplyEnvironment(int id) {
    const int row = PresetRowFor(id);
    m_nEnvironment = id;
    PostToPanel(kNotifyEnvironment, id);
    if (m_pPlayer) {
        CCsGuard hold(&m_csLock);
        m_pPlayer->SetEnvironment(static_cast<unsigned int>(row));
    }
}

void CDemoDlg::StartPlayback() {
    if (m_szSource[0] == '\0') {
        StopPlayback();
        return;
    }
    if (m_pPlayer) StopPlayback();

    auto* player = new (std::nothrow) CSpatialPlayer(m_hWnd);
    if (!player) return;
    {
        CCsGuard hold(&m_csLock);
        m_pPlayer = player;
    }
    if (player->LoadFile(m_szSource) == 0) {
        ShowLoadError(m_szSource);
        return;
    }
    player->Play();
    player->SetPathMode(m_nPathMode);
    ApplyEnvironment(m_nEnvironment);
    {
        CCsGuard hold(&m_csLock);
        m_nInterval = IntervalFor(m_nPathMode);
    }
    StartUpdateThread();
    if (m_nPathMode == 0) ApplyManualPosition();
    {
        CCsGuard hold(&m_csLock);
        m_pPlayer->GetPosition(&m_vLastPos);
        m_vVelocity = Vec3{0, 0, 0};
    }
    PostToPanel(kNotifyPlayState, 1);
}

void CDemoDlg::StopPlayback() { EndPlayback(true); }

void CDemoDlg::EndPlayback(bool flatten) {
    PostToPanel(kNotifyPlayState, 0);
    if (!m_pPlayer) return;
    StopUpdateThread();
    if (flatten) FlattenPosition();

    CCsGuard hold(&m_csLock);
    m_pPlayer->Stop();
    m_pPlayer->Close();
    delete m_pPlayer;
    m_pPlayer = nullptr;
    m_vVelocity = Vec3{0, 0, 0};
    m_vLastPos = Vec3{0, 0, 0};
}

void CDemoDlg::ShowLoadError(const char* path) {
    EndPlayback(false);  // the sprite stays where it was
    // One box at a time: a play press or demo step while it is open only stops.
    if (m_bErrorBoxOpen) return;
    char reason[256] = "";
    LoadStringA(AfxGetResourceHandle(), LoadErrorReason(path), reason, sizeof reason);
    const std::string text = "File:" + ShownPath(path) + "    " + reason;
    const std::string caption = GetWindowText();
    m_bErrorBoxOpen = 1;
    ::MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), MB_OK);
    m_bErrorBoxOpen = 0;
}

void CDemoDlg::FlattenPosition() {
    if (!m_pPlayer) return;
    CCsGuard hold(&m_csLock);
    Vec3 v{0, 0, 0};
    m_pPlayer->GetPosition(&v);
    m_vLastPos = Vec3{v.x, 0, v.z};
    m_vVelocity = Vec3{0, 0, 0};
    m_pPlayer->SetPosition(Vec3{v.x, 0, v.z}, Vec3{0, 0, 0});
    m_pad.PlaceSprite(v.x, 0, v.z);
}

void CDemoDlg::ShowPathPreview() {
    if (m_nPathMode == 0 || m_pPlayer) return;
    auto* preview = new (std::nothrow) CSpatialPlayer(m_hWnd);
    if (!preview) return;
    preview->SetPathMode(m_nPathMode);
    Vec3 v{0, 0, 0};
    preview->NextPosition(&v);
    {
        CCsGuard hold(&m_csLock);
        m_pad.PlaceSprite(v.x, v.y, v.z);
    }
    preview->Close();
    delete preview;
}

void CDemoDlg::ApplyManualPosition() {
    CCsGuard hold(&m_csLock);
    RECT s{0, 0, 0, 0};
    RECT r{0, 0, 0, 0};
    m_skin.GetRegionRect(skin_region::kSprite, &s);
    m_skin.GetRegionRect(skin_region::kRoom, &r);
    const int cxS = (s.left + s.right) / 2;
    const int cyS = (s.top + s.bottom) / 2;
    const int cxR = (r.left + r.right) / 2;
    const int cyR = (r.top + r.bottom) / 2;
    const int spanX = (r.right - r.left) - (s.right - s.left);
    const int spanY = (r.bottom - r.top) - (s.bottom - s.top);
    // A sprite as wide as the room has nowhere to go: it stays centred.
    const float x = spanX == 0 ? 0.0f
                               : static_cast<float>(static_cast<long double>(2 * (cxS - cxR)) /
                                                    static_cast<long double>(spanX));
    const float z = spanY == 0 ? 0.0f
                               : static_cast<float>(-(static_cast<long double>(2 * (cyS - cyR)) /
                                                      static_cast<long double>(spanY)));
    SetManualPosition(x, z);
}

void CDemoDlg::SetManualPosition(float x, float z) {
    CCsGuard hold(&m_csLock);
    if (!m_pPlayer) return;
    const float y = (m_nSource == kHelicopterSlot || m_nPathMode == 0) ? kBelowEar : 0.0f;
    m_pPlayer->SetPosition(Vec3{x, y, z}, m_vVelocity);
}
