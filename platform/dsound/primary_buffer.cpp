#include "platform/dsound/primary_buffer.h"

#include <cmath>

#include "platform/dsound/d3d_vector.h"
#include "platform/dsound/pcm_format.h"

namespace dsound_detail {
namespace {

using DeviceLock = std::lock_guard<std::recursive_mutex>;

// The platform's limits for the listener's factors.
constexpr float kMaxRolloffFactor = 10.0f;
constexpr float kMaxDopplerFactor = 10.0f;

bool ValidListener(const DS3DLISTENER& l) {
    if (l.dwSize != sizeof(DS3DLISTENER)) return false;
    if (!Finite(l.vPosition) || !Finite(l.vVelocity) || !Finite(l.vOrientFront) || !Finite(l.vOrientTop))
        return false;
    if (IsZero(l.vOrientFront) || IsZero(l.vOrientTop)) return false;
    if (!(l.flDistanceFactor > 0.0f) || !std::isfinite(l.flDistanceFactor)) return false;
    if (!(l.flRolloffFactor >= 0.0f && l.flRolloffFactor <= kMaxRolloffFactor)) return false;
    return l.flDopplerFactor >= 0.0f && l.flDopplerFactor <= kMaxDopplerFactor;
}

WAVEFORMATEX DefaultPrimaryFormat() {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = 22050;
    f.wBitsPerSample = 8;
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = 44100;
    return f;
}

}  // namespace

PrimaryBuffer::PrimaryBuffer(std::shared_ptr<SoundContext> context, DWORD flags)
    : m_context(std::move(context)), m_flags(flags), m_format(DefaultPrimaryFormat()) {}

HRESULT PrimaryBuffer::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer)
        *out = static_cast<IDirectSoundBuffer*>(this);
    else if ((m_flags & DSBCAPS_CTRL3D) && iid == IID_IDirectSound3DListener)
        *out = static_cast<IDirectSound3DListener*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG PrimaryBuffer::AddRef() { return m_refs.Add(); }

ULONG PrimaryBuffer::Release() {
    const ULONG left = m_refs.Drop();
    if (left == 0) delete this;
    return left;
}

HRESULT PrimaryBuffer::GetStatus(DWORD* status) {
    if (!status) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    AlDevice& output = m_context->Device();
    const bool lost = !output.IsConnected() && !output.Carried();
    *status = lost ? DSBSTATUS_BUFFERLOST : DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
    return DS_OK;
}

// The mix is OpenAL's own; it is neither written nor positioned by the program.
HRESULT PrimaryBuffer::Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) { return DSERR_INVALIDCALL; }
HRESULT PrimaryBuffer::Unlock(void*, DWORD, void*, DWORD) { return DSERR_INVALIDCALL; }
HRESULT PrimaryBuffer::SetCurrentPosition(DWORD) { return DSERR_INVALIDCALL; }
HRESULT PrimaryBuffer::Play(DWORD, DWORD, DWORD) { return DS_OK; }
HRESULT PrimaryBuffer::Stop() { return DS_OK; }

HRESULT PrimaryBuffer::SetFormat(const WAVEFORMATEX* format) {
    if (!format) return DSERR_INVALIDPARAM;
    if (!IsAcceptedPcmFormat(*format)) return DSERR_BADFORMAT;
    // OpenAL mixes at the device's own rate and resamples every source, so the format
    // is remembered and changes nothing audible.
    DeviceLock lock(m_context->Mutex());
    m_format = *format;
    m_format.cbSize = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::Restore() { return m_context->Device().Recover() ? DS_OK : DSERR_BUFFERLOST; }

HRESULT PrimaryBuffer::GetAllParameters(DS3DLISTENER* params) {
    if (!params || params->dwSize != sizeof(DS3DLISTENER)) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    *params = m_context->Listener();
    return DS_OK;
}

HRESULT PrimaryBuffer::SetAllParameters(const DS3DLISTENER* params, DWORD apply) {
    if (!params || !ValidListener(*params) || apply > DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    // Deferred settings take effect at once as well; see the 3D buffer.
    ALCcontext* al = m_context->Current();
    if (!al) {
        m_context->SetListener(*params);  // applied when the context is made again
        return DS_OK;
    }
    ContextScope scope(al);
    m_context->SetListener(*params);
    return DS_OK;
}

}  // namespace dsound_detail
