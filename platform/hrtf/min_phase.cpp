// Minimum-phase reconstruction through the real cepstrum: the log magnitude is folded
// onto positive quefrencies, which gives the causal response with the same magnitude and
// all its energy as early as possible, so it survives being cut short.
#include <algorithm>
#include <cmath>
#include <complex>

#include "platform/hrtf/hrir_set.h"

namespace hrtf {
namespace {

using Complex = std::complex<double>;

// In-place radix-2 transform; the size is a power of two. inverse: unscaled.
void Fft(std::vector<Complex>& x, bool inverse) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    // The twiddles of the largest stage serve every stage, at a stride.
    thread_local std::vector<Complex> twiddles;
    if (twiddles.size() != n / 2) {
        twiddles.resize(n / 2);
        for (std::size_t k = 0; k < n / 2; ++k)
            twiddles[k] = std::polar(1.0, -2.0 * M_PI * static_cast<double>(k) / static_cast<double>(n));
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t stride = n / len;
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex w = inverse ? std::conj(twiddles[k * stride]) : twiddles[k * stride];
                const Complex even = x[start + k];
                const Complex& b = x[start + k + len / 2];
                // Written out: the library's operator checks for infinities at every step.
                const Complex odd(b.real() * w.real() - b.imag() * w.imag(), b.real() * w.imag() + b.imag() * w.real());
                x[start + k] = even + odd;
                x[start + k + len / 2] = even - odd;
            }
        }
    }
}

}  // namespace

std::vector<float> MinimumPhase(const std::vector<float>& response, std::size_t length) {
    // Generous padding keeps the cepstrum's wrap-around, and with it the error, small.
    std::size_t n = 1024;
    while (n < 4 * std::max(response.size(), length)) n <<= 1;
    std::vector<Complex> spectrum(n);
    for (std::size_t i = 0; i < response.size(); ++i) spectrum[i] = response[i];
    Fft(spectrum, false);

    double peak = 0;
    for (const Complex& bin : spectrum) peak = std::max(peak, std::abs(bin));
    if (peak <= 0) return std::vector<float>(length, 0.0f);
    // Deep notches would turn into huge negative logs; 120 dB below the peak is silence.
    const double floor = peak * 1e-6;
    for (Complex& bin : spectrum) bin = std::log(std::max(std::abs(bin), floor));
    Fft(spectrum, true);
    for (Complex& c : spectrum) c /= static_cast<double>(n);

    // Fold: keep quefrency 0 and n/2, double the positive ones, drop the negative ones.
    for (std::size_t i = 1; i < n / 2; ++i) spectrum[i] *= 2.0;
    for (std::size_t i = n / 2 + 1; i < n; ++i) spectrum[i] = 0.0;
    Fft(spectrum, false);
    for (Complex& bin : spectrum) bin = std::exp(bin);
    Fft(spectrum, true);

    std::vector<float> out(length, 0.0f);
    for (std::size_t i = 0; i < length && i < n; ++i) out[i] = static_cast<float>(spectrum[i].real() / n);
    return out;
}

}  // namespace hrtf
