// High heels walking at 120 steps a minute on a hard floor: a sharp heel click with a
// little body, the softer tap of the sole after it, and the room answering.
#include <cmath>

#include "tools/synth/clips.h"
#include "tools/synth/instruments.h"

namespace {

constexpr double kSeconds = 8.0;
constexpr double kStep = 0.5;  // 16 steps per loop

// A room: a few discrete early reflections and a sparse, decaying diffuse tail, applied
// around the loop so the reverb of the last steps rings into the first.
void AddRoom(LoopBuffer& out, Noise& noise) {
    const LoopBuffer dry = out;
    LoopBuffer wet(out.Rate(), out.Seconds());
    const double rate = out.Rate();
    struct Tap {
        double delay;
        double gain;
    };
    constexpr Tap kEarly[] = {{0.011, 0.35}, {0.017, -0.28}, {0.023, 0.22}, {0.031, -0.18}, {0.043, 0.14}};
    std::vector<Tap> taps(std::begin(kEarly), std::end(kEarly));
    for (int i = 0; i < 300; ++i) {
        const double delay = 0.045 + 0.4 * noise.Uniform();
        taps.push_back({delay, 0.08 * noise.White() * std::exp(-delay / 0.09)});
    }
    for (const Tap& tap : taps) {
        const long shift = static_cast<long>(tap.delay * rate);
        const float g = static_cast<float>(tap.gain);
        for (long n = 0; n < out.Size(); ++n) wet.Add(n + shift, g * dry.At(n));
    }
    // Walls swallow the highs first.
    FilterAroundLoop(wet, Biquad::LowPass(rate, 4500.0, 0.7));
    out.Mix(wet, 1.0f);
}

}  // namespace

LoopBuffer BuildFootsteps() {
    LoopBuffer out(kClipRate, kSeconds);
    Noise noise(0x4EE15);
    const int steps = static_cast<int>(kSeconds / kStep);
    for (int i = 0; i < steps; ++i) {
        // The two feet land a little differently.
        const bool left = i % 2 == 0;
        const double t = i * kStep + (left ? 0.0 : 0.006);
        const double level = (left ? 1.0 : 0.88) * (0.95 + 0.1 * noise.Uniform());
        const double pitch = left ? 1.0 : 1.06;
        // Heel: a very short broadband crack with the ringing of the heel tip.
        AddNoiseBurst(out, noise, t, 0.0003, 0.0015, 5000.0, 0.5, 1.4 * level);
        AddRing(out, t, 2300.0 * pitch, 0.008, 0.35 * level);
        AddRing(out, t, 3750.0 * pitch, 0.006, 0.25 * level);
        AddRing(out, t, 5200.0 * pitch, 0.004, 0.15 * level);
        // Body: the floor's thud under the heel.
        AddRing(out, t, 190.0, 0.018, 0.30 * level);
        // Sole: a softer tap a moment later.
        AddNoiseBurst(out, noise, t + 0.085, 0.002, 0.012, 1400.0, 0.8, 0.25 * level);
    }
    AddRoom(out, noise);
    Normalize(out, 0.9f);
    return out;
}
