// The listening test's burst: 0.4 s of white noise, broadband so every cue the ears use
// is in it, with short raised-cosine edges so it starts and stops without a click.
#include <algorithm>
#include <cmath>

#include "tools/synth/clips.h"
#include "tools/synth/dsp.h"

namespace {

constexpr int kBurstRate = 44100;
constexpr double kSeconds = 0.4;
constexpr double kEdge = 0.01;
constexpr double kLevel = 0.5;

}  // namespace

LoopBuffer BuildNoiseBurst() {
    LoopBuffer out(kBurstRate, kSeconds);
    Noise noise(0x5EED0B0E5ull);
    const long edge = out.Index(kEdge);
    for (long n = 0; n < out.Size(); ++n) {
        const long fromEnd = std::min(n, out.Size() - 1 - n);
        const double ramp = fromEnd < edge ? 0.5 - 0.5 * std::cos(kPi * fromEnd / edge) : 1.0;
        out.At(n) = static_cast<float>(kLevel * ramp * noise.White());
    }
    return out;
}
