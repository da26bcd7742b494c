// The layer on a real sound server (a private PulseAudio or PipeWire with null sinks): the
// output follows the default sink and the speaker configuration tells its layout, the
// listener's choice turns binaural rendering on and off while a sound plays, a headphones
// sink is binaural by itself, and a stuck server holds up no call of the layer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "platform/dsound/dsound.h"
#include "tests/support/pcm_wav.h"
#include "tests/support/sound_server.h"

namespace {

using namespace sound_testing;
using std::chrono::milliseconds;
using Seconds = std::chrono::duration<double>;

constexpr const char* kSurroundMap = "front-left,front-right,rear-left,rear-right,front-center,lfe";
constexpr const char* kStereoMap = "front-left,front-right";

// OpenAL Soft picks its back end once, at its first call; the server it reaches is read
// from the environment each time the output is opened.
void UseServer(const SoundServer& server) {
    for (const std::string& entry : server.ClientEnvironment()) {
        const std::size_t equals = entry.find('=');
        setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    setenv("ALSOFT_DRIVERS", "pulse", 1);
}

// How long until `done` holds, checked every 10 ms; a negative time when it never did in `limit`.
double SecondsUntil(const std::function<bool()>& done, double limit = 3.0) {
    const auto start = Clock::now();
    while (!done()) {
        if (Seconds(Clock::now() - start).count() > limit) return -1;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return Seconds(Clock::now() - start).count();
}

// What the program holds while a clip plays: the device, its primary buffer and a
// looping 3D buffer. An output left over from the previous server comes back on this one
// within moments, so the set-up tries for a while.
struct Playing {
    Playing() {
        SecondsUntil([this] { return Start(); });
    }
    ~Playing() { Release(); }
    Playing(const Playing&) = delete;
    Playing& operator=(const Playing&) = delete;

    bool Start() {
        Release();
        if (DirectSoundCreate(nullptr, &ds, nullptr) != DS_OK) return false;
        ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        DSBUFFERDESC desc{};
        desc.dwSize = DSBUFFERDESC_PLATFORM_SIZE;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
        if (ds->CreateSoundBuffer(&desc, &primary, nullptr) != DS_OK) return false;
        WAVEFORMATEX format = PcmFormat(22050, 1, 16);
        const std::vector<std::uint8_t> tone = Tone(format, 440, 0.5);
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D | DSBCAPS_GLOBALFOCUS;
        desc.dwBufferBytes = static_cast<DWORD>(tone.size());
        desc.lpwfxFormat = &format;
        if (ds->CreateSoundBuffer(&desc, &source, nullptr) != DS_OK) return false;
        void* data = nullptr;
        DWORD bytes = 0;
        if (source->Lock(0, desc.dwBufferBytes, &data, &bytes, nullptr, nullptr, 0) != DS_OK) return false;
        std::memcpy(data, tone.data(), bytes);
        source->Unlock(data, bytes, nullptr, 0);
        playing = source->Play(0, 0, DSBPLAY_LOOPING) == DS_OK;
        return playing;
    }
    void Release() {
        if (source) source->Release();
        if (primary) primary->Release();
        if (ds) ds->Release();
        source = primary = nullptr;
        ds = nullptr;
        playing = false;
    }

    DWORD Speakers() const {
        DWORD config = 0;
        ds->GetSpeakerConfig(&config);
        return DSSPEAKER_CONFIG(config);
    }
    bool Plays() const {
        DWORD status = 0;
        return source->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING);
    }

    IDirectSound* ds = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    IDirectSoundBuffer* source = nullptr;
    bool playing = false;
};

std::string SinkOfOurStream(SoundServer& server) {
    std::string sink;
    for (const SinkInput& input : server.SinkInputs()) {
        if (input.pid == getpid()) sink = input.sink;
    }
    return sink;
}

class ServerFollowTest : public ::testing::TestWithParam<ServerKind> {
protected:
    void SetUp() override {
        server = std::make_unique<SoundServer>(GetParam());
        if (!server->Running())
            GTEST_SKIP() << "no " << NameOf(GetParam()) << " server for this test: " << server->Failure();
        UseServer(*server);
    }
    void TearDown() override { SetSoundRendering(SoundRendering::Automatic); }
    std::unique_ptr<SoundServer> server;
};

TEST_P(ServerFollowTest, TheOutputFollowsTheDefaultSinkAndReportsItsLayout) {
    ASSERT_GE(server->LoadNullSink("surround", 6, kSurroundMap), 0) << server->LastError();
    ASSERT_GE(server->LoadNullSink("stereo", 2, kStereoMap), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("surround")) << server->LastError();
    Playing playing;
    ASSERT_TRUE(playing.playing);
    EXPECT_GE(SecondsUntil([&] { return playing.Speakers() == DSSPEAKER_5POINT1; }), 0.0);

    ASSERT_TRUE(server->SetDefaultSink("stereo")) << server->LastError();
    const double moved = SecondsUntil([&] { return SinkOfOurStream(*server) == "stereo"; });
    const double shown = SecondsUntil([&] { return playing.Speakers() == DSSPEAKER_STEREO; });
    EXPECT_GE(moved, 0.0) << "the stream stayed on the old default";
    EXPECT_LT(moved, 1.0);
    EXPECT_GE(shown, 0.0);
    EXPECT_LT(moved + shown, 1.0) << "the layout shown lags the output";
    EXPECT_TRUE(playing.Plays()) << "the sound was carried across, still playing";
    std::printf("[ %s ] moved to the new default in %.2f s, layout shown %.2f s later\n", NameOf(GetParam()), moved,
                shown);
}

TEST_P(ServerFollowTest, HeadphonesAreBinauralAndTheListenersChoiceSwitchesItWhilePlaying) {
    ASSERT_GE(server->LoadNullSink("speakers", 2, kStereoMap), 0) << server->LastError();
    ASSERT_GE(server->LoadNullSink("phones", 2, kStereoMap, "device.form_factor=headphones"), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("speakers")) << server->LastError();
    Playing playing;
    ASSERT_TRUE(playing.playing);
    EXPECT_GE(SecondsUntil([&] { return SinkOfOurStream(*server) == "speakers"; }), 0.0);
    EXPECT_EQ(playing.Speakers(), static_cast<DWORD>(DSSPEAKER_STEREO));

    SetSoundRendering(SoundRendering::Headphones);
    const double on = SecondsUntil([&] { return playing.Speakers() == DSSPEAKER_HEADPHONE; });
    EXPECT_GE(on, 0.0) << "choosing headphones turned binaural rendering on";
    EXPECT_LT(on, 1.0);
    SetSoundRendering(SoundRendering::Automatic);
    EXPECT_GE(SecondsUntil([&] { return playing.Speakers() == DSSPEAKER_STEREO; }, 1.0), 0.0);

    // Automatic, on an output that is headphones: binaural by itself, and the choice of
    // speakers turns it off again.
    ASSERT_TRUE(server->SetDefaultSink("phones")) << server->LastError();
    EXPECT_GE(SecondsUntil([&] { return playing.Speakers() == DSSPEAKER_HEADPHONE; }, 1.0), 0.0);
    SetSoundRendering(SoundRendering::Speakers);
    EXPECT_GE(SecondsUntil([&] { return playing.Speakers() == DSSPEAKER_STEREO; }, 1.0), 0.0);
    EXPECT_TRUE(playing.Plays());
}

TEST_P(ServerFollowTest, AStuckServerHoldsUpNoCallOfTheLayer) {
    ASSERT_GE(server->LoadNullSink("speakers", 2, kStereoMap), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("speakers")) << server->LastError();
    Playing playing;
    ASSERT_TRUE(playing.playing);
    server->Freeze();  // accepts what it is sent, never answers
    std::this_thread::sleep_for(milliseconds(700));  // the watch's question goes unanswered
    const auto start = Clock::now();
    for (int i = 0; i < 10; ++i) {
        playing.Speakers();
        DS3DBUFFER params{};
        params.dwSize = sizeof params;
        IDirectSound3DBuffer* buffer = nullptr;
        playing.source->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&buffer));
        buffer->GetAllParameters(&params);
        params.vPosition.x = static_cast<float>(i);
        buffer->SetAllParameters(&params, DS3D_IMMEDIATE);
        buffer->Release();
    }
    const double seconds = Seconds(Clock::now() - start).count();
    server->Thaw();
    EXPECT_LT(seconds, 0.1) << "the speaker poll and the position updates waited on the server";
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerFollowTest, ::testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

}  // namespace
