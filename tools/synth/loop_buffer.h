// A clip under construction: a fixed number of samples that wraps around, so whatever is
// written past the end (a note's tail, a reverb) lands at the start. Anything built only
// from such writes loops without a seam.
#pragma once

#include <cstddef>
#include <vector>

class LoopBuffer {
public:
    LoopBuffer(int rate, double seconds)
        : m_rate(rate), m_samples(static_cast<std::size_t>(rate * seconds + 0.5), 0.0f) {}

    int Rate() const { return m_rate; }
    long Size() const { return static_cast<long>(m_samples.size()); }
    double Seconds() const { return static_cast<double>(m_samples.size()) / m_rate; }

    float& At(long index) {
        long i = index % Size();
        if (i < 0) i += Size();
        return m_samples[static_cast<std::size_t>(i)];
    }
    float At(long index) const { return const_cast<LoopBuffer*>(this)->At(index); }
    void Add(long index, float value) { At(index) += value; }

    // The sample index of a time in seconds, wrapped into the loop by At.
    long Index(double seconds) const { return static_cast<long>(seconds * m_rate + 0.5); }

    std::vector<float>& Samples() { return m_samples; }
    const std::vector<float>& Samples() const { return m_samples; }

    // Mixes another loop of the same length in at a gain.
    void Mix(const LoopBuffer& other, float gain) {
        for (long i = 0; i < Size(); ++i) m_samples[static_cast<std::size_t>(i)] += gain * other.At(i);
    }

private:
    int m_rate;
    std::vector<float> m_samples;
};
