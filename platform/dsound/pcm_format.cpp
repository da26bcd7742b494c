#include "platform/dsound/pcm_format.h"

namespace dsound_detail {

bool IsAcceptedPcmFormat(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.nChannels != 1 && f.nChannels != 2) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nSamplesPerSec < 8000 || f.nSamplesPerSec > 96000) return false;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
    return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

namespace {

int SampleAt(const std::uint8_t* p, bool eightBit) {
    if (eightBit) return (static_cast<int>(p[0]) - 0x80) * 256;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

}  // namespace

std::vector<std::int16_t> ToMono16(const std::uint8_t* data, std::size_t bytes, const WAVEFORMATEX& format) {
    const std::size_t frameBytes = format.nBlockAlign;
    const std::size_t sampleBytes = format.wBitsPerSample / 8;
    const bool eightBit = sampleBytes == 1;
    const std::size_t frames = frameBytes ? bytes / frameBytes : 0;
    std::vector<std::int16_t> mono(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t* frame = data + i * frameBytes;
        int sum = 0;
        for (std::size_t c = 0; c < format.nChannels; ++c) sum += SampleAt(frame + c * sampleBytes, eightBit);
        mono[i] = static_cast<std::int16_t>(sum / static_cast<int>(format.nChannels));
    }
    return mono;
}

}  // namespace dsound_detail
