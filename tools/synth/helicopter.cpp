// A hovering helicopter: main-rotor blade slaps at 18 Hz, a tail-rotor buzz, a turbine
// whine and broadband rotor wash. Every periodic layer completes whole cycles in the
// loop, so the loop point is just another moment of the same sound.
#include <cmath>

#include "tools/synth/clips.h"
#include "tools/synth/instruments.h"

namespace {

constexpr double kSeconds = 8.0;
constexpr double kBladeHz = 18.0;    // 144 slaps per loop
constexpr double kTailHz = 96.0;
constexpr double kWhineHz = 3125.0;  // a whole number of cycles in 8 s
// Slow wobble of the turbine's pitch: two cycles per loop.
constexpr double kWobbleHz = 2.0 / kSeconds;

// Phase of a tone whose frequency wobbles around hz; the wobble integrates to zero over
// the loop, so the phase at the end is a whole number of cycles.
double WobblePhase(double t, double hz, double depth) {
    return 2.0 * kPi * hz * t - depth * hz / kWobbleHz * std::cos(2.0 * kPi * kWobbleHz * t) +
           depth * hz / kWobbleHz;
}

}  // namespace

LoopBuffer BuildHelicopter() {
    LoopBuffer out(kClipRate, kSeconds);
    const double rate = out.Rate();
    Noise noise(0x4E11C0);

    // Blade slaps: a low thump and a burst of mid noise per blade pass, each a little
    // different, and a slightly stronger slap every fourth blade (the rotor's turn).
    LoopBuffer slaps(kClipRate, kSeconds);
    const int slapCount = static_cast<int>(kBladeHz * kSeconds);
    for (int i = 0; i < slapCount; ++i) {
        const double t = i / kBladeHz;
        const double level = (i % 4 == 0 ? 1.15 : 1.0) * (0.9 + 0.2 * noise.Uniform());
        AddRing(slaps, t, 62.0, 0.012, 0.9 * level);
        AddNoiseBurst(slaps, noise, t, 0.003, 0.010, 450.0, 0.8, 1.6 * level);
        AddNoiseBurst(slaps, noise, t + 0.001, 0.001, 0.004, 2400.0, 1.0, 0.5 * level);
    }
    out.Mix(slaps, 1.0f);

    // Rotor wash: broadband noise whose loudness pulses with the blades.
    LoopBuffer wash(kClipRate, kSeconds);
    for (long n = 0; n < wash.Size(); ++n) wash.At(n) = static_cast<float>(noise.White());
    FilterAroundLoop(wash, Biquad::LowPass(rate, 5000.0, 0.7));
    FilterAroundLoop(wash, Biquad::HighPass(rate, 120.0, 0.7));
    for (long n = 0; n < wash.Size(); ++n) {
        const double t = n / rate;
        const double pulse = 0.65 + 0.35 * std::pow(0.5 + 0.5 * std::cos(2.0 * kPi * kBladeHz * t), 3.0);
        wash.At(n) *= static_cast<float>(pulse);
    }
    out.Mix(wash, 0.22f);

    // Hiss of the engine: the high end that makes the Doppler shift easy to hear.
    LoopBuffer hiss(kClipRate, kSeconds);
    for (long n = 0; n < hiss.Size(); ++n) hiss.At(n) = static_cast<float>(noise.White());
    FilterAroundLoop(hiss, Biquad::HighPass(rate, 6000.0, 0.7));
    out.Mix(hiss, 0.05f);

    for (long n = 0; n < out.Size(); ++n) {
        const double t = n / rate;
        // Tail rotor: a buzzing tone with odd harmonics.
        double tail = 0.0;
        for (int h = 1; h <= 7; h += 2) tail += std::sin(2.0 * kPi * kTailHz * h * t) / h;
        // Turbine: a whine and its second harmonic, drifting a little in pitch.
        const double whine = std::sin(WobblePhase(t, kWhineHz, 0.004)) +
                             0.35 * std::sin(WobblePhase(t, 2.0 * kWhineHz, 0.004)) +
                             0.2 * std::sin(WobblePhase(t, 1.5 * kWhineHz, 0.004));
        out.Add(n, static_cast<float>(0.06 * tail + 0.035 * whine));
    }
    Normalize(out, 0.9f);
    return out;
}
