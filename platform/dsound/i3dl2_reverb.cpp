#include "platform/dsound/i3dl2_reverb.h"

#include <algorithm>
#include <cmath>

namespace dsound_detail {
namespace {

// Beyond its decay a room is still fed what the output had not yet played.
constexpr double kRingMarginSeconds = 0.3;

// Out-of-range values are pulled to the nearest limit; a value that is no number at
// all (NaN, a garbage record) takes the effect's own default instead.
float Fit(float value, float low, float high, float fallback) {
    if (!std::isfinite(value)) {
        if (std::isnan(value)) return fallback;
        return value > 0 ? high : low;
    }
    return std::clamp(value, low, high);
}

}  // namespace

float GainFromMillibels(std::int32_t millibels) {
    // Kept inside float's range so that absurd levels convert without overflow.
    const double gain = std::pow(10.0, static_cast<double>(millibels) / 2000.0);
    return static_cast<float>(std::min(gain, 1.0e30));
}

ReverbSettings ToReverbSettings(const I3DL2Record& r) {
    ReverbSettings s{};
    s.gain = Fit(GainFromMillibels(r.lRoom), AL_EAXREVERB_MIN_GAIN, AL_EAXREVERB_MAX_GAIN,
                 AL_EAXREVERB_DEFAULT_GAIN);
    s.gainHF = Fit(GainFromMillibels(r.lRoomHF), AL_EAXREVERB_MIN_GAINHF, AL_EAXREVERB_MAX_GAINHF,
                   AL_EAXREVERB_DEFAULT_GAINHF);
    s.roomRolloffFactor = Fit(r.flRoomRolloffFactor, AL_EAXREVERB_MIN_ROOM_ROLLOFF_FACTOR,
                              AL_EAXREVERB_MAX_ROOM_ROLLOFF_FACTOR, AL_EAXREVERB_DEFAULT_ROOM_ROLLOFF_FACTOR);
    s.decayTime = Fit(r.flDecayTime, AL_EAXREVERB_MIN_DECAY_TIME, AL_EAXREVERB_MAX_DECAY_TIME,
                      AL_EAXREVERB_DEFAULT_DECAY_TIME);
    s.decayHFRatio = Fit(r.flDecayHFRatio, AL_EAXREVERB_MIN_DECAY_HFRATIO, AL_EAXREVERB_MAX_DECAY_HFRATIO,
                         AL_EAXREVERB_DEFAULT_DECAY_HFRATIO);
    s.reflectionsGain = Fit(GainFromMillibels(r.lReflections), AL_EAXREVERB_MIN_REFLECTIONS_GAIN,
                            AL_EAXREVERB_MAX_REFLECTIONS_GAIN, AL_EAXREVERB_DEFAULT_REFLECTIONS_GAIN);
    s.reflectionsDelay = Fit(r.flReflectionsDelay, AL_EAXREVERB_MIN_REFLECTIONS_DELAY,
                             AL_EAXREVERB_MAX_REFLECTIONS_DELAY, AL_EAXREVERB_DEFAULT_REFLECTIONS_DELAY);
    s.lateReverbGain = Fit(GainFromMillibels(r.lReverb), AL_EAXREVERB_MIN_LATE_REVERB_GAIN,
                           AL_EAXREVERB_MAX_LATE_REVERB_GAIN, AL_EAXREVERB_DEFAULT_LATE_REVERB_GAIN);
    s.lateReverbDelay = Fit(r.flReverbDelay, AL_EAXREVERB_MIN_LATE_REVERB_DELAY,
                            AL_EAXREVERB_MAX_LATE_REVERB_DELAY, AL_EAXREVERB_DEFAULT_LATE_REVERB_DELAY);
    s.diffusion = Fit(r.flDiffusion / 100.0f, AL_EAXREVERB_MIN_DIFFUSION, AL_EAXREVERB_MAX_DIFFUSION,
                      AL_EAXREVERB_DEFAULT_DIFFUSION);
    s.density = Fit(r.flDensity / 100.0f, AL_EAXREVERB_MIN_DENSITY, AL_EAXREVERB_MAX_DENSITY,
                    AL_EAXREVERB_DEFAULT_DENSITY);
    s.hfReference = Fit(r.flHFReference, AL_EAXREVERB_MIN_HFREFERENCE, AL_EAXREVERB_MAX_HFREFERENCE,
                        AL_EAXREVERB_DEFAULT_HFREFERENCE);
    return s;
}

double LoadRoom(ALuint slot, ALuint effect, bool eaxReverb, const I3DL2Record& record) {
    const ReverbSettings s = ToReverbSettings(record);
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
        const ALenum name = eaxReverb ? p.eax : p.plain;
        if (name != AL_NONE) alEffectf(effect, name, p.value);
    }
    // A slot takes a copy of the effect when it is loaded, so load it after every change.
    alAuxiliaryEffectSloti(slot, AL_EFFECTSLOT_EFFECT, static_cast<ALint>(effect));
    return s.decayTime * std::max(1.0f, s.decayHFRatio) + s.reflectionsDelay + s.lateReverbDelay + kRingMarginSeconds;
}

}  // namespace dsound_detail
