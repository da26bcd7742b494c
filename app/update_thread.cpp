#include "app/demo_dlg.h"
#include "motion/spatial_player.h"

namespace {

constexpr int kPathHorizontal = 1;
constexpr int kPathVertical = 2;
constexpr long double kVelocityScale = 15000.0L;

float Velocity(float now, float before, UINT interval) {
    return static_cast<float>((static_cast<long double>(now) - static_cast<long double>(before)) * kVelocityScale /
                              static_cast<long double>(interval));
}

}  // namespace

void CDemoDlg::StartUpdateThread() {
    if (m_hThread) return;
    m_hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hDoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hThread = CreateThread(nullptr, 0, &CDemoDlg::UpdateThreadProc, this, 0, nullptr);
}

void CDemoDlg::StopUpdateThread() {
    if (!m_hThread) return;
    SetEvent(m_hStopEvent);
    WaitForSingleObject(m_hDoneEvent, INFINITE);
    CloseHandle(m_hStopEvent);
    CloseHandle(m_hDoneEvent);
    CloseHandle(m_hThread);
    m_hStopEvent = nullptr;
    m_hDoneEvent = nullptr;
    m_hThread = nullptr;
}

UINT CDemoDlg::ReadInterval() {
    CCsGuard hold(&m_csLock);
    return m_nInterval;
}

DWORD CDemoDlg::UpdateThreadProc(void* controller) {
    auto* self = static_cast<CDemoDlg*>(controller);
    if (!self) return 0;
    // The events are created before the thread and closed only after it has signalled
    // done, so reading them here needs no lock.
    HANDLE stop = self->m_hStopEvent;
    HANDLE done = self->m_hDoneEvent;
    do {
        self->UpdateTick();
    } while (WaitForSingleObject(stop, self->ReadInterval()) == WAIT_TIMEOUT);
    SetEvent(done);
    return 0;
}

void CDemoDlg::UpdateTick() {
    CCsGuard hold(&m_csLock);
    if (!m_pPlayer) return;

    Vec3 p{0, 0, 0};
    if (m_nPathMode == 0) {
        m_pPlayer->GetPosition(&p);
        p.y = kBelowEar;
    } else {
        m_pPlayer->NextPosition(&p);
    }
    m_vVelocity = Vec3{0, 0, 0};
    if (m_nSource == kHelicopterSlot) {
        if (m_nPathMode != kPathVertical) p.y = kBelowEar;
        if (m_nPathMode != kPathHorizontal && m_nPathMode != kPathVertical && m_nInterval != 0) {
            m_vVelocity.x = Velocity(p.x, m_vLastPos.x, m_nInterval);
            m_vVelocity.y = Velocity(p.y, m_vLastPos.y, m_nInterval);
            m_vVelocity.z = Velocity(p.z, m_vLastPos.z, m_nInterval);
        }
    }
    m_pPlayer->SetPosition(p, m_vVelocity);
    m_vLastPos = p;
    if (m_nPathMode != 0) m_pad.PlaceSprite(p.x, p.y, p.z);
}
