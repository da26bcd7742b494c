#include "platform/dsound/voice_tails.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace dsound_detail {
namespace {

// How long the end of the process may wait for fades to be heard: they take 10 ms, and
// the output plays what was mixed a few updates later.
constexpr auto kExitWaitLimit = std::chrono::milliseconds(150);

// Falls fast at first and reaches true silence at the end: most of the level is gone in
// the first few milliseconds, so what is left at the end is far below the sound that was
// cut, and there is no step anywhere.
double FadeGain(double x) { return (1.0 - x) * std::exp(-6.0 * x); }

float SourceFloat(ALuint source, ALenum param) {
    ALfloat value = 0.0f;
    alGetSourcef(source, param, &value);
    return value;
}

void CopyFloat(ALuint from, ALuint to, ALenum param) { alSourcef(to, param, SourceFloat(from, param)); }

void CopyVector(ALuint from, ALuint to, ALenum param) {
    ALfloat v[3] = {0.0f, 0.0f, 0.0f};
    alGetSource3f(from, param, &v[0], &v[1], &v[2]);
    alSource3f(to, param, v[0], v[1], v[2]);
}

// Where the source will read next, in seconds, with the fraction between two samples.
double PlayOffsetSeconds(ALuint source) {
    static const bool precise = alIsExtensionPresent("AL_SOFT_source_latency") == AL_TRUE;
    if (precise) {
        ALdouble seconds = 0.0;
        alGetSourcedSOFT(source, AL_SEC_OFFSET, &seconds);
        return seconds;
    }
    return SourceFloat(source, AL_SEC_OFFSET);
}

}  // namespace

std::vector<std::int16_t> FadedSegment(const ClipFrames& clip, double position, bool looping, int rate) {
    const std::size_t frames = static_cast<std::size_t>(std::max(1.0, std::ceil(kFadeSeconds * rate)));
    std::vector<std::int16_t> out(frames, 0);
    const std::size_t size = clip.count;
    if (size == 0 || !std::isfinite(position) || position < 0.0) return out;
    const auto sampleAt = [&](std::size_t i) -> double {
        if (i < size) return clip.at(i);
        return looping ? clip.at(i % size) : 0.0;
    };
    double whole = std::floor(position);
    if (looping) whole = std::fmod(whole, static_cast<double>(size));
    const double frac = position - std::floor(position);
    const auto first = static_cast<std::size_t>(whole);
    for (std::size_t n = 0; n < frames; ++n) {
        const double a = sampleAt(first + n);
        const double b = sampleAt(first + n + 1);
        const double v = (a + (b - a) * frac) * FadeGain(static_cast<double>(n) / static_cast<double>(frames));
        out[n] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return out;
}

ALuint VoiceTails::PrepareFade(ALuint source, ALuint slot, const ClipFrames& clip, int rate) {
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING || clip.count == 0 || rate <= 0 || SourceFloat(source, AL_GAIN) <= 0.0f) return 0;
    ALint looping = AL_FALSE;
    alGetSourcei(source, AL_LOOPING, &looping);
    const std::vector<std::int16_t> faded =
        FadedSegment(clip, PlayOffsetSeconds(source) * rate, looping == AL_TRUE, rate);

    alGetError();
    Fade fade{0, 0};
    alGenBuffers(1, &fade.buffer);
    if (alGetError() != AL_NO_ERROR) return 0;
    alBufferData(fade.buffer, AL_FORMAT_MONO16, faded.data(), static_cast<ALsizei>(faded.size() * sizeof(faded[0])),
                 rate);
    alGenSources(1, &fade.source);
    if (alGetError() != AL_NO_ERROR) {
        if (fade.source) alDeleteSources(1, &fade.source);
        alDeleteBuffers(1, &fade.buffer);
        return 0;
    }
    ALint relative = AL_FALSE;
    alGetSourcei(source, AL_SOURCE_RELATIVE, &relative);
    alSourcei(fade.source, AL_SOURCE_RELATIVE, relative);
    for (ALenum v : {AL_POSITION, AL_VELOCITY, AL_DIRECTION}) CopyVector(source, fade.source, v);
    for (ALenum f : {AL_CONE_INNER_ANGLE, AL_CONE_OUTER_ANGLE, AL_CONE_OUTER_GAIN, AL_REFERENCE_DISTANCE,
                     AL_MAX_DISTANCE, AL_ROLLOFF_FACTOR, AL_GAIN, AL_PITCH})
        CopyFloat(source, fade.source, f);
    alSourcei(fade.source, AL_BUFFER, static_cast<ALint>(fade.buffer));
    alSourcei(fade.source, AL_LOOPING, AL_FALSE);
    if (slot) alSource3i(fade.source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(slot), 0, AL_FILTER_NULL);
    m_fades.push_back(fade);
    return fade.source;
}

