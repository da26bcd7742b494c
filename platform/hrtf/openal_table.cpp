// The measured directions spread over OpenAL Soft's grid: each grid direction takes the
// nearest measurement, as a minimum-phase response after a delay from its onset.
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/hrtf/hrir_set.h"

namespace hrtf {
namespace {

// 10 degrees between elevations, 5 degrees between azimuths on the horizontal plane,
// fewer towards the poles; 90 degrees to either side lies on the grid.
constexpr unsigned kElevations = 19;
constexpr unsigned kEquatorAzimuths = 72;
// Minimum-phase responses hold their energy early: 64 taps keep the level per band
// within a fraction of a decibel where the measured files hold hundreds.
constexpr unsigned kIrSize = 64;
// OpenAL Soft 1.19 delays a response by at most 63 samples.
constexpr double kMaxDelay = 63;
// An ear's sound arrives where its response first reaches this share of its peak.
constexpr double kOnsetShare = 0.15;
// The widest head delays sound to the far ear by well under 1.5 ms.
constexpr double kMaxInterauralSeconds = 0.0015;
// A set's loudness: the energy of its responses, averaged over the grid and both ears,
// that of OpenAL Soft's own default set, so switching sets keeps the level about the same.
constexpr double kMeanEnergy = 0.45;
// No coefficient beyond this: headroom for the blend of neighbours.
constexpr double kPeak = 0.99;
constexpr unsigned kMinDistanceMm = 50;
constexpr unsigned kMaxDistanceMm = 2500;

constexpr double kRadian = M_PI / 180.0;

struct Direction {
    double x, y, z;
};

// Front x, left y, up z, from degrees counter-clockwise and up.
Direction Unit(double azimuth, double elevation) {
    const double a = azimuth * kRadian;
    const double e = elevation * kRadian;
    return {std::cos(e) * std::cos(a), std::cos(e) * std::sin(a), std::sin(e)};
}

// Where a response's sound starts, in fractional samples: the first rise to a share of
// its peak, interpolated between the samples around it.
double Onset(const std::vector<float>& response) {
    float peak = 0;
    for (float v : response) peak = std::max(peak, std::fabs(v));
    if (peak <= 0) return 0;
    const float threshold = static_cast<float>(kOnsetShare) * peak;
    for (std::size_t i = 0; i < response.size(); ++i) {
        const float v = std::fabs(response[i]);
        if (v < threshold) continue;
        if (i == 0) return 0;
        const float before = std::fabs(response[i - 1]);
        return static_cast<double>(i - 1) + (threshold - before) / (v - before);
    }
    return 0;
}

// How many samples b lags behind a, to a fraction of a sample: the peak of their
// cross-correlation, refined by a parabola through it and its neighbours.
double CrossLag(const std::vector<float>& a, const std::vector<float>& b, int maxLag) {
    std::vector<double> sums(static_cast<std::size_t>(2 * maxLag + 1), 0.0);
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double sum = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const long j = static_cast<long>(i) + lag;
            if (j >= 0 && j < static_cast<long>(b.size())) sum += static_cast<double>(a[i]) * b[static_cast<std::size_t>(j)];
        }
        sums[static_cast<std::size_t>(lag + maxLag)] = sum;
    }
    const std::size_t peak = static_cast<std::size_t>(std::max_element(sums.begin(), sums.end()) - sums.begin());
    double offset = 0;
    if (peak > 0 && peak + 1 < sums.size()) {
        const double before = sums[peak - 1], at = sums[peak], after = sums[peak + 1];
        const double curve = before - 2 * at + after;
        if (curve < 0) offset = 0.5 * (before - after) / curve;
    }
    return static_cast<double>(peak) - maxLag + offset;
}

// The distance most measurements were taken at, to a few centimetres; sets measured at
// several distances give the one with most directions.
double MainDistance(const HrirMeasurements& measured) {
    std::map<long, unsigned> counts;
    for (const HrirMeasurement& m : measured.items) ++counts[std::lround(m.distance * 20.0)];
    long best = 0;
    unsigned most = 0;
    for (const auto& [bucket, count] : counts)
        if (count > most) {
            most = count;
            best = bucket;
        }
    return static_cast<double>(best) / 20.0;
}

unsigned AzimuthsAt(double elevation) {
    const long count = std::lround(kEquatorAzimuths * std::cos(elevation * kRadian));
    return static_cast<unsigned>(std::clamp(count, 1L, static_cast<long>(kEquatorAzimuths)));
}

bool Silent(const std::vector<float>& response) {
    return std::all_of(response.begin(), response.end(), [](float v) { return v == 0.0f; });
}

}  // namespace

