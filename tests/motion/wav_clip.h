// A short mono 16-bit PCM tone written as a RIFF WAVE file, for loading into the player.
#pragma once

#include <string>

#include "tests/support/pcm_wav.h"

inline void WriteToneWav(const std::string& path, int rate = 22050, double seconds = 0.25) {
    const WAVEFORMATEX format = sound_testing::PcmFormat(static_cast<DWORD>(rate), 1, 16);
    sound_testing::WriteWav(path, format, sound_testing::Tone(format, 440.0, seconds, 0.25));
}
