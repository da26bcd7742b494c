#include "tools/synth/dsp.h"

#include <cmath>

double Noise::Uniform() {
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    const std::uint64_t out = m_state * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(out >> 11) * (1.0 / 9007199254740992.0);
}

double Noise::White() { return 2.0 * Uniform() - 1.0; }

namespace {
struct Coefficients {
    double cosw, alpha;
};
Coefficients Prewarp(double rate, double hz, double q) {
    const double w = 2.0 * kPi * hz / rate;
    return {std::cos(w), std::sin(w) / (2.0 * q)};
}
}  // namespace

Biquad Biquad::Normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    Biquad f;
    f.m_b0 = b0 / a0;
    f.m_b1 = b1 / a0;
    f.m_b2 = b2 / a0;
    f.m_a1 = a1 / a0;
    f.m_a2 = a2 / a0;
    return f;
}

Biquad Biquad::LowPass(double rate, double hz, double q) {
    const Coefficients c = Prewarp(rate, hz, q);
    return Normalised((1.0 - c.cosw) / 2.0, 1.0 - c.cosw, (1.0 - c.cosw) / 2.0, 1.0 + c.alpha, -2.0 * c.cosw,
                      1.0 - c.alpha);
}

Biquad Biquad::HighPass(double rate, double hz, double q) {
    const Coefficients c = Prewarp(rate, hz, q);
    return Normalised((1.0 + c.cosw) / 2.0, -(1.0 + c.cosw), (1.0 + c.cosw) / 2.0, 1.0 + c.alpha, -2.0 * c.cosw,
                      1.0 - c.alpha);
}

Biquad Biquad::BandPass(double rate, double hz, double q) {
    const Coefficients c = Prewarp(rate, hz, q);
    return Normalised(c.alpha, 0.0, -c.alpha, 1.0 + c.alpha, -2.0 * c.cosw, 1.0 - c.alpha);
}

float Biquad::Process(float x) {
    const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = y;
    return static_cast<float>(y);
}

void FilterAroundLoop(LoopBuffer& buffer, Biquad filter) {
    filter.Reset();
    for (long i = 0; i < buffer.Size(); ++i) filter.Process(buffer.At(i));
    std::vector<float>& s = buffer.Samples();
    for (float& v : s) v = filter.Process(v);
}

void Normalize(LoopBuffer& buffer, float peak) {
    float largest = 0.0f;
    for (float v : buffer.Samples()) largest = std::fmax(largest, std::fabs(v));
    if (largest <= 0.0f) return;
    const float gain = peak / largest;
    for (float& v : buffer.Samples()) v *= gain;
}

double NoteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

double AttackDecay(double t, double attack, double decay) {
    if (t < 0.0) return 0.0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}
