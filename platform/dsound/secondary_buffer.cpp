#include "platform/dsound/secondary_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/dsound/d3d_vector.h"
#include "platform/dsound/i3dl2_reverb.h"
#include "platform/dsound/pcm_format.h"
#include "platform/dsound/source_geometry.h"

namespace dsound_detail {
namespace {

using DeviceLock = std::lock_guard<std::recursive_mutex>;

constexpr DWORD kMinBufferBytes = 4;
constexpr DWORD kMaxBufferBytes = 0x0FFFFFFF;
constexpr DWORD kLockFromWriteCursor = 0x1;
constexpr DWORD kLockEntireBuffer = 0x2;
constexpr float kMaxConeAngle = 360.0f;
constexpr LONG kMinConeVolume = -10000;
// Beyond its decay a room is still fed what the output had not yet played.
constexpr double kRingMarginSeconds = 0.3;

bool ValidParameters(const DS3DBUFFER& p) {
    if (p.dwSize != sizeof(DS3DBUFFER)) return false;
    if (!Finite(p.vPosition) || !Finite(p.vVelocity) || !Finite(p.vConeOrientation)) return false;
    if (p.dwInsideConeAngle > kMaxConeAngle || p.dwOutsideConeAngle > kMaxConeAngle) return false;
    if (p.lConeOutsideVolume < kMinConeVolume || p.lConeOutsideVolume > 0) return false;
    if (!(p.flMinDistance > 0.0f) || !std::isfinite(p.flMinDistance)) return false;
    if (!(p.flMaxDistance > 0.0f) || std::isnan(p.flMaxDistance)) return false;
    return p.dwMode <= DS3DMODE_DISABLE;
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
    if (!al) {
        *status = context->Device().IsConnected() ? DSERR_OUTOFMEMORY : DSERR_BUFFERLOST;
        return nullptr;
    }
    auto* buffer = new SecondaryBuffer(std::move(context), desc);
    ContextScope scope(al);
    if (!buffer->CreateAlObjects()) {
        buffer->Release();
        *status = DSERR_OUTOFMEMORY;
        return nullptr;
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
    m_context->Device().AddVoice(this);
}

SecondaryBuffer::~SecondaryBuffer() {
    DeviceLock lock(m_context->Mutex());
    m_context->Device().RemoveVoice(this);
    // Objects of an earlier output went with it; their names may mean others now.
    if (IsLost()) return;
    ContextScope scope(m_context->Current());
    if (IsPlaying()) FadeOutAndPause();
    ReleaseRoom();
    DeleteAlObjects();
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

bool SecondaryBuffer::IsPlaying() {
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void SecondaryBuffer::ReapTails() { m_context->Device().Reap(); }

void SecondaryBuffer::FadeOutAndPause(const ALint* restartAt) {
    const ClipFrames clip{m_data.size() / m_format.nBlockAlign,
                          [this](std::size_t frame) { return MonoSampleAt(m_data.data(), frame, m_format); }};
    const ALuint fade = m_context->Device().Tails().PrepareFade(m_source, m_effectAttached ? m_slot : 0, clip,
                                                                static_cast<int>(m_format.nSamplesPerSec));
    // Back to back, so the fade takes over where the source leaves off.
    alSourcePause(m_source);
    if (restartAt) {
        alSourcei(m_source, AL_SAMPLE_OFFSET, *restartAt);
        const ALuint voices[2] = {m_source, fade};
        alSourcePlayv(fade ? 2 : 1, voices);
    } else if (fade) {
        alSourcePlay(fade);
    }
}

void SecondaryBuffer::ReleaseRoom() {
    if (!m_slot) return;
    alSource3i(m_source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, 0, AL_FILTER_NULL);
    AlDevice& output = m_context->Device();
    if (m_effectAttached) {
        output.Tails().Ring(m_slot, m_effect, m_eaxReverb, output.Now() + m_ringSeconds);
    } else {
        alDeleteAuxiliaryEffectSlots(1, &m_slot);
        if (m_effect) alDeleteEffects(1, &m_effect);
    }
    m_slot = m_effect = 0;
    m_effectAttached = false;
}

bool SecondaryBuffer::IsLost() {
    return !m_context->Device().IsConnected() || !m_context->Current() ||
           m_generation != m_context->Device().Generation();
}

void SecondaryBuffer::Capture() {
    if (IsLost()) return;
    ContextScope scope(m_context->Current());
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &m_state.offset);
    // A sound that played to its end has stopped by itself.
    m_state.playing = state == AL_PLAYING;
}

void SecondaryBuffer::Rebuild() {
    if (!IsLost()) return;
    ALCcontext* al = m_context->Ensure();
    if (!al) return;
    // The old objects went with the old output.
    m_source = m_buffer = m_slot = m_effect = 0;
    m_effectAttached = false;
    ContextScope scope(al);
    if (!CreateAlObjects()) return;
    alSourcei(m_source, AL_LOOPING, m_state.looping ? AL_TRUE : AL_FALSE);
    alSourcei(m_source, AL_SAMPLE_OFFSET, m_state.offset);
    if (m_state.playing) alSourcePlay(m_source);
}

void SecondaryBuffer::SetRoomAudible(bool audible) {
    if (!m_slot || IsLost()) return;
    ContextScope scope(m_context->Current());
    alAuxiliaryEffectSlotf(m_slot, AL_EFFECTSLOT_GAIN, audible ? 1.0f : 0.0f);
}

bool SecondaryBuffer::CreateAlObjects() {
    alGetError();
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) {
        m_source = 0;
        return false;
    }
    alGenBuffers(1, &m_buffer);
    if (alGetError() != AL_NO_ERROR) {
        m_buffer = 0;
        DeleteAlObjects();
        return false;
    }
    m_context->AddSource(m_source);
    m_sent.reset();  // a new source follows no record yet
    ApplyParameters();
    if (!Upload()) {
        DeleteAlObjects();
        return false;
    }
    if (m_haveReverb) ApplyReverb();
    // Only a buffer whose data reached OpenAL counts as made on this output.
    m_generation = m_context->Device().Generation();
    return true;
}

void SecondaryBuffer::DeleteAlObjects() {
    if (m_source) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alSource3i(m_source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, 0, AL_FILTER_NULL);
        m_context->RemoveSource(m_source);
        alDeleteSources(1, &m_source);
    }
    if (m_slot) alDeleteAuxiliaryEffectSlots(1, &m_slot);
    if (m_effect) alDeleteEffects(1, &m_effect);
    if (m_buffer) alDeleteBuffers(1, &m_buffer);
    m_source = m_buffer = m_slot = m_effect = 0;
    m_effectAttached = false;
}

void SecondaryBuffer::ApplyParameters() {
    SendGeometry(m_source, m_flags, m_params, m_sent ? &*m_sent : nullptr);
    m_sent = m_params;
}

bool SecondaryBuffer::Upload() {
    // OpenAL keeps its own copy of what it is given, so beside the buffer's memory there
    // is at most a mono mix on its way there, and none for a clip already mono.
    const MonoSamples kind = MonoSamplesFor(m_format);
    const ALenum format = kind == MonoSamples::Unsigned8  ? AL_FORMAT_MONO8
                          : kind == MonoSamples::Signed16 ? AL_FORMAT_MONO16
                                                          : AL_FORMAT_MONO_FLOAT32;
    std::vector<std::uint8_t> mixed;
    const std::uint8_t* samples = m_data.data();
    std::size_t bytes = m_data.size() / m_format.nBlockAlign * m_format.nBlockAlign;
    if (!IsMonoAsItIs(m_format)) {
        mixed = MixToMono(m_data.data(), m_data.size(), m_format);
        samples = mixed.data();
        bytes = mixed.size();
    }
    ALint state = AL_INITIAL;
    ALint offset = 0;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
    // A buffer that a source holds cannot take new data: detach it, upload, put it back
    // and carry on where the source was.
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
    alGetError();
    alBufferData(m_buffer, format, samples, static_cast<ALsizei>(bytes), static_cast<ALsizei>(m_format.nSamplesPerSec));
    const bool uploaded = alGetError() == AL_NO_ERROR;
    if (uploaded) alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
    if (state == AL_PLAYING || state == AL_PAUSED) {
        alSourcei(m_source, AL_SAMPLE_OFFSET, offset);
        if (state == AL_PLAYING)
            alSourcePlay(m_source);
        else
            alSourcePause(m_source);
    }
    return uploaded;
}

HRESULT SecondaryBuffer::GetStatus(DWORD* status) {
    if (!status) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    if (IsLost()) {
        *status = DSBSTATUS_BUFFERLOST;
        return DS_OK;
    }
    ContextScope scope(m_context->Current());
    ALint state = AL_INITIAL;
    ALint looping = AL_FALSE;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    alGetSourcei(m_source, AL_LOOPING, &looping);
    *status = 0;
    if (state == AL_PLAYING) *status = DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2, DWORD* bytes2,
                              DWORD flags) {
    if (!ptr1 || !bytes1) return DSERR_INVALIDPARAM;
    const DWORD size = static_cast<DWORD>(m_data.size());
    if (flags & kLockFromWriteCursor) offset = 0;  // a static buffer writes from its start
    if (flags & kLockEntireBuffer) bytes = size;
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    if (IsLost()) return DSERR_BUFFERLOST;
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
    DeviceLock lock(m_context->Mutex());
    if (m_locks == 0) return DSERR_INVALIDCALL;
    --m_locks;
    if (IsLost()) return DSERR_BUFFERLOST;
    ContextScope scope(m_context->Current());
    return Upload() ? DS_OK : DSERR_OUTOFMEMORY;
}

HRESULT SecondaryBuffer::Play(DWORD, DWORD, DWORD flags) {
    DeviceLock lock(m_context->Mutex());
    if (IsLost()) return DSERR_BUFFERLOST;
    ReapTails();
    ContextScope scope(m_context->Current());
    alSourcei(m_source, AL_LOOPING, (flags & DSBPLAY_LOOPING) ? AL_TRUE : AL_FALSE);
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    // Playing an already playing buffer only changes its looping.
    if (state != AL_PLAYING) alSourcePlay(m_source);
    m_state.playing = true;
    m_state.looping = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD position) {
    if (position >= m_data.size()) return DSERR_INVALIDPARAM;
    DeviceLock lock(m_context->Mutex());
    if (IsLost()) return DSERR_BUFFERLOST;
    ReapTails();
    ContextScope scope(m_context->Current());
    const ALint offset = static_cast<ALint>(position / m_format.nBlockAlign);
    // A playing source jumps at once, and what it played fades out under the new sound;
    // otherwise OpenAL keeps the offset for the next play.
    if (IsPlaying())
        FadeOutAndPause(&offset);
    else
        alSourcei(m_source, AL_SAMPLE_OFFSET, offset);
    m_state.offset = offset;
    return DS_OK;
}

HRESULT SecondaryBuffer::SetFormat(const WAVEFORMATEX*) { return DSERR_INVALIDCALL; }

HRESULT SecondaryBuffer::Stop() {
    DeviceLock lock(m_context->Mutex());
    // A stopped sound stays stopped when its output comes back.
    m_state.playing = false;
    if (IsLost()) return DS_OK;
    ReapTails();
    ContextScope scope(m_context->Current());
    // Stopping keeps the play position, so pausing is the OpenAL equivalent.
    if (IsPlaying()) FadeOutAndPause();
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &m_state.offset);
    return DS_OK;
}

HRESULT SecondaryBuffer::Restore() {
    DeviceLock lock(m_context->Mutex());
    if (!IsLost()) return DS_OK;
    // Bringing the output back makes every sound on it again; a buffer whose data could
    // not be put back then tries once more here, and stays lost until it can.
    if (!m_context->Device().Recover()) return DSERR_BUFFERLOST;
    Rebuild();
    return IsLost() ? DSERR_BUFFERLOST : DS_OK;
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
    if (IsLost()) return DS_OK;  // kept, and applied when the buffer is restored
    ReapTails();
    ContextScope scope(m_context->Current());
    ApplyParameters();
    return DS_OK;
}

HRESULT SecondaryBuffer::Get(REFGUID set, ULONG id, void*, ULONG, void* data, ULONG dataLength, ULONG* returned) {
    if (set != DSPROPSETID_I3DL2_ListenerProperties || id != DSPROPERTY_I3DL2LISTENER_ALL) return E_NOTIMPL;
    if (!data || dataLength < sizeof(I3DL2Record)) return E_INVALIDARG;
    DeviceLock lock(m_context->Mutex());
    if (!m_haveReverb) return E_FAIL;
    std::memcpy(data, m_reverbRecord.data(), m_reverbRecord.size());
    if (returned) *returned = static_cast<ULONG>(m_reverbRecord.size());
    return S_OK;
}

HRESULT SecondaryBuffer::Set(REFGUID set, ULONG id, void*, ULONG, void* data, ULONG dataLength) {
    if (set != DSPROPSETID_I3DL2_ListenerProperties || id != DSPROPERTY_I3DL2LISTENER_ALL) return E_NOTIMPL;
    if (!data || dataLength != sizeof(I3DL2Record)) return E_INVALIDARG;
    DeviceLock lock(m_context->Mutex());
    std::memcpy(m_reverbRecord.data(), data, m_reverbRecord.size());
    m_haveReverb = true;
    if (IsLost()) return S_OK;  // applied when the buffer is restored
    ContextScope scope(m_context->Current());
    ApplyReverb();
    return S_OK;
}

HRESULT SecondaryBuffer::QuerySupport(REFGUID set, ULONG id, ULONG* support) {
    if (!support) return E_INVALIDARG;
    if (set != DSPROPSETID_I3DL2_ListenerProperties || id != DSPROPERTY_I3DL2LISTENER_ALL) return E_NOTIMPL;
    *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return S_OK;
}

bool SecondaryBuffer::TakeOrMakeRoom() {
    // A room still ringing from the previous source carries on into this one.
    if (m_context->Device().Tails().TakeRoom(&m_slot, &m_effect, &m_eaxReverb)) return true;
    alGetError();
    alGenAuxiliaryEffectSlots(1, &m_slot);
    if (alGetError() != AL_NO_ERROR) m_slot = 0;
    alGenEffects(1, &m_effect);
    if (alGetError() != AL_NO_ERROR) m_effect = 0;
    if (!m_slot || !m_effect) {
        if (m_slot) alDeleteAuxiliaryEffectSlots(1, &m_slot);
        if (m_effect) alDeleteEffects(1, &m_effect);
        m_slot = m_effect = 0;
        return false;
    }
    alEffecti(m_effect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    m_eaxReverb = alGetError() == AL_NO_ERROR;
    if (!m_eaxReverb) alEffecti(m_effect, AL_EFFECT_TYPE, AL_EFFECT_REVERB);
    return true;
}

void SecondaryBuffer::ApplyReverb() {
    I3DL2Record record;
    std::memcpy(&record, m_reverbRecord.data(), sizeof record);
    if (IsRoomOff(record)) {
        // No send: the room the source fed rings out on its own and is then freed, so the
        // reverb costs nothing while the room is off.
        ReleaseRoom();
        return;
    }
    if (!m_slot && !TakeOrMakeRoom()) return;
    const ReverbSettings s = ToReverbSettings(record);
    m_ringSeconds = s.decayTime * std::max(1.0f, s.decayHFRatio) + s.reflectionsDelay + s.lateReverbDelay +
                    kRingMarginSeconds;
    // The plain reverb has the same ranges for what it shares; it has no HF reference.
    const struct {
        ALenum eax;
        ALenum plain;
        float value;
    } parameters[] = {
        {AL_EAXREVERB_DENSITY, AL_REVERB_DENSITY, s.density},
        {AL_EAXREVERB_DIFFUSION, AL_REVERB_DIFFUSION, s.diffusion},
        {AL_EAXREVERB_GAIN, AL_REVERB_GAIN, s.gain},
        {AL_EAXREVERB_GAINHF, AL_REVERB_GAINHF, s.gainHF},
        {AL_EAXREVERB_DECAY_TIME, AL_REVERB_DECAY_TIME, s.decayTime},
        {AL_EAXREVERB_DECAY_HFRATIO, AL_REVERB_DECAY_HFRATIO, s.decayHFRatio},
        {AL_EAXREVERB_REFLECTIONS_GAIN, AL_REVERB_REFLECTIONS_GAIN, s.reflectionsGain},
        {AL_EAXREVERB_REFLECTIONS_DELAY, AL_REVERB_REFLECTIONS_DELAY, s.reflectionsDelay},
        {AL_EAXREVERB_LATE_REVERB_GAIN, AL_REVERB_LATE_REVERB_GAIN, s.lateReverbGain},
        {AL_EAXREVERB_LATE_REVERB_DELAY, AL_REVERB_LATE_REVERB_DELAY, s.lateReverbDelay},
        {AL_EAXREVERB_HFREFERENCE, AL_NONE, s.hfReference},
        {AL_EAXREVERB_ROOM_ROLLOFF_FACTOR, AL_REVERB_ROOM_ROLLOFF_FACTOR, s.roomRolloffFactor},
    };
    for (const auto& p : parameters) {
        const ALenum name = m_eaxReverb ? p.eax : p.plain;
        if (name != AL_NONE) alEffectf(m_effect, name, p.value);
    }
    // A slot takes a copy of the effect when it is attached, so attach after every change.
    alAuxiliaryEffectSloti(m_slot, AL_EFFECTSLOT_EFFECT, static_cast<ALint>(m_effect));
    alSource3i(m_source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(m_slot), 0, AL_FILTER_NULL);
    m_effectAttached = true;
}

bool SecondaryBuffer::LastReverb(dsound_test::ReverbState* out) {
    DeviceLock lock(m_context->Mutex());
    if (!m_haveReverb || !out) return false;
    std::memcpy(out->record, m_reverbRecord.data(), m_reverbRecord.size());
    out->effectAttached = m_effectAttached;
    return true;
}

}  // namespace dsound_detail
