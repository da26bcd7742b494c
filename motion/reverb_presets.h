// Room reverberation records in the I3DL2 listener-property layout.
#pragma once

#include <cstdint>

struct ReverbParams {
    std::int32_t lRoom;              // mB
    std::int32_t lRoomHF;            // mB
    float flRoomRolloffFactor;
    float flDecayTime;               // s
    float flDecayHFRatio;
    std::int32_t lReflections;       // mB
    float flReflectionsDelay;        // s
    std::int32_t lReverb;            // mB
    float flReverbDelay;             // s
    float flDiffusion;               // percent
    float flDensity;                 // percent
    float flHFReference;             // Hz
};
static_assert(sizeof(ReverbParams) == 48, "ReverbParams is the 48-byte I3DL2 record");

constexpr int kReverbPresetCount = 28;
extern const ReverbParams g_reverbOff;
extern const ReverbParams g_reverbPresets[kReverbPresetCount];
