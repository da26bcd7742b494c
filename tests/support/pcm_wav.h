// PCM test clips: a format, samples from a function, a tone, and a canonical RIFF/WAVE
// file of them. One writer for every test that needs a clip on disk.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/mmio/mmsystem.h"

namespace sound_testing {

constexpr double kPi = 3.14159265358979323846;

inline WAVEFORMATEX PcmFormat(DWORD rate, WORD channels, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// Per frame and channel, a value in -1..1 becomes the format's PCM bytes.
template <typename SampleFn>
std::vector<std::uint8_t> MakePcm(const WAVEFORMATEX& f, std::size_t frames, SampleFn sample) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(frames * f.nBlockAlign);
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < f.nChannels; ++c) {
            const double v = std::fmax(-1.0, std::fmin(1.0, sample(i, c)));
            if (f.wBitsPerSample == 8) {
                bytes.push_back(static_cast<std::uint8_t>(std::lround(v * 127.0) + 128));
            } else {
                // 16, 24 or 32 bits, little-endian, at the same 32000/32768 of full scale.
                const int width = f.wBitsPerSample / 8;
                const auto s = static_cast<std::int64_t>(std::llround(v * 32000.0 * std::ldexp(1.0, 8 * (width - 2))));
                for (int b = 0; b < width; ++b) bytes.push_back(static_cast<std::uint8_t>((s >> (8 * b)) & 0xFF));
            }
        }
    }
    return bytes;
}

inline std::vector<std::uint8_t> Tone(const WAVEFORMATEX& f, double hz, double seconds, double amplitude = 0.5) {
    const auto frames = static_cast<std::size_t>(seconds * f.nSamplesPerSec);
    return MakePcm(f, frames, [&](std::size_t i, int) {
        return amplitude * std::sin(2.0 * kPi * hz * static_cast<double>(i) / f.nSamplesPerSec);
    });
}

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

// A canonical PCM file. dataSizeClaim, when given, is written as the data chunk's size
// instead of the real one (to make files that end inside their data).
inline bool WriteWav(const std::string& path, const WAVEFORMATEX& f, const std::vector<std::uint8_t>& data,
                     long dataSizeClaim = -1) {
    std::vector<std::uint8_t> out;
    const std::uint32_t dataSize = dataSizeClaim >= 0 ? static_cast<std::uint32_t>(dataSizeClaim)
                                                      : static_cast<std::uint32_t>(data.size());
    // The extensible tag gets its 22 extra bytes: valid bits, no speaker mask, and PCM.
    const bool extensible = f.wFormatTag == WAVE_FORMAT_EXTENSIBLE;
    const std::uint32_t formatSize = extensible ? 40 : 16;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLe(out, 4 + 8 + formatSize + 8 + dataSize + (dataSize & 1), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, formatSize, 4);
    PutLe(out, f.wFormatTag, 2);
    PutLe(out, f.nChannels, 2);
    PutLe(out, f.nSamplesPerSec, 4);
    PutLe(out, f.nAvgBytesPerSec, 4);
    PutLe(out, f.nBlockAlign, 2);
    PutLe(out, f.wBitsPerSample, 2);
    if (extensible) {
        PutLe(out, 22, 2);
        PutLe(out, f.wBitsPerSample, 2);
        PutLe(out, 0, 4);
        const GUID& pcm = KSDATAFORMAT_SUBTYPE_PCM;
        out.insert(out.end(), reinterpret_cast<const std::uint8_t*>(&pcm), reinterpret_cast<const std::uint8_t*>(&pcm) + 16);
    }
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, dataSize, 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace sound_testing
