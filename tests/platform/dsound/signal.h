// Synthesised clips and measurements of rendered loopback output, for the sound tests.
#pragma once

#include <algorithm>
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

// How far below the sound before it the last 5 ms of a sound that was stopped lie, in dB:
// the sound 100-200 ms before `stoppedAt` against the 5 ms before the last sample above
// `floor` (about the least step of 16-bit audio). A hard cut gives about 0 dB.
inline double EndingDropDb(const std::vector<float>& frames, int channels, int channel, std::size_t stoppedAt,
                           int rate, double floor = 3e-5) {
    std::size_t end = 0;
    for (std::size_t i = frames.size() / channels; i-- > 0;) {
        if (std::fabs(frames[i * channels + channel]) > floor) {
            end = i + 1;
            break;
        }
    }
    const std::size_t five = static_cast<std::size_t>(rate / 200);
    const double last = Rms(frames, channels, channel, end > five ? end - five : 0, five);
    const double before = Rms(frames, channels, channel, stoppedAt - static_cast<std::size_t>(rate / 5),
                              static_cast<std::size_t>(rate / 10));
    return Decibels(std::max(last, 1e-12) / before);
}

// The largest change between neighbouring samples of one channel: a cut or a jump in the
// middle of a wave shows as a step far above what the wave itself makes.
inline double LargestStep(const std::vector<float>& frames, int channels, int channel, std::size_t first,
                          std::size_t count) {
    double largest = 0.0;
    for (std::size_t i = first + 1; i < first + count && (i * channels + channel) < frames.size(); ++i)
        largest = std::max(largest, static_cast<double>(std::fabs(frames[i * channels + channel] -
                                                                  frames[(i - 1) * channels + channel])));
    return largest;
}

// How many samples the right channel of interleaved stereo lags behind the left: the
// peak of their cross-correlation within maxLag.
inline int InterauralLag(const std::vector<float>& frames, int maxLag) {
    const long n = static_cast<long>(frames.size() / 2);
    int best = 0;
    double peak = -1e300;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double sum = 0;
        for (long i = maxLag; i + maxLag < n; ++i) sum += frames[2 * i] * frames[2 * (i + lag) + 1];
        if (sum > peak) peak = sum, best = lag;
    }
    return best;
}

}  // namespace sound_testing
