// OpenAL Soft as the layer sees it: the core, context and effect headers with the
// extension prototypes, and the extension constants newer than the installed headers.
// Included only inside platform/dsound.
#pragma once

#ifndef AL_ALEXT_PROTOTYPES
#define AL_ALEXT_PROTOTYPES
#endif
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>

namespace dsound_al {

// ALC_SOFT_output_mode (OpenAL Soft 1.23 and later): the real output layout of any
// device. Looked up at run time; older libraries do not offer it.
constexpr ALCenum kOutputModeSoft = 0x19AC;
constexpr ALCenum kAnySoft = 0x19AD;
constexpr ALCenum kStereoBasicSoft = 0x19AE;
constexpr ALCenum kStereoUhjSoft = 0x19AF;
constexpr ALCenum kStereoHrtfSoft = 0x19B2;

}  // namespace dsound_al
