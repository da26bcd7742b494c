#include "tools/synth/instruments.h"

#include <algorithm>
#include <cmath>

namespace {

// Events are rendered for this many decay constants, then faded out over the last few
// milliseconds so that cutting the tail never leaves a step.
constexpr double kTailDecays = 7.0;
constexpr double kFadeSeconds = 0.01;

double EndFade(double t, double length) {
    const double left = length - t;
    if (left >= kFadeSeconds) return 1.0;
    if (left <= 0.0) return 0.0;
    return 0.5 - 0.5 * std::cos(kPi * left / kFadeSeconds);
}

// Attack, hold for `seconds`, release: a note with a length.
double HeldEnvelope(double t, double attack, double seconds, double release) {
    if (t < 0.0) return 0.0;
    double level = t < attack ? t / attack : 1.0;
    if (t > seconds) level *= std::exp(-(t - seconds) / release);
    return level;
}

// Adds voice(t) from `start` for `length` seconds, scaled by gain and faded at the end;
// voice is called once per sample, in order, so it may keep state.
template <typename Voice>
void Render(LoopBuffer& out, double start, double length, double gain, Voice voice) {
    const double rate = out.Rate();
    const long first = out.Index(start);
    const long count = static_cast<long>(length * rate);
    for (long n = 0; n < count; ++n) {
        const double t = n / rate;
        out.Add(first + n, static_cast<float>(gain * voice(t) * EndFade(t, length)));
    }
}

}  // namespace

void AddPluck(LoopBuffer& out, double start, double hz, double seconds, double gain) {
    const double rate = out.Rate();
    const double decay = 0.25 + 0.35 * std::min(seconds, 1.0);
    Render(out, start, 0.005 + decay * kTailDecays * 0.6, gain, [&](double t) {
        double v = 0.0;
        for (int h = 1; h <= 7; ++h) {
            if (hz * h > rate * 0.45) break;
            const double partialDecay = decay / (1.0 + 0.6 * (h - 1));
            v += std::sin(2.0 * kPi * hz * h * t) * AttackDecay(t, 0.004, partialDecay) / h;
        }
        // The key is let go after its length: the note then dies quickly.
        if (t > seconds) v *= std::exp(-(t - seconds) / 0.12);
        return v;
    });
}

void AddBass(LoopBuffer& out, double start, double hz, double seconds, double gain) {
    const double release = 0.08;
    Render(out, start, seconds + release * kTailDecays, gain, [&](double t) {
        const double phase = 2.0 * kPi * hz * t;
        const double v = std::sin(phase) + 0.35 * std::sin(2.0 * phase) + 0.12 * std::sin(3.0 * phase);
        return v * HeldEnvelope(t, 0.008, seconds, release) * (0.75 + 0.25 * std::exp(-t / 0.15));
    });
}

void AddPad(LoopBuffer& out, double start, double hz, double seconds, double gain) {
    const double release = 0.35;
    Render(out, start, seconds + release * kTailDecays, gain * 0.5, [&](double t) {
        double v = 0.0;
        for (double detune : {0.997, 1.003}) {
            for (int h = 1; h <= 4; ++h) v += std::sin(2.0 * kPi * hz * detune * h * t) / (h * h);
        }
        return v * HeldEnvelope(t, 0.25, seconds, release);
    });
}

void AddBell(LoopBuffer& out, double start, double hz, double gain) {
    static constexpr double kRatios[] = {1.0, 2.0, 2.76, 4.07, 5.4};
    static constexpr double kLevels[] = {1.0, 0.5, 0.45, 0.25, 0.2};
    static constexpr double kDecays[] = {1.1, 0.7, 0.5, 0.3, 0.2};
    const double rate = out.Rate();
    Render(out, start, kDecays[0] * kTailDecays * 0.7, gain, [&](double t) {
        double v = 0.0;
        for (int p = 0; p < 5; ++p) {
            if (hz * kRatios[p] > rate * 0.45) continue;
            v += kLevels[p] * std::sin(2.0 * kPi * hz * kRatios[p] * t) * AttackDecay(t, 0.002, kDecays[p]);
        }
        return v;
    });
}

void AddStab(LoopBuffer& out, double start, double hz, double seconds, double gain) {
    const double rate = out.Rate();
    const double release = 0.15;
    Render(out, start, seconds + release * kTailDecays, gain, [&](double t) {
        // Upper harmonics fade faster than the fundamental: a closing filter.
        const double brightness = 0.25 + 0.75 * std::exp(-t / 0.25);
        double v = 0.0;
        for (int h = 1; h <= 10; ++h) {
            if (hz * h > rate * 0.45) break;
            v += std::sin(2.0 * kPi * hz * h * t) * std::pow(brightness, h - 1) / h;
        }
        return v * HeldEnvelope(t, 0.012, seconds, release);
    });
}

void AddKick(LoopBuffer& out, double start, double gain) {
    const double rate = out.Rate();
    double phase = 0.0;
    Render(out, start, 0.45, gain, [&](double t) {
        // The pitch falls from a knock to a boom.
        const double hz = 48.0 + 110.0 * std::exp(-t / 0.035);
        phase += 2.0 * kPi * hz / rate;
        return std::sin(phase) * AttackDecay(t, 0.001, 0.14);
    });
}

void AddSnare(LoopBuffer& out, Noise& noise, double start, double gain) {
    AddRing(out, start, 185.0, 0.05, gain * 0.6);
    AddRing(out, start, 330.0, 0.03, gain * 0.3);
    AddNoiseBurst(out, noise, start, 0.001, 0.07, 3500.0, 0.7, gain * 1.4);
}

void AddHat(LoopBuffer& out, Noise& noise, double start, bool open, double gain) {
    AddNoiseBurst(out, noise, start, 0.0005, open ? 0.12 : 0.025, 8500.0, 0.9, gain);
}

void AddNoiseBurst(LoopBuffer& out, Noise& noise, double start, double attack, double decay,
                   double centreHz, double q, double gain) {
    const double rate = out.Rate();
    Biquad band = Biquad::BandPass(rate, std::min(centreHz, rate * 0.45), q);
    Render(out, start, attack + decay * kTailDecays, gain, [&](double t) {
        const double v = band.Process(static_cast<float>(noise.White()));
        return v * AttackDecay(t, attack, decay);
    });
}

void AddRing(LoopBuffer& out, double start, double hz, double decay, double gain) {
    Render(out, start, decay * kTailDecays, gain,
           [&](double t) { return std::sin(2.0 * kPi * hz * t) * AttackDecay(t, 0.0005, decay); });
}
