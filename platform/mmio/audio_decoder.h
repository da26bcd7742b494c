// An I/O procedure that reads any audio file libsndfile decodes (FLAC, Ogg Vorbis, Opus,
// MP3, WAV in float, A-law, µ-law or ADPCM, ...) as the RIFF WAVE file of its integer PCM
// samples, so a RIFF reader reads it like any other WAV file. Install it under a code of
// your choice with mmioInstallIOProcA and open files with that MMIOINFO.fccIOProc.
//
// What a reader sees: "RIFF", "WAVE", a "fmt " chunk (PCM, or the extensible form with
// the PCM sub-format for more than two channels) and one "data" chunk with every sample,
// 16 bits wide, or 32 bits for sources of more resolution (24- and 32-bit PCM, float).
// Samples are decoded as they are read, a few thousand frames at a time: a whole file is
// never held. Lossy decoders' overshoots are clipped, never wrapped.
//
// A file is refused at open (MMIOERR_CANNOTOPEN) when libsndfile does not recognise it,
// when it does not say how long it is, has more than eight channels, or claims far more
// samples than a file of its size could hold. A file that holds fewer samples than it
// declares, or that the decoder finds damaged, reads short (or fails) where the damage
// begins, so a reader that wants the whole "data" chunk refuses it.
#pragma once

#include "platform/mmio/mmsystem.h"

LRESULT AudioDecoderIOProc(LPSTR mmioinfo, UINT message, LPARAM lParam1, LPARAM lParam2);
