// The buffer on the output: its OpenAL source and buffer, the room its source feeds, the
// fade that ends its sound, and how all of it is made again on another output.
#include <cstring>

#include "platform/dsound/i3dl2_reverb.h"
#include "platform/dsound/pcm_format.h"
#include "platform/dsound/secondary_buffer.h"
#include "platform/dsound/source_geometry.h"

namespace dsound_detail {
namespace {

using DeviceLock = std::lock_guard<std::recursive_mutex>;

}  // namespace

bool SecondaryBuffer::Live() {
    return m_generation == Output().Generation() && m_context->Current() && Output().IsConnected();
}

bool SecondaryBuffer::IsPlaying() {
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void SecondaryBuffer::Capture() {
    if (!Sounding()) return;
    ContextScope scope(m_context->Current());
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &m_state.offset);
    // A sound that played to its end has stopped by itself.
    m_state.playing = IsPlaying();
}

void SecondaryBuffer::Rebuild() {
    if (Live()) return;
    ALCcontext* al = m_context->Ensure();
    if (!al) return;
    // The old objects went with the old output.
    m_source = m_buffer = 0;
    m_room = {};
    ContextScope scope(al);
    MakeObjects();
}

void SecondaryBuffer::SetRoomAudible(bool audible) {
    if (!m_room.slot || !Live()) return;
    ContextScope scope(m_context->Current());
    alAuxiliaryEffectSlotf(m_room.slot, AL_EFFECTSLOT_GAIN, audible ? 1.0f : 0.0f);
}

bool SecondaryBuffer::MakeObjects() {
    m_attached = false;
    alGetError();
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) m_source = 0;
    if (m_source) alGenBuffers(1, &m_buffer);
    if (!m_source || alGetError() != AL_NO_ERROR) {
        m_buffer = 0;
        DeleteObjects();
        return false;
    }
    m_context->AddSource(m_source);
    m_sent.reset();  // a new source follows no record yet
    ApplyParameters();
    if (m_reverb) ApplyReverb();
    m_generation = Output().Generation();
    return true;
}

void SecondaryBuffer::DeleteObjects() {
    if (m_source) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alSource3i(m_source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, 0, AL_FILTER_NULL);
        m_context->RemoveSource(m_source);
        alDeleteSources(1, &m_source);
    }
    Output().Tails().Ring(m_room, 0.0);  // rooms are kept for the next source, never deleted
    if (m_buffer) alDeleteBuffers(1, &m_buffer);
    m_source = m_buffer = 0;
    m_room = {};
    m_attached = false;
}

void SecondaryBuffer::ApplyParameters() {
    SendGeometry(m_source, m_flags, m_params, m_sent ? &*m_sent : nullptr);
    m_sent = m_params;
}

void SecondaryBuffer::ApplyReverb() {
    I3DL2Record record;
    std::memcpy(&record, m_reverb->data(), sizeof record);
    // No send: the room the source fed rings out on its own and then falls silent, so the
    // reverb costs nothing while the room is off.
    if (IsRoomOff(record)) return ReleaseRoom();
    if (!m_room.slot) m_room = Output().Tails().TakeRoom();
    if (!m_room.slot) return;
    m_ringSeconds = LoadRoom(m_room.slot, m_room.effect, m_room.eaxReverb, record);
    alSource3i(m_source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(m_room.slot), 0, AL_FILTER_NULL);
}

void SecondaryBuffer::ReleaseRoom() {
    if (!m_room.slot) return;
    alSource3i(m_source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, 0, AL_FILTER_NULL);
    Output().Tails().Ring(m_room, Output().Now() + m_ringSeconds);
    m_room = {};
}

void SecondaryBuffer::FadeOutAndPause(const ALint* restartAt) {
    const ClipFrames clip{m_data.size() / m_format.nBlockAlign,
                          [this](std::size_t frame) { return MonoSampleAt(m_data.data(), frame, m_format); }};
    const ALuint fade =
        Output().Tails().PrepareFade(m_source, m_room.slot, clip, static_cast<int>(m_format.nSamplesPerSec));
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

void SecondaryBuffer::Attach() {
    alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
    alSourcei(m_source, AL_LOOPING, m_state.looping ? AL_TRUE : AL_FALSE);
    alSourcei(m_source, AL_SAMPLE_OFFSET, m_state.offset);
    if (m_state.playing) alSourcePlay(m_source);
    m_attached = true;
}

bool SecondaryBuffer::Fill() {
    std::lock_guard<std::mutex> data(m_dataLock);
    if (m_locks > 0) return true;  // the program is writing it; its Unlock fills it
    std::shared_ptr<const void> pinned;
    ALCcontext* al = nullptr;
    ALuint buffer = 0;
    unsigned generation = 0;
    {
        DeviceLock lock(m_context->Mutex());
        if (!Live()) return true;  // made again and filled on the next output
        Capture();
        pinned = Output().Pin();
        al = m_context->Current();
        buffer = m_buffer;
        generation = *m_generation;
        ContextScope scope(al);
        // A buffer that a source holds cannot take new data.
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        m_attached = false;
    }
    // OpenAL keeps its own copy of what it is given, so beside the buffer's memory there
    // is at most a mono mix on its way there, and none for a clip already mono.
    const MonoSamples kind = MonoSamplesFor(m_format);
    const ALenum format = kind == MonoSamples::Unsigned8  ? AL_FORMAT_MONO8
                          : kind == MonoSamples::Signed16 ? AL_FORMAT_MONO16
                                                          : AL_FORMAT_MONO_FLOAT32;
    std::vector<std::uint8_t> mixed;
    if (!IsMonoAsItIs(m_format)) mixed = MixToMono(m_data.data(), m_data.size(), m_format);
    const std::uint8_t* samples = mixed.empty() ? m_data.data() : mixed.data();
    const std::size_t bytes = mixed.empty() ? m_data.size() / m_format.nBlockAlign * m_format.nBlockAlign : mixed.size();
    bool filled = false;
    {
        ContextScope scope(al);  // the pinned output keeps it
        alGetError();
        alBufferData(buffer, format, samples, static_cast<ALsizei>(bytes), static_cast<ALsizei>(m_format.nSamplesPerSec));
        filled = alGetError() == AL_NO_ERROR;
    }
    DeviceLock lock(m_context->Mutex());
    if (!Live() || *m_generation != generation) return true;  // filled again on the next output
    ContextScope scope(al);
    if (filled) Attach();
    return filled;
}

}  // namespace dsound_detail
