#include "platform/dsound/pcm_format.h"

#include <cstring>

namespace dsound_detail {
namespace {

// One little-endian sample: 8 bits unsigned around 128, wider ones signed.
std::int32_t SampleAt(const std::uint8_t* p, std::size_t sampleBytes) {
    switch (sampleBytes) {
    case 1: return static_cast<std::int32_t>(p[0]) - 0x80;
    case 2: return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    case 3: {
        const std::uint32_t raw = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                  (static_cast<std::uint32_t>(p[2]) << 16);
        return static_cast<std::int32_t>(raw << 8) >> 8;  // sign-extend from 24 bits
    }
    default: {
        std::uint32_t raw;
        std::memcpy(&raw, p, sizeof raw);
        return static_cast<std::int32_t>(raw);
    }
    }
}

// The channels of one frame added up, 64 bits wide so eight 32-bit samples never overflow.
std::int64_t FrameSum(const std::uint8_t* frame, const WAVEFORMATEX& format) {
    const std::size_t sampleBytes = format.wBitsPerSample / 8;
    std::int64_t sum = 0;
    for (std::size_t c = 0; c < format.nChannels; ++c) sum += SampleAt(frame + c * sampleBytes, sampleBytes);
    return sum;
}

}  // namespace

bool IsAcceptedPcmFormat(const WAVEFORMATEX& f) { return IsPlayablePcmFormat(f); }

MonoSamples MonoSamplesFor(const WAVEFORMATEX& format) {
    if (format.wBitsPerSample <= 8) return MonoSamples::Unsigned8;
    if (format.wBitsPerSample <= 16) return MonoSamples::Signed16;
    return MonoSamples::Float32;
}

bool IsMonoAsItIs(const WAVEFORMATEX& format) { return format.nChannels == 1 && format.wBitsPerSample <= 16; }

std::vector<std::uint8_t> MixToMono(const std::uint8_t* data, std::size_t bytes, const WAVEFORMATEX& format) {
    const std::size_t frameBytes = format.nBlockAlign;
    const std::size_t frames = frameBytes ? bytes / frameBytes : 0;
    const std::int64_t channels = format.nChannels ? format.nChannels : 1;
    const MonoSamples kind = MonoSamplesFor(format);
    const std::size_t outBytes = kind == MonoSamples::Unsigned8 ? 1 : kind == MonoSamples::Signed16 ? 2 : 4;
    // Full scale of the source samples, for float: 2^(bits - 1).
    const double fullScale = static_cast<double>(std::int64_t{1} << (format.wBitsPerSample - 1));
    std::vector<std::uint8_t> mono(frames * outBytes);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::int64_t sum = FrameSum(data + i * frameBytes, format);
        std::uint8_t* out = mono.data() + i * outBytes;
        if (kind == MonoSamples::Unsigned8) {
            *out = static_cast<std::uint8_t>(sum / channels + 0x80);
        } else if (kind == MonoSamples::Signed16) {
            const auto sample = static_cast<std::int16_t>(sum / channels);
            std::memcpy(out, &sample, sizeof sample);
        } else {
            const auto sample = static_cast<float>(static_cast<double>(sum) / static_cast<double>(channels) / fullScale);
            std::memcpy(out, &sample, sizeof sample);
        }
    }
    return mono;
}

double MonoSampleAt(const std::uint8_t* data, std::size_t frame, const WAVEFORMATEX& format) {
    const double channels = format.nChannels ? format.nChannels : 1;
    const double mean = static_cast<double>(FrameSum(data + frame * format.nBlockAlign, format)) / channels;
    // From the sample's own width to 16 bits: 8 bits up by 8, 24 and 32 down by 8 and 16.
    return mean * 65536.0 / static_cast<double>(std::int64_t{1} << format.wBitsPerSample);
}

}  // namespace dsound_detail
