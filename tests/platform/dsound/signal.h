// Synthesised clips and measurements of rendered loopback output, for the sound tests.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
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
                const auto s = static_cast<std::int16_t>(std::lround(v * 32000.0));
                bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
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

// RMS of one channel of interleaved frames [first, first + count).
inline double Rms(const std::vector<float>& frames, int channels, int channel, std::size_t first,
                  std::size_t count) {
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = first; i < first + count && (i * channels + channel) < frames.size(); ++i, ++n) {
        const double v = frames[i * channels + channel];
        sum += v * v;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

inline double Decibels(double ratio) { return 20.0 * std::log10(ratio); }

// Frequency of one channel from its upward zero crossings, interpolated between samples.
inline double Frequency(const std::vector<float>& frames, int channels, int channel, std::size_t first,
                        std::size_t count, double rate) {
    double firstCross = -1.0;
    double lastCross = -1.0;
    int crossings = 0;
    for (std::size_t i = first + 1; i < first + count && (i * channels + channel) < frames.size(); ++i) {
        const double a = frames[(i - 1) * channels + channel];
        const double b = frames[i * channels + channel];
        if (a < 0.0 && b >= 0.0) {
            const double at = static_cast<double>(i - 1) + a / (a - b);
            if (firstCross < 0.0) firstCross = at;
            lastCross = at;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * rate / (lastCross - firstCross);
}

}  // namespace sound_testing
