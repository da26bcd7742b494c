#include "bench/app/bare_engine_work.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx-presets.h>
#include <AL/efx.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

constexpr auto kPeriod = std::chrono::milliseconds(15);

struct Clip {
    int rate = 0;
    std::vector<char> pcm;
};

std::uint32_t Le(const std::vector<char>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Just enough RIFF for the project's own clips: PCM, one channel, 16 bits.
bool ReadClip(const char* path, Clip* clip) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return false;
    bool mono16 = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::size_t size = Le(b, at + 4, 4);
        const std::size_t body = at + 8;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && body + 16 <= b.size()) {
            mono16 = Le(b, body, 2) == 1 && Le(b, body + 2, 2) == 1 && Le(b, body + 14, 2) == 16;
            clip->rate = static_cast<int>(Le(b, body + 4, 4));
        } else if (std::memcmp(b.data() + at, "data", 4) == 0 && body + size <= b.size()) {
            clip->pcm.assign(b.begin() + static_cast<long>(body), b.begin() + static_cast<long>(body + size));
            return mono16 && clip->rate > 0;
        }
        at = body + size + (size & 1);
    }
    return false;
}

void SetHangar(ALuint effect) {
    const EFXEAXREVERBPROPERTIES r = EFX_REVERB_PRESET_HANGAR;
    alEffecti(effect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    alEffectf(effect, AL_EAXREVERB_DENSITY, r.flDensity);
    alEffectf(effect, AL_EAXREVERB_DIFFUSION, r.flDiffusion);
    alEffectf(effect, AL_EAXREVERB_GAIN, r.flGain);
    alEffectf(effect, AL_EAXREVERB_GAINHF, r.flGainHF);
    alEffectf(effect, AL_EAXREVERB_DECAY_TIME, r.flDecayTime);
    alEffectf(effect, AL_EAXREVERB_DECAY_HFRATIO, r.flDecayHFRatio);
    alEffectf(effect, AL_EAXREVERB_REFLECTIONS_GAIN, r.flReflectionsGain);
    alEffectf(effect, AL_EAXREVERB_REFLECTIONS_DELAY, r.flReflectionsDelay);
    alEffectf(effect, AL_EAXREVERB_LATE_REVERB_GAIN, r.flLateReverbGain);
    alEffectf(effect, AL_EAXREVERB_LATE_REVERB_DELAY, r.flLateReverbDelay);
    alEffectf(effect, AL_EAXREVERB_HFREFERENCE, r.flHFReference);
    alEffectf(effect, AL_EAXREVERB_ROOM_ROLLOFF_FACTOR, r.flRoomRolloffFactor);
}

}  // namespace

int PlayInsectInHangar(const char* clipPath, double seconds) {
    Clip clip;
    if (!ReadClip(clipPath, &clip)) return 2;

    ALCdevice* device = alcOpenDevice(nullptr);
    ALCcontext* context = device ? alcCreateContext(device, nullptr) : nullptr;
    if (!context || !alcMakeContextCurrent(context)) return 1;

    ALuint buffer = 0, source = 0, slot = 0, effect = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, AL_FORMAT_MONO16, clip.pcm.data(), static_cast<ALsizei>(clip.pcm.size()), clip.rate);
    alGenSources(1, &source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_LOOPING, AL_TRUE);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alSourcef(source, AL_REFERENCE_DISTANCE, 1.0f);
    alSourcef(source, AL_MAX_DISTANCE, 50.0f);
    alGenAuxiliaryEffectSlots(1, &slot);
    alGenEffects(1, &effect);
    SetHangar(effect);
    alAuxiliaryEffectSloti(slot, AL_EFFECTSLOT_EFFECT, static_cast<ALint>(effect));
    alSource3i(source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(slot), 0, AL_FILTER_NULL);
    alSourcePlay(source);

    // A wandering flight around the head, one position per period.
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    for (double t = 0; t < seconds; t = std::chrono::duration<double>(next - start).count()) {
        alSource3f(source, AL_POSITION, 3.0f * std::sin(1.3 * t), 0.5f * std::sin(3.1 * t), 3.0f * std::cos(0.9 * t));
        next += kPeriod;
        std::this_thread::sleep_until(next);
    }

    alSourceStop(source);
    alSource3i(source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, 0, AL_FILTER_NULL);
    alDeleteSources(1, &source);
    alDeleteAuxiliaryEffectSlots(1, &slot);
    alDeleteEffects(1, &effect);
    alDeleteBuffers(1, &buffer);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    return 0;
}
