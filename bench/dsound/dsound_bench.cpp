// What the update thread pays per tick for a position update, what one speaker probe
// (open, query, close) costs next to opening the OpenAL device bare, and what a second of
// binaural sound costs to mix in OpenAL Soft's default periods against the short ones the
// layer asks for.
#include <cmath>
#include <string>

#include <AL/alc.h>
#include <benchmark/benchmark.h>

#include "audio/sound_module.h"
#include "tests/support/dsound_hooks.h"

namespace {

// A minimal clip so that the module has a real 3D buffer to update.
std::string WriteClip() {
    const std::string path = "/tmp/zor_bench_dsound.wav";
    const unsigned char header[44] = {'R', 'I', 'F', 'F', 36 + 64, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                      16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0,
                                      'd', 'a', 't', 'a', 64, 0, 0, 0};
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return path;
    std::fwrite(header, 1, sizeof header, f);
    const unsigned char silence[64] = {};
    std::fwrite(silence, 1, sizeof silence, f);
    std::fclose(f);
    return path;
}

__attribute__((noinline)) void EmptyUpdate(const Vec3& p, const Vec3& v) { benchmark::DoNotOptimize(p.x + v.x); }

void BM_EmptyCallBaseline(benchmark::State& state) {
    Vec3 p{1, 0, 2};
    const Vec3 v{0, 0, 0};
    for (auto _ : state) {
        p.x += 0.001f;
        EmptyUpdate(p, v);
    }
}
BENCHMARK(BM_EmptyCallBaseline);

void BM_SetSourceParameters(benchmark::State& state) {
    if (OpenSoundDevice(nullptr) != S_OK) {
        state.SkipWithError("no sound device");
        return;
    }
    SetDistanceModel(1.0f, 1.0f, 1.0f, 50.0f);
    std::string clip = WriteClip();
    if (LoadSourceBuffer(&clip[0]) != S_OK || PlaySource() != S_OK) {
        CloseSoundDevice();
        state.SkipWithError("clip did not load");
        return;
    }
    Vec3 p{1, 0, 2};
    const Vec3 v{0.5f, 0, -0.5f};
    for (auto _ : state) {
        p.x += 0.001f;
        SetSourceParameters(p, v);
    }
    CloseSoundDevice();
    std::remove(clip.c_str());
}
BENCHMARK(BM_SetSourceParameters);

void Probe() {
    IDirectSound* probe = nullptr;
    if (DirectSoundCreate(nullptr, &probe, nullptr) != DS_OK) return;
    probe->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    DWORD config = 0;
    probe->GetSpeakerConfig(&config);
    benchmark::DoNotOptimize(config);
    probe->Release();
}

// While a clip plays the probe shares the open device.
void BM_SpeakerProbeWhilePlaying(benchmark::State& state) {
    if (OpenSoundDevice(nullptr) != S_OK) {
        state.SkipWithError("no sound device");
        return;
    }
    for (auto _ : state) Probe();
    CloseSoundDevice();
}
BENCHMARK(BM_SpeakerProbeWhilePlaying);

// With nothing open the probe opens the device itself.
void BM_SpeakerProbeIdle(benchmark::State& state) {
    for (auto _ : state) Probe();
}
BENCHMARK(BM_SpeakerProbeIdle);

// One second of a moving source mixed for headphones in periods of the given size, the
// position updated at the update thread's pace whatever the period.
void BM_MixOneSecondInPeriodsOf(benchmark::State& state) {
    constexpr int kRate = 44100;
    const std::size_t period = static_cast<std::size_t>(state.range(0));
    dsound_test::UseLoopbackLayout(kRate, dsound_test::LoopbackLayout::Stereo, true);
    std::string clip = WriteClip();
    if (OpenSoundDevice(nullptr) != S_OK || LoadSourceBuffer(&clip[0]) != S_OK || PlaySource() != S_OK) {
        CloseSoundDevice();
        dsound_test::UseLoopback(0);
        state.SkipWithError("no loopback device");
        return;
    }
    constexpr std::size_t kUpdateFrames = kRate * 30 / 1000;
    float angle = 0;
    for (auto _ : state) {
        std::size_t sinceUpdate = 0;
        for (std::size_t done = 0; done < kRate; done += period) {
            if ((sinceUpdate += period) >= kUpdateFrames) {
                sinceUpdate = 0;
                angle += 0.05f;
                SetSourceParameters(Vec3{2 * std::sin(angle), 0, 2 * std::cos(angle)}, Vec3{0, 0, 0});
            }
            benchmark::DoNotOptimize(dsound_test::RenderFrames(period).data());
        }
    }
    CloseSoundDevice();
    dsound_test::UseLoopback(0);
    std::remove(clip.c_str());
}
BENCHMARK(BM_MixOneSecondInPeriodsOf)->Arg(1024)->Arg(256)->Unit(benchmark::kMillisecond);

void BM_BareAlcOpenClose(benchmark::State& state) {
    for (auto _ : state) {
        ALCdevice* device = alcOpenDevice(nullptr);
        benchmark::DoNotOptimize(device);
        if (device) alcCloseDevice(device);
    }
}
BENCHMARK(BM_BareAlcOpenClose);

}  // namespace

BENCHMARK_MAIN();
