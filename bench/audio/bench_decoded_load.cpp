// A 10-minute stereo FLAC loaded the way the player loads a clip (probe, reader, sound
// buffer, OpenAL's copy) on a loopback device: the time it takes, and the peak memory it
// adds against the size of its decoded PCM. Decoding streams into the buffer, so the peak
// is the layer's own: the buffer, a mono mix on its way to OpenAL and OpenAL's copy.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "audio/sound_module.h"
#include "tests/support/dsound_hooks.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 600;

class LongFlac {
public:
    LongFlac() {
        char pattern[] = "/tmp/bench-flac-XXXXXX";
        ::close(::mkstemp(pattern));
        m_path = pattern;
        SF_INFO info{};
        info.samplerate = kRate;
        info.channels = 2;
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(m_path.c_str(), SFM_WRITE, &info);
        std::vector<short> block(2 * kRate);
        for (int second = 0; second < kSeconds && file; ++second) {
            for (int i = 0; i < kRate; ++i) {
                const double t = second + static_cast<double>(i) / kRate;
                block[2 * i] = static_cast<short>(12000 * std::sin(2 * M_PI * (300 + 20 * std::sin(t)) * t));
                block[2 * i + 1] = static_cast<short>(12000 * std::sin(2 * M_PI * 440 * t));
            }
            sf_writef_short(file, block.data(), kRate);
        }
        if (file) sf_close(file);
    }
    ~LongFlac() { ::unlink(m_path.c_str()); }
    char* path() { return m_path.data(); }

private:
    std::string m_path;
};

// kB of a /proc/self/status line.
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

void BM_LoadTenMinuteFlac(benchmark::State& state) {
    static LongFlac flac;
    dsound_test::UseLoopback(44100);
    if (OpenSoundDevice(nullptr) != S_OK) {
        state.SkipWithError("no loopback device");
        return;
    }
    const double pcmBytes = 4.0 * kRate * kSeconds;
    double peakOverPcm = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CreateSourceBuffer(nullptr);  // the last load's buffer goes first
        const long before = StatusKb("VmRSS:");
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
        state.ResumeTiming();
        if (LoadSourceBuffer(flac.path()) != S_OK) state.SkipWithError("the FLAC did not load");
        state.PauseTiming();
        peakOverPcm = std::max(peakOverPcm, (StatusKb("VmHWM:") - before) * 1024.0 / pcmBytes);
        state.ResumeTiming();
    }
    CloseSoundDevice();
    state.counters["peak_over_pcm"] = peakOverPcm;
    state.counters["pcm_MB"] = pcmBytes / 1e6;
}

BENCHMARK(BM_LoadTenMinuteFlac)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
