// The buffer as the program sees it: what it accepts, what it reports, and what every call
// keeps of the buffer's state, so the sound can be made again on another output.
#include "platform/dsound/secondary_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/dsound/d3d_vector.h"
#include "platform/dsound/i3dl2_reverb.h"
#include "platform/dsound/pcm_format.h"

namespace dsound_detail {
namespace {

using DeviceLock = std::lock_guard<std::recursive_mutex>;

constexpr DWORD kMinBufferBytes = 4;
constexpr DWORD kMaxBufferBytes = 0x0FFFFFFF;
constexpr DWORD kLockFromWriteCursor = 0x1;
constexpr DWORD kLockEntireBuffer = 0x2;
constexpr float kMaxConeAngle = 360.0f;
constexpr LONG kMinConeVolume = -10000;

bool ValidParameters(const DS3DBUFFER& p) {
    if (p.dwSize != sizeof(DS3DBUFFER)) return false;
    if (!Finite(p.vPosition) || !Finite(p.vVelocity) || !Finite(p.vConeOrientation)) return false;
    if (p.dwInsideConeAngle > kMaxConeAngle || p.dwOutsideConeAngle > kMaxConeAngle) return false;
    if (p.lConeOutsideVolume < kMinConeVolume || p.lConeOutsideVolume > 0) return false;
    if (!(p.flMinDistance > 0.0f) || !std::isfinite(p.flMinDistance)) return false;
    if (!(p.flMaxDistance > 0.0f) || std::isnan(p.flMaxDistance)) return false;
    return p.dwMode <= DS3DMODE_DISABLE;
}

bool IsI3dl2Listener(REFGUID set, ULONG id) {
    return set == DSPROPSETID_I3DL2_ListenerProperties && id == DSPROPERTY_I3DL2LISTENER_ALL;
}

}  // namespace

DS3DBUFFER DefaultBufferParameters() {
    DS3DBUFFER p{};
    p.dwSize = sizeof(DS3DBUFFER);
    p.dwInsideConeAngle = 360;
    p.dwOutsideConeAngle = 360;
    p.vConeOrientation = {0.0f, 0.0f, 1.0f};
    p.lConeOutsideVolume = 0;
    p.flMinDistance = 1.0f;
    p.flMaxDistance = 1000000000.0f;
    p.dwMode = DS3DMODE_NORMAL;
    return p;
}

SecondaryBuffer* SecondaryBuffer::Create(std::shared_ptr<SoundContext> context, const DSBUFFERDESC& desc,
                                         HRESULT* status) {
    if (!desc.lpwfxFormat || desc.dwBufferBytes < kMinBufferBytes || desc.dwBufferBytes > kMaxBufferBytes) {
        *status = DSERR_INVALIDPARAM;
        return nullptr;
    }
    if (!IsAcceptedPcmFormat(*desc.lpwfxFormat)) {
        *status = DSERR_BADFORMAT;
        return nullptr;
    }
    DeviceLock lock(context->Mutex());
    ALCcontext* al = context->Ensure();
    AlDevice& output = context->Device();
    if (!al && !output.Carried()) {
        *status = output.IsConnected() ? DSERR_OUTOFMEMORY : DSERR_BUFFERLOST;
        return nullptr;
    }
    auto* buffer = new SecondaryBuffer(std::move(context), desc);
    // On an output the layer brings back, the buffer is made there when it comes.
    if (al) {
        ContextScope scope(al);
        if (!buffer->MakeObjects()) {
            buffer->Release();
            *status = DSERR_OUTOFMEMORY;
            return nullptr;
        }
    }
    *status = DS_OK;
    return buffer;
}

SecondaryBuffer::SecondaryBuffer(std::shared_ptr<SoundContext> context, const DSBUFFERDESC& desc)
    : m_context(std::move(context)),
      m_format(*desc.lpwfxFormat),
      m_flags(desc.dwFlags),
      m_params(DefaultBufferParameters()) {
    m_format.cbSize = 0;
    m_data.assign(desc.dwBufferBytes, SilenceByte());
    Output().AddVoice(this);
}

SecondaryBuffer::~SecondaryBuffer() {
    DeviceLock lock(m_context->Mutex());
    Output().RemoveVoice(this);
    // Objects of an earlier output went with it; their names may mean others now.
    if (!Live()) return;
    ContextScope scope(m_context->Current());
    if (IsPlaying()) FadeOutAndPause();
    ReleaseRoom();
    DeleteObjects();
}

std::uint8_t SecondaryBuffer::SilenceByte() const { return m_format.wBitsPerSample == 8 ? 0x80 : 0x00; }

HRESULT SecondaryBuffer::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer) {
        *out = static_cast<IDirectSoundBuffer*>(this);
    } else if ((m_flags & DSBCAPS_CTRL3D) && iid == IID_IDirectSound3DBuffer) {
        *out = static_cast<IDirectSound3DBuffer*>(this);
    } else if ((m_flags & DSBCAPS_CTRL3D) && iid == IID_IKsPropertySet) {
        *out = static_cast<IKsPropertySet*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG SecondaryBuffer::AddRef() { return m_refs.Add(); }

ULONG SecondaryBuffer::Release() {
    const ULONG left = m_refs.Drop();
    if (left == 0) delete this;
    return left;
}

HRESULT SecondaryBuffer::GetStatus(DWORD* status) {
    if (!status) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    if (Lost()) {
        *status = DSBSTATUS_BUFFERLOST;
        return DS_OK;
    }
    bool playing = m_state.playing;
    bool looping = m_state.looping;
    if (Sounding()) {
        ContextScope scope(m_context->Current());
        ALint state = AL_INITIAL;
        ALint loops = AL_FALSE;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        alGetSourcei(m_source, AL_LOOPING, &loops);
        playing = state == AL_PLAYING;
        looping = loops == AL_TRUE;
    }
    *status = playing ? DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0) : 0;
    return DS_OK;
}

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2, DWORD* bytes2,
                              DWORD flags) {
    if (!ptr1 || !bytes1) return DSERR_INVALIDPARAM;
    const DWORD size = static_cast<DWORD>(m_data.size());
    if (flags & kLockFromWriteCursor) offset = 0;  // a static buffer writes from its start
    if (flags & kLockEntireBuffer) bytes = size;
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    {
        DeviceLock lock(m_context->Mutex());
        if (Lost()) return DSERR_BUFFERLOST;
    }
    std::lock_guard<std::mutex> data(m_dataLock);  // after a fill under way
    const DWORD first = std::min(bytes, size - offset);
    *ptr1 = m_data.data() + offset;
    *bytes1 = first;
    if (ptr2 && bytes2) {
        const DWORD wrapped = bytes - first;
        *ptr2 = wrapped ? m_data.data() : nullptr;
        *bytes2 = wrapped;
    }
    ++m_locks;
    return DS_OK;
}