bool BuildOpenAlTable(const HrirMeasurements& measured, OpenAlTable* out, std::string* reason) {
    const double distance = MainDistance(measured);
    std::vector<std::size_t> used;
    std::vector<Direction> directions;
    for (std::size_t i = 0; i < measured.items.size(); ++i) {
        const HrirMeasurement& m = measured.items[i];
        if (std::fabs(m.distance - distance) > 0.025 || Silent(m.left) || Silent(m.right)) continue;
        used.push_back(i);
        directions.push_back(Unit(m.azimuth, m.elevation));
    }
    if (used.empty()) {
        if (reason) *reason = "all of its impulse responses are silent";
        return false;
    }

    // Grid order: elevations bottom up, each ring clockwise from the front.
    std::vector<std::size_t> nearest;
    out->azimuthCounts.clear();
    for (unsigned e = 0; e < kElevations; ++e) {
        const double elevation = -90.0 + 180.0 * e / (kElevations - 1);
        const unsigned count = AzimuthsAt(elevation);
        out->azimuthCounts.push_back(static_cast<std::uint8_t>(count));
        for (unsigned a = 0; a < count; ++a) {
            const Direction d = Unit(-360.0 * a / count, elevation);
            std::size_t best = 0;
            double closest = -2;
            for (std::size_t k = 0; k < directions.size(); ++k) {
                const double cosine = d.x * directions[k].x + d.y * directions[k].y + d.z * directions[k].z;
                if (cosine > closest) {
                    closest = cosine;
                    best = k;
                }
            }
            nearest.push_back(used[best]);
        }
    }

    // Each measurement that serves is prepared once. The ear the sound reaches first
    // keeps its measured onset; the other follows by the measured interaural delay, less
    // what the minimum-phase responses' own shapes already put between the ears.
    struct Prepared {
        double delay[2];
        std::vector<float> response[2];
    };
    const int maxLag = static_cast<int>(std::ceil(kMaxInterauralSeconds * measured.rate));
    std::map<std::size_t, Prepared> prepared;
    double earliest = 1e9;
    for (std::size_t index : nearest) {
        if (prepared.count(index)) continue;
        const HrirMeasurement& m = measured.items[index];
        Prepared p;
        p.response[0] = MinimumPhase(m.left, kIrSize);
        p.response[1] = MinimumPhase(m.right, kIrSize);
        const double apart = CrossLag(m.left, m.right, maxLag) - CrossLag(p.response[0], p.response[1], maxLag);
        if (apart >= 0) {
            p.delay[0] = Onset(m.left);
            p.delay[1] = p.delay[0] + apart;
        } else {
            p.delay[1] = Onset(m.right);
            p.delay[0] = p.delay[1] - apart;
        }
        earliest = std::min({earliest, p.delay[0], p.delay[1]});
        prepared.emplace(index, std::move(p));
    }

    double energy = 0;
    float loudest = 0;
    for (std::size_t index : nearest)
        for (const auto& response : prepared.at(index).response)
            for (float v : response) {
                energy += static_cast<double>(v) * v;
                loudest = std::max(loudest, std::fabs(v));
            }
    energy /= 2.0 * static_cast<double>(nearest.size());
    const double gain = std::min(std::sqrt(kMeanEnergy / energy), kPeak / loudest);

    out->rate = measured.rate;
    out->irSize = kIrSize;
    out->distanceMm = static_cast<unsigned>(
        std::clamp(std::lround(distance * 1000.0), static_cast<long>(kMinDistanceMm), static_cast<long>(kMaxDistanceMm)));
    out->coefficients.assign(nearest.size() * kIrSize * 2, 0.0f);
    out->delays.assign(nearest.size() * 2, 0);
    for (std::size_t d = 0; d < nearest.size(); ++d) {
        const Prepared& p = prepared.at(nearest[d]);
        // Counted from the earliest sound of the whole set; the near ear is rounded and
        // the far one keeps its distance from it, so the rounding costs the interaural
        // delay at most half a sample.
        const int near = p.delay[0] <= p.delay[1] ? 0 : 1;
        const double nearDelay = std::round(p.delay[near] - earliest);
        const double farDelay = nearDelay + std::round(p.delay[1 - near] - p.delay[near]);
        out->delays[d * 2 + near] = static_cast<std::uint8_t>(std::clamp(nearDelay, 0.0, kMaxDelay));
        out->delays[d * 2 + 1 - near] = static_cast<std::uint8_t>(std::clamp(farDelay, 0.0, kMaxDelay));
        for (int ear = 0; ear < 2; ++ear)
            for (unsigned i = 0; i < kIrSize; ++i)
                out->coefficients[(d * kIrSize + i) * 2 + ear] = static_cast<float>(p.response[ear][i] * gain);
    }
    return true;
}

}  // namespace hrtf
