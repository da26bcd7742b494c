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

Biquad Biquad::LowPass(double rate, double hz, double q) {
    const Coefficients c = Prewarp(rate, hz, q);
    const double a0 = 1.0 + c.alpha;
    Biquad f;
    f.m_b0 = (1.0 - c.cosw) / 2.0 / a0;
    f.m_b1 = (1.0 - c.cosw) / a0;
    f.m_b2 = f.m_b0;
    f.m_a1 = -2.0 * c.cosw / a0;
    f.m_a2 = (1.0 - c.alpha) / a0;
    return f;
}

Biquad Biquad::HighPass(double rate, double hz, double q) {
    const Coefficients c = Prewarp(rate, hz, q);
    const double a0 = 1.0 + c.alpha;
    Biquad f;
    f.m_b0 = (1.0 + c.cosw) / 2.0 / a0;
    f.m_b1 = -(1.0 + c.cosw) / a0;
    f.m_b2 = f.m_b0;
    f.m_a1 = -2.0 * c.cosw / a0;
    f.m_a2 = (1.0 - c.alpha) / a0;
    return f;
}

Biquad Biquad::BandPass(double rate, double hz, double q) {
    const Coefficients c = Prewarp(rate, hz, q);
    const double a0 = 1.0 + c.alpha;
    Biquad f;
    f.m_b0 = c.alpha / a0;
    f.m_b1 = 0.0;
    f.m_b2 = -c.alpha / a0;
    f.m_a1 = -2.0 * c.cosw / a0;
    f.m_a2 = (1.0 - c.alpha) / a0;
    return f;
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
