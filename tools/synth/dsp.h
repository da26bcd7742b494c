// Small signal-processing pieces for the clip synthesizer: a seeded noise source, RBJ
// biquads, and filters applied around a loop so their state matches at the seam.
#pragma once

#include <cstdint>

#include "tools/synth/loop_buffer.h"

constexpr double kPi = 3.14159265358979323846;

// xorshift64*: a fixed seed gives the same clip on every build.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : m_state(seed == 0 ? 0x9E3779B97F4A7C15ull : seed) {}
    double Uniform();  // 0..1
    double White();    // -1..1

private:
    std::uint64_t m_state;
};

class Biquad {
public:
    static Biquad LowPass(double rate, double hz, double q);
    static Biquad HighPass(double rate, double hz, double q);
    static Biquad BandPass(double rate, double hz, double q);  // 0 dB peak gain

    float Process(float x);
    void Reset() { m_x1 = m_x2 = m_y1 = m_y2 = 0.0; }

private:
    // The filter from its unnormalised coefficients (a0 divides all of them).
    static Biquad Normalised(double b0, double b1, double b2, double a0, double a1, double a2);

    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

// Runs the filter over the loop twice and keeps the second pass: the state entering the
// loop is then the state the loop's own end leaves, so the seam is not a restart.
void FilterAroundLoop(LoopBuffer& buffer, Biquad filter);

// Scales the loop so its largest sample has the given magnitude.
void Normalize(LoopBuffer& buffer, float peak);

// A note's frequency from its MIDI number (69 = A 440 Hz).
double NoteHz(int midi);

// Attack-decay envelope: linear rise over attack seconds, then exponential decay with the
// given time constant.
double AttackDecay(double t, double attack, double decay);