Room VoiceTails::TakeRoom() {
    Room room;
    if (!m_ringing.empty()) {
        room = m_ringing.back().room;
        m_ringing.pop_back();
    } else if (!m_idle.empty()) {
        room = m_idle.back();
        m_idle.pop_back();
    } else {
        alGetError();
        alGenEffects(1, &room.effect);
        if (alGetError() != AL_NO_ERROR) return {};
        alGenAuxiliaryEffectSlots(1, &room.slot);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteEffects(1, &room.effect);
            return {};
        }
        alEffecti(room.effect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
        room.eaxReverb = alGetError() == AL_NO_ERROR;
        if (!room.eaxReverb) alEffecti(room.effect, AL_EFFECT_TYPE, AL_EFFECT_REVERB);
    }
    alAuxiliaryEffectSlotf(room.slot, AL_EFFECTSLOT_GAIN, 1.0f);  // it may have been quietened
    return room;
}

void VoiceTails::Ring(const Room& room, double until) {
    if (room.slot) m_ringing.push_back({room, until});
}

bool VoiceTails::FadesUnderWay() {
    for (const Fade& f : m_fades) {
        ALint state = AL_STOPPED;
        alGetSourcei(f.source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) return true;
    }
    return false;
}

void VoiceTails::Reap(double now) {
    m_fades.erase(std::remove_if(m_fades.begin(), m_fades.end(),
                                 [](Fade& f) {
                                     ALint state = AL_PLAYING;
                                     alGetSourcei(f.source, AL_SOURCE_STATE, &state);
                                     if (state == AL_PLAYING) return false;
                                     alDeleteSources(1, &f.source);
                                     alDeleteBuffers(1, &f.buffer);
                                     return true;
                                 }),
                  m_fades.end());
    for (auto r = m_ringing.begin(); r != m_ringing.end();) {
        if (now < r->until) {
            ++r;
            continue;
        }
        // Empty, the slot costs the mixer nothing until a source takes it again.
        alAuxiliaryEffectSloti(r->room.slot, AL_EFFECTSLOT_EFFECT, AL_EFFECT_NULL);
        m_idle.push_back(r->room);
        r = m_ringing.erase(r);
    }
}

void VoiceTails::QuietenRooms() {
    for (const Ringing& r : m_ringing) alAuxiliaryEffectSlotf(r.room.slot, AL_EFFECTSLOT_GAIN, 0.0f);
}

void VoiceTails::HearOut(double update) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    QuietenRooms();
    const auto quietened = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(2 * update));
    while (Clock::now() - start < kExitWaitLimit && (FadesUnderWay() || Clock::now() < quietened))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // What was mixed last is still on its way to the speakers.
    std::this_thread::sleep_for(std::chrono::duration<double>(std::min(update, 0.05)));
}

void VoiceTails::Forget() {
    m_fades.clear();
    m_ringing.clear();
    m_idle.clear();
}

}  // namespace dsound_detail
