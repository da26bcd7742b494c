#include "app/ear_test.h"

#include <algorithm>
#include <cmath>

#include "app/demo_dlg.h"
#include "app/program_dir.h"
#include "audio/sound_module.h"
#include "motion/spatial_player.h"
#include "res/resource_ids.h"

namespace {

constexpr char kBurstFile[] = "3D_Noise_Burst.wav";
// Between an answer and the next burst: long enough to see the answer land.
constexpr UINT kAfterAnswerMs = 700;
// Where the bursts come from: inside the room, well clear of the head.
constexpr float kBurstRadius = 0.6f;
// How often, and how long at most, a burst waits for the output to render with its set.
constexpr UINT kSetPollMs = 20;
constexpr DWORD kSetWaitMs = 3000;
// A click this close to the head names no direction.
constexpr int kHeadRadius = 6;

}  // namespace

CEarTest::CEarTest(CDemoDlg* dialog, std::vector<std::string> sets, std::mt19937::result_type seed)
    : m_pDlg(dialog), m_test(std::move(sets), seed), m_rcSprite{0, 0, 0, 0} {}

CEarTest::~CEarTest() {
    if (!m_bBegun) return;
    ::KillTimer(m_pDlg->m_hWnd, kTimerId);
    if (m_pBurst) {
        m_pBurst->Stop();
        m_pBurst->Close();
        m_pBurst.reset();
    }
    HoldBinaural(false);
    SetHrtfSet(m_strSet);
    m_pDlg->m_pad.EndTestProgress();
    m_pDlg->m_pad.MoveSprite(m_rcSprite);
    m_pDlg->SetWindowText(m_strCaption.c_str());
}

bool CEarTest::Begin() {
    const std::string caption = m_pDlg->GetWindowText();
    char intro[1024];
    const int sets = static_cast<int>(m_test.Sets().size());
    std::snprintf(intro, sizeof intro, ResourceText(sets > 1 ? IDS_EARTEST_INTRO : IDS_EARTEST_INTRO_ONE).c_str(),
                  m_test.Count(), sets);
    if (::MessageBoxA(m_pDlg->m_hWnd, intro, ResourceText(IDS_EARTEST_CAPTION).c_str(), MB_OKCANCEL | MB_ICONINFORMATION) !=
        IDOK)
        return false;

    m_bBegun = true;
    m_strCaption = caption;
    m_strSet = GetHrtfSet();
    m_rcSprite = m_pDlg->m_pad.m_rcLastSprite;
    m_bWasPlaying = m_pDlg->m_pPlayer != nullptr;
    m_pDlg->StopPlayback();
    HoldBinaural(true);
    char burst[kSlotPathSize];
    FormatPath(burst, sizeof burst, "%s\\MUSIC\\%s", GetProgramDir().c_str(), kBurstFile);
    m_pBurst = std::make_unique<CSpatialPlayer>(m_pDlg->m_hWnd);
    if (m_pBurst->LoadFile(burst) == 0) {
        m_pDlg->ShowLoadError(burst);
        return false;
    }
    m_pDlg->m_pad.PlaceSprite(0, -1, 0);
    PrepareBurst();
    return true;
}

void CEarTest::PrepareBurst() {
    // The output takes the set in the background; the burst waits until it renders with
    // it, so no burst is heard through the set before.
    SetHrtfSet(m_test.Sets()[static_cast<std::size_t>(m_test.Trial().set)]);
    m_phase = Phase::Preparing;
    m_dwPrepared = ::GetTickCount();
    ShowProgress();
    ::SetTimer(m_pDlg->m_hWnd, kTimerId, kSetPollMs, nullptr);
}

