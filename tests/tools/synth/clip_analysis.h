// Reading the generated clips back and measuring them: a minimal RIFF WAVE reader and a
// few level, spectrum and rhythm measures.
#pragma once

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

struct PcmClip {
    bool ok = false;
    std::string problem;
    int formatTag = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<double> samples;  // -1..1
    double Seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0.0; }
};

PcmClip ReadPcmWav(const std::string& path);

double Rms(const std::vector<double>& x, std::size_t begin, std::size_t end);
double Peak(const std::vector<double>& x);

// Sample-to-sample steps |x[i+1] - x[i]| inside the clip (not across the wrap), sorted.
std::vector<double> SortedSteps(const std::vector<double>& x);
double Percentile(const std::vector<double>& sorted, double fraction);

// RMS per frame of the given length.
std::vector<double> FrameLevels(const std::vector<double>& x, std::size_t frame);

// Normalized autocorrelation of a (mean-removed) sequence at one lag, circular.
double CircularAutocorrelation(const std::vector<double>& x, std::size_t lag);

// Power spectrum averaged over blocks of 2^k samples with a Hann window; bin i is at
// i * rate / block Hz.
std::vector<double> AverageSpectrum(const std::vector<double>& x, std::size_t block);
double BandFraction(const std::vector<double>& spectrum, int rate, std::size_t block, double lowHz, double highHz);

// Indices of local maxima of a level sequence above threshold, at least minGap apart.
std::vector<std::size_t> Peaks(const std::vector<double>& levels, double threshold, std::size_t minGap);
