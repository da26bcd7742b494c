// A SOFA file (AES69) read with libmysofa into plain measurements at the rate asked for.
#include <mysofa.h>

#include <cmath>
#include <memory>

#include "platform/hrtf/hrir_set.h"

namespace hrtf {
namespace {

// Rates and lengths any published set lies well within; outside them the file is more
// likely damaged than measured so.
constexpr double kMinRate = 8000;
constexpr double kMaxRate = 384000;
constexpr unsigned kMinLength = 16;
constexpr unsigned kMaxLength = 32768;

struct SofaDeleter {
    void operator()(MYSOFA_HRTF* h) const { mysofa_free(h); }
};
using SofaPtr = std::unique_ptr<MYSOFA_HRTF, SofaDeleter>;

std::string LoadError(int error) {
    switch (error) {
        case MYSOFA_NO_MEMORY:
            return "there is not enough memory to read it";
        case MYSOFA_READ_ERROR:
        case MYSOFA_INVALID_FORMAT:
            return "it is not a SOFA file, or it is damaged";
        case MYSOFA_UNSUPPORTED_FORMAT:
            return "it is damaged, or written in a form of SOFA this player cannot read";
        default:
            return "it is not a set of head-related impulse responses that can be used (SOFA error " +
                   std::to_string(error) + ")";
    }
}

bool Fail(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
    return false;
}

}  // namespace

bool ReadSofa(const std::string& path, unsigned rate, HrirMeasurements* out, std::string* reason) {
    int error = MYSOFA_OK;
    // From the file, not from memory: libmysofa's reader of memory runs past the end of
    // a file cut short, where its reader of files stops.
    SofaPtr sofa(mysofa_load(path.c_str(), &error));
    if (!sofa || error != MYSOFA_OK) return Fail(reason, LoadError(error));
    error = mysofa_check(sofa.get());
    if (error != MYSOFA_OK) return Fail(reason, LoadError(error));

    MYSOFA_HRTF& h = *sofa;
    if (h.R != 2) return Fail(reason, "it does not hold responses for two ears");
    if (h.M == 0) return Fail(reason, "it holds no measurements");
    if (h.DataSamplingRate.elements != 1 || !std::isfinite(h.DataSamplingRate.values[0]) ||
        h.DataSamplingRate.values[0] < kMinRate || h.DataSamplingRate.values[0] > kMaxRate)
        return Fail(reason, "its sample rate is out of range (8 to 384 kHz)");
    if (h.N < kMinLength || h.N > kMaxLength)
        return Fail(reason, "its impulse responses are " + std::to_string(h.N) + " samples long (" +
                                std::to_string(kMinLength) + " to " + std::to_string(kMaxLength) + " can be used)");
    const double fileRate = h.DataSamplingRate.values[0];
    if (h.SourcePosition.elements != h.M * 3 || h.DataIR.elements != h.M * h.R * h.N)
        return Fail(reason, "it is damaged: its sizes do not agree");

    // Delays stored beside the responses (one per ear, or one per ear and measurement)
    // are in seconds and belong to the onset.
    const bool delayPerMeasurement = h.DataDelay.elements == h.M * h.R;
    const bool delayPerEar = h.DataDelay.elements == h.R;
    auto storedDelay = [&](unsigned m, unsigned ear) -> double {
        if (delayPerMeasurement) return h.DataDelay.values[m * h.R + ear];
        if (delayPerEar) return h.DataDelay.values[ear];
        return 0.0;
    };
    std::vector<double> delays(static_cast<std::size_t>(h.M) * 2);
    for (unsigned m = 0; m < h.M; ++m)
        for (unsigned ear = 0; ear < 2; ++ear) delays[m * 2 + ear] = storedDelay(m, ear);

    if (static_cast<unsigned>(std::lround(fileRate)) != rate) {
        error = mysofa_resample(&h, static_cast<float>(rate));
        if (error != MYSOFA_OK) return Fail(reason, LoadError(error));
    }
    mysofa_tospherical(&h);

    out->rate = rate;
    out->items.clear();
    out->items.reserve(h.M);
    const unsigned n = h.N;
    for (unsigned m = 0; m < h.M; ++m) {
        HrirMeasurement item;
        item.azimuth = h.SourcePosition.values[m * 3];
        item.elevation = h.SourcePosition.values[m * 3 + 1];
        item.distance = h.SourcePosition.values[m * 3 + 2];
        if (!std::isfinite(item.azimuth) || !std::isfinite(item.elevation) || !std::isfinite(item.distance)) continue;
        const float* left = h.DataIR.values + static_cast<std::size_t>(m * 2) * n;
        const float* right = left + n;
        bool finite = true;
        for (unsigned i = 0; i < n && finite; ++i) finite = std::isfinite(left[i]) && std::isfinite(right[i]);
        if (!finite) continue;
        // A stored delay becomes leading silence, so onsets are found in one place.
        const auto lead = [&](unsigned ear) {
            const double samples = delays[m * 2 + ear] * rate;
            return samples > 0 && samples < kMaxLength ? static_cast<std::size_t>(std::lround(samples)) : 0u;
        };
        item.left.assign(lead(0), 0.0f);
        item.left.insert(item.left.end(), left, left + n);
        item.right.assign(lead(1), 0.0f);
        item.right.insert(item.right.end(), right, right + n);
        out->items.push_back(std::move(item));
    }
    if (out->items.empty()) return Fail(reason, "none of its measurements can be used");
    return true;
}

}  // namespace hrtf