HRESULT SecondaryBuffer::Unlock(void* ptr1, DWORD bytes1, void* ptr2, DWORD bytes2) {
    const auto inside = [this](void* p, DWORD n) {
        const auto* begin = m_data.data();
        const auto* at = static_cast<const std::uint8_t*>(p);
        return at >= begin && at <= begin + m_data.size() && n <= static_cast<DWORD>(begin + m_data.size() - at);
    };
    if (!ptr1 || !inside(ptr1, bytes1) || (ptr2 && !inside(ptr2, bytes2))) return DSERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> data(m_dataLock);
        if (m_locks == 0) return DSERR_INVALIDCALL;
        --m_locks;
    }
    {
        DeviceLock lock(m_context->Mutex());
        if (Lost()) return DSERR_BUFFERLOST;
    }
    return Fill() ? DS_OK : DSERR_OUTOFMEMORY;
}

HRESULT SecondaryBuffer::Play(DWORD, DWORD, DWORD flags) {
    DeviceLock lock(m_context->Mutex());
    if (Lost()) return DSERR_BUFFERLOST;
    m_state.playing = true;
    m_state.looping = (flags & DSBPLAY_LOOPING) != 0;
    if (!Sounding()) return DS_OK;  // it plays once the output and its clip are there
    Output().Reap();
    ContextScope scope(m_context->Current());
    alSourcei(m_source, AL_LOOPING, m_state.looping ? AL_TRUE : AL_FALSE);
    // Playing an already playing buffer only changes its looping.
    if (!IsPlaying()) alSourcePlay(m_source);
    return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD position) {
    if (position >= m_data.size()) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    if (Lost()) return DSERR_BUFFERLOST;
    m_state.offset = static_cast<ALint>(position / m_format.nBlockAlign);
    if (!Sounding()) return DS_OK;
    Output().Reap();
    ContextScope scope(m_context->Current());
    // A playing source jumps at once, and what it played fades out under the new sound;
    // otherwise OpenAL keeps the offset for the next play.
    if (IsPlaying())
        FadeOutAndPause(&m_state.offset);
    else
        alSourcei(m_source, AL_SAMPLE_OFFSET, m_state.offset);
    return DS_OK;
}

