#include "tests/tools/synth/clip_analysis.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace {

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
bool Tag(const std::vector<unsigned char>& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::equal(tag, tag + 4, b.begin() + static_cast<long>(at));
}

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * 3.14159265358979323846 / static_cast<double>(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0, 0.0);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

}  // namespace

PcmClip ReadPcmWav(const std::string& path) {
    PcmClip clip;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || !Tag(b, 0, "RIFF") || !Tag(b, 8, "WAVE")) {
        clip.problem = "not a RIFF WAVE file";
        return clip;
    }
    if (U32(b, 4) + 8 != b.size()) {
        clip.problem = "RIFF size does not match the file";
        return clip;
    }
    bool haveFormat = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = U32(b, at + 4);
        const std::size_t body = at + 8;
        if (body + size > b.size()) {
            clip.problem = "chunk runs past the end";
            return clip;
        }
        if (Tag(b, at, "fmt ") && size >= 16) {
            clip.formatTag = U16(b, body);
            clip.channels = U16(b, body + 2);
            clip.rate = static_cast<int>(U32(b, body + 4));
            const std::uint32_t byteRate = U32(b, body + 8);
            const int blockAlign = U16(b, body + 12);
            clip.bits = U16(b, body + 14);
            if (blockAlign != clip.channels * clip.bits / 8 ||
                byteRate != static_cast<std::uint32_t>(clip.rate * blockAlign)) {
                clip.problem = "inconsistent block align or byte rate";
                return clip;
            }
            haveFormat = true;
        } else if (Tag(b, at, "data")) {
            if (!haveFormat || clip.formatTag != 1 || clip.bits != 16 || clip.channels != 1) {
                clip.problem = "data before a mono 16-bit PCM format";
                return clip;
            }
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                clip.samples.push_back(static_cast<std::int16_t>(U16(b, body + i)) / 32768.0);
            }
            clip.ok = true;
            return clip;
        }
        at = body + size + (size & 1);
    }
    clip.problem = "no data chunk";
    return clip;
}

double Rms(const std::vector<double>& x, std::size_t begin, std::size_t end) {
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i) sum += x[i] * x[i];
    return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

double Peak(const std::vector<double>& x) {
    double peak = 0.0;
    for (double v : x) peak = std::max(peak, std::fabs(v));
    return peak;
}

std::vector<double> SortedSteps(const std::vector<double>& x) {
    std::vector<double> steps;
    for (std::size_t i = 1; i < x.size(); ++i) steps.push_back(std::fabs(x[i] - x[i - 1]));
    std::sort(steps.begin(), steps.end());
    return steps;
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0.0;
    return sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))];
}

std::vector<double> FrameLevels(const std::vector<double>& x, std::size_t frame) {
    std::vector<double> levels;
    for (std::size_t at = 0; at + frame <= x.size(); at += frame) levels.push_back(Rms(x, at, at + frame));
    return levels;
}

double CircularAutocorrelation(const std::vector<double>& x, std::size_t lag) {
    double mean = 0.0;
    for (double v : x) mean += v;
    mean /= static_cast<double>(x.size());
    double num = 0.0, den = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double a = x[i] - mean;
        num += a * (x[(i + lag) % x.size()] - mean);
        den += a * a;
    }
    return den > 0.0 ? num / den : 0.0;
}

std::vector<double> AverageSpectrum(const std::vector<double>& x, std::size_t block) {
    std::vector<double> power(block / 2 + 1, 0.0);
    std::vector<std::complex<double>> buffer(block);
    for (std::size_t at = 0; at + block <= x.size(); at += block / 2) {
        for (std::size_t i = 0; i < block; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2.0 * 3.14159265358979323846 * static_cast<double>(i) /
                                                     static_cast<double>(block));
            buffer[i] = x[at + i] * hann;
        }
        Fft(buffer);
        for (std::size_t i = 0; i < power.size(); ++i) power[i] += std::norm(buffer[i]);
    }
    return power;
}

double BandFraction(const std::vector<double>& spectrum, int rate, std::size_t block, double lowHz, double highHz) {
    double band = 0.0, total = 0.0;
    for (std::size_t i = 0; i < spectrum.size(); ++i) {
        const double hz = static_cast<double>(i) * rate / static_cast<double>(block);
        total += spectrum[i];
        if (hz >= lowHz && hz < highHz) band += spectrum[i];
    }
    return total > 0.0 ? band / total : 0.0;
}

std::vector<std::size_t> Peaks(const std::vector<double>& levels, double threshold, std::size_t minGap) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const bool rising = i == 0 || levels[i] >= levels[i - 1];
        const bool falling = i + 1 == levels.size() || levels[i] > levels[i + 1];
        if (levels[i] < threshold || !rising || !falling) continue;
        if (!found.empty() && i - found.back() < minGap) {
            if (levels[i] > levels[found.back()]) found.back() = i;
            continue;
        }
        found.push_back(i);
    }
    return found;
}
