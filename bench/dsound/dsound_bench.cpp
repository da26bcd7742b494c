// What the update thread pays per tick for a position update, and what one speaker
// probe (open, query, close) costs next to opening the OpenAL device bare.
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
