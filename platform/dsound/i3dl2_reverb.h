// The twelve I3DL2 listener values and what they become in an OpenAL reverb effect.
#pragma once

#include <cstdint>

#include "platform/dsound/al_api.h"

namespace dsound_detail {

// The property set's 48-byte record, field for field.
struct I3DL2Record {
    std::int32_t lRoom;
    std::int32_t lRoomHF;
    float flRoomRolloffFactor;
    float flDecayTime;
    float flDecayHFRatio;
    std::int32_t lReflections;
    float flReflectionsDelay;
    std::int32_t lReverb;
    float flReverbDelay;
    float flDiffusion;
    float flDensity;
    float flHFReference;
};
static_assert(sizeof(I3DL2Record) == 48, "the I3DL2 listener record is 48 bytes");

// The record in the EAX reverb's units, every value inside the effect's valid range.
struct ReverbSettings {
    float gain;
    float gainHF;
    float roomRolloffFactor;
    float decayTime;
    float decayHFRatio;
    float reflectionsGain;
    float reflectionsDelay;
    float lateReverbGain;
    float lateReverbDelay;
    float diffusion;
    float density;
    float hfReference;
};

// I3DL2 switches the room off with a room level of -10000 mB (and below).
constexpr std::int32_t kRoomOffLevel = -10000;
inline bool IsRoomOff(const I3DL2Record& r) { return r.lRoom <= kRoomOffLevel; }

// Millibels to a linear gain: 10^(mB / 2000).
float GainFromMillibels(std::int32_t millibels);

ReverbSettings ToReverbSettings(const I3DL2Record& record);

// Loads the record into a reverb effect (EAX or plain) and the effect into its slot; how
// long the room rings after its source falls silent, in seconds.
double LoadRoom(ALuint slot, ALuint effect, bool eaxReverb, const I3DL2Record& record);

}  // namespace dsound_detail
