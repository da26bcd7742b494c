// Hand-built WAV files for the reader and probe tests.
#pragma once

#include <string>

#include "tests/platform/kernel/temp_dir.h"
#include "tests/platform/mmio/riff_builder.h"

namespace wavefiles {

using namespace riff;

inline std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    return s;
}

inline std::string SimpleWave(const std::string& data, const std::string& fmt = PcmFmt()) {
    return Riff("WAVE", fmt + Chunk("data", data));
}

}  // namespace wavefiles
