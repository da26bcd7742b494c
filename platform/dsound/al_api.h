// OpenAL Soft as the layer sees it: the core, context and effect headers with the
// extension prototypes. Included only inside platform/dsound.
#pragma once

#ifndef AL_ALEXT_PROTOTYPES
#define AL_ALEXT_PROTOTYPES
#endif
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>
