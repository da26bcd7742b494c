// Synthesised clips and measurements of rendered loopback output, for the sound tests.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/mmio/mmsystem.h"
#include "tests/support/pcm_wav.h"

namespace sound_testing {

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