HRESULT SecondaryBuffer::SetFormat(const WAVEFORMATEX*) { return DSERR_INVALIDCALL; }

HRESULT SecondaryBuffer::Stop() {
    DeviceLock lock(m_context->Mutex());
    // A stopped sound stays stopped when its output comes back.
    m_state.playing = false;
    if (!Sounding()) return DS_OK;
    Output().Reap();
    ContextScope scope(m_context->Current());
    // Stopping keeps the play position, so pausing is the OpenAL equivalent.
    if (IsPlaying()) FadeOutAndPause();
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &m_state.offset);
    return DS_OK;
}

HRESULT SecondaryBuffer::Restore() {
    {
        DeviceLock lock(m_context->Mutex());
        if (!Lost()) return DS_OK;
    }
    // Bringing the output back makes every sound on it again.
    if (!Output().Recover()) return DSERR_BUFFERLOST;
    DeviceLock lock(m_context->Mutex());
    return Lost() ? DSERR_BUFFERLOST : DS_OK;
}

HRESULT SecondaryBuffer::GetAllParameters(DS3DBUFFER* params) {
    if (!params || params->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    *params = m_params;
    return DS_OK;
}

HRESULT SecondaryBuffer::SetAllParameters(const DS3DBUFFER* params, DWORD apply) {
    if (!params || !ValidParameters(*params) || apply > DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    // Deferred settings are applied at once too: OpenAL Soft batches nothing that the
    // program would notice, and there is no commit the program ever calls.
    m_params = *params;
    if (!Live()) return DS_OK;  // kept, and applied when the buffer is made again
    Output().Reap();
    ContextScope scope(m_context->Current());
    ApplyParameters();
    return DS_OK;
}

HRESULT SecondaryBuffer::Get(REFGUID set, ULONG id, void*, ULONG, void* data, ULONG dataLength, ULONG* returned) {
    if (!IsI3dl2Listener(set, id)) return E_NOTIMPL;
    if (!data || dataLength < sizeof(I3DL2Record)) return E_INVALIDARG;
    DeviceLock lock(m_context->Mutex());
    if (!m_reverb) return E_FAIL;
    std::memcpy(data, m_reverb->data(), m_reverb->size());
    if (returned) *returned = static_cast<ULONG>(m_reverb->size());
    return S_OK;
}

HRESULT SecondaryBuffer::Set(REFGUID set, ULONG id, void*, ULONG, void* data, ULONG dataLength) {
    if (!IsI3dl2Listener(set, id)) return E_NOTIMPL;
    if (!data || dataLength != sizeof(I3DL2Record)) return E_INVALIDARG;
    DeviceLock lock(m_context->Mutex());
    m_reverb.emplace();
    std::memcpy(m_reverb->data(), data, m_reverb->size());
    if (!Live()) return S_OK;  // applied when the buffer is made again
    ContextScope scope(m_context->Current());
    ApplyReverb();
    return S_OK;
}

HRESULT SecondaryBuffer::QuerySupport(REFGUID set, ULONG id, ULONG* support) {
    if (!support) return E_INVALIDARG;
    if (!IsI3dl2Listener(set, id)) return E_NOTIMPL;
    *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return S_OK;
}

bool SecondaryBuffer::FeedsRoom() {
    DeviceLock lock(m_context->Mutex());
    return m_room.slot != 0;
}

}  // namespace dsound_detail