void CEarTest::PlayBurstOnceRendered() {
    const std::string& set = m_test.Sets()[static_cast<std::size_t>(m_test.Trial().set)];
    if (GetHrtfSetInUse() != set) {
        if (::GetTickCount() - m_dwPrepared < kSetWaitMs) return;
        ::KillTimer(m_pDlg->m_hWnd, kTimerId);
        ::MessageBoxA(m_pDlg->m_hWnd, ResourceText(IDS_EARTEST_NOBINAURAL).c_str(), ResourceText(IDS_EARTEST_CAPTION).c_str(),
                      MB_OK | MB_ICONWARNING);
        Finish();
        return;
    }
    ::KillTimer(m_pDlg->m_hWnd, kTimerId);
    const EarTrial& trial = m_test.Trial();
    const float x = kBurstRadius * static_cast<float>(std::sin(trial.azimuth * kRadian));
    const float z = kBurstRadius * static_cast<float>(std::cos(trial.azimuth * kRadian));
    m_pBurst->SetPosition(Vec3{x, 0, z}, Vec3{0, 0, 0});
    PlaySourceOnce();
    m_phase = Phase::Listening;
}

void CEarTest::ShowProgress() {
    char text[256];
    std::snprintf(text, sizeof text, ResourceText(IDS_EARTEST_PROGRESS).c_str(), m_test.Current() + 1, m_test.Count());
    m_pDlg->m_pad.ShowTestProgress(m_test.Current(), m_test.Count(), text);
    m_pDlg->SetWindowText((ResourceText(IDS_EARTEST_CAPTION) + " - " + text).c_str());
}

BOOL CEarTest::PreTranslateMessage(MSG* msg) {
    if (m_phase == Phase::Over) return FALSE;
    if (msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_ESCAPE) Finish();
        return TRUE;
    }
    if (msg->message == WM_CHAR || msg->message == WM_KEYUP || msg->message == WM_LBUTTONUP) return TRUE;
    if (msg->message != WM_LBUTTONDOWN) return FALSE;
    // Clicks are in the client coordinates of the window under the pointer; the pad's
    // and the dialog's own (the skin's) are the only ones the test answers.
    POINT p{static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
    if (msg->hwnd == m_pDlg->m_pad.m_hWnd) {
        p.x += m_pDlg->m_pad.m_xOffset;
        p.y += m_pDlg->m_pad.m_yOffset;
    } else if (msg->hwnd != m_pDlg->m_hWnd) {
        return TRUE;
    }
    if (m_pDlg->m_skin.HitTest(skin_region::kExit, p.x, p.y)) {
        Finish();
    } else if (m_phase == Phase::Listening) {
        TakeAnswer(p);
    }
    return TRUE;
}

void CEarTest::TakeAnswer(POINT p) {
    const RECT room = m_pDlg->m_pad.m_rcRoom;
    if (!PtInRect(&room, p)) return;
    const double dx = p.x - (room.left + room.right) / 2.0;
    const double dy = p.y - (room.top + room.bottom) / 2.0;
    if (std::hypot(dx, dy) < kHeadRadius) return;
    // Up in the view is ahead of the listener; azimuths turn clockwise from there.
    double azimuth = std::atan2(dx, -dy) / kRadian;
    if (azimuth < 0) azimuth += 360.0;
    m_test.Answer(azimuth);
    m_phase = Phase::Answered;
    // The answer lands where it was given, so the listener sees it was taken.
    const double halfWidth = (room.right - room.left) / 2.0;
    const double halfHeight = (room.bottom - room.top) / 2.0;
    m_pDlg->m_pad.PlaceSprite(static_cast<float>(std::clamp(dx / halfWidth, -1.0, 1.0)), 0,
                              static_cast<float>(std::clamp(-dy / halfHeight, -1.0, 1.0)));
    ::SetTimer(m_pDlg->m_hWnd, kTimerId, kAfterAnswerMs, nullptr);
}

void CEarTest::OnTimer(UINT_PTR id) {
    if (id != kTimerId) return;
    if (m_phase == Phase::Preparing) {
        PlayBurstOnceRendered();
        return;
    }
    if (m_phase != Phase::Answered) return;
    ::KillTimer(m_pDlg->m_hWnd, kTimerId);
    if (m_test.Done()) {
        Finish();
        return;
    }
    m_pDlg->m_pad.PlaceSprite(0, -1, 0);
    PrepareBurst();
}

void CEarTest::Finish() {
    if (m_phase == Phase::Over) return;
    m_phase = Phase::Over;
    ::KillTimer(m_pDlg->m_hWnd, kTimerId);
    // The dialog takes the scores and lets the test go once this message is over.
    m_pDlg->PostMessage(kMsgEarTestOver, 0, 0);
}
