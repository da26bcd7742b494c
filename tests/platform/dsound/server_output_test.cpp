// The layer on a real sound server (a private PulseAudio with null sinks): what the server
// says of this process's own stream follows the sink the output opened on, the speaker
// configuration tells the same, and asking a server that is stuck or absent costs little.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/dsound/dsound.h"
#include "platform/dsound/server_output.h"
#include "tests/support/pcm_wav.h"
#include "tests/support/pulse_server.h"

namespace {

using namespace sound_testing;
using dsound_detail::QueryServerOutput;
using dsound_detail::ServerOutput;
namespace fs = std::filesystem;

constexpr const char* kSurroundMap = "front-left,front-right,rear-left,rear-right,front-center,lfe";

// OpenAL Soft picks its back end once, at its first call: the server must be set before.
void UseServer(const PulseServer& server) {
    for (const std::string& entry : server.ClientEnvironment()) {
        const std::size_t equals = entry.find('=');
        setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    setenv("ALSOFT_DRIVERS", "pulse", 1);
}

// What the program holds while a clip plays: the device, its primary buffer and a
// looping 3D buffer.
struct Playing {
    Playing() {
        if (DirectSoundCreate(nullptr, &ds, nullptr) != DS_OK) return;
        ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        DSBUFFERDESC desc{};
        desc.dwSize = DSBUFFERDESC_PLATFORM_SIZE;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
        if (ds->CreateSoundBuffer(&desc, &primary, nullptr) != DS_OK) return;
        WAVEFORMATEX format = PcmFormat(22050, 1, 16);
        const std::vector<std::uint8_t> tone = Tone(format, 440, 0.5);
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D | DSBCAPS_GLOBALFOCUS;
        desc.dwBufferBytes = static_cast<DWORD>(tone.size());
        desc.lpwfxFormat = &format;
        if (ds->CreateSoundBuffer(&desc, &source, nullptr) != DS_OK) return;
        void* data = nullptr;
        DWORD bytes = 0;
        if (source->Lock(0, desc.dwBufferBytes, &data, &bytes, nullptr, nullptr, 0) != DS_OK) return;
        std::memcpy(data, tone.data(), bytes);
        source->Unlock(data, bytes, nullptr, 0);
        playing = source->Play(0, 0, DSBPLAY_LOOPING) == DS_OK;
    }
    ~Playing() {
        if (source) source->Release();
        if (primary) primary->Release();
        if (ds) ds->Release();
    }
    Playing(const Playing&) = delete;
    Playing& operator=(const Playing&) = delete;

    DWORD Speakers() const {
        DWORD config = 0;
        ds->GetSpeakerConfig(&config);
        return DSSPEAKER_CONFIG(config);
    }

    IDirectSound* ds = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    IDirectSoundBuffer* source = nullptr;
    bool playing = false;
};

bool HasStreamOf(PulseServer& server, long pid) {
    for (const SinkInput& input : server.SinkInputs()) {
        if (input.pid == pid) return true;
    }
    return false;
}

std::optional<ServerOutput> TimedQuery(double* seconds) {
    const auto start = Clock::now();
    std::optional<ServerOutput> answer = QueryServerOutput();
    *seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return answer;
}

TEST(ServerOutput, FollowsTheSinkTheOutputOpenedOn) {
    PulseServer server;
    if (!server.Running()) GTEST_SKIP() << "no PulseAudio server for this test: " << server.Failure();
    const int surround = server.LoadNullSink("surround", 6, kSurroundMap);
    ASSERT_GE(surround, 0) << server.LastError();
    ASSERT_GE(server.LoadNullSink("stereo", 2, "front-left,front-right"), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("surround")) << server.LastError();
    UseServer(server);

    EXPECT_FALSE(QueryServerOutput().has_value()) << "nothing of this process plays yet";
    {
        Playing playing;
        ASSERT_TRUE(playing.playing);
        double seconds = 0;
        const std::optional<ServerOutput> output = TimedQuery(&seconds);
        ASSERT_TRUE(output.has_value());
        EXPECT_EQ(output->channels, 6);
        EXPECT_FALSE(output->headphones) << "a null sink has no ports";
        EXPECT_LT(seconds, 0.3);
        EXPECT_EQ(playing.Speakers(), static_cast<DWORD>(DSSPEAKER_5POINT1));
    }

    // Taking the sink away loses the output; the next device opens on what is left.
    ASSERT_TRUE(server.UnloadModule(surround)) << server.LastError();
    for (int i = 0; i < 50 && HasStreamOf(server, getpid()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // for the library to hear of the loss
    {
        Playing playing;
        ASSERT_TRUE(playing.playing);
        const std::optional<ServerOutput> output = QueryServerOutput();
        ASSERT_TRUE(output.has_value());
        EXPECT_EQ(output->channels, 2);
        EXPECT_EQ(playing.Speakers(), static_cast<DWORD>(DSSPEAKER_STEREO));
    }
}

TEST(ServerOutput, AStuckServerIsNotWaitedForAndAnAbsentOneIsNotStarted) {
    PulseServer server;
    if (!server.Running()) GTEST_SKIP() << "no PulseAudio server for this test: " << server.Failure();
    UseServer(server);
    double seconds = 0;
    server.Freeze();  // accepts the connection, never answers
    EXPECT_FALSE(TimedQuery(&seconds).has_value());
    server.Thaw();
    EXPECT_LT(seconds, 0.75);

    // Nowhere to look but an empty runtime folder: the library's default places, where
    // it would also start a server of its own if it were let.
    std::string runtime = (fs::temp_directory_path() / "zor_no_server_XXXXXX").string();
    ASSERT_NE(mkdtemp(runtime.data()), nullptr);
    unsetenv("PULSE_SERVER");
    unsetenv("PULSE_RUNTIME_PATH");
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    // Systems often turn starting on demand off, and the library never does it for root;
    // for anyone else, this client would have it on.
    const std::string clientConfig = runtime + "/client.conf";
    std::ofstream(clientConfig) << "autospawn = yes\n";
    setenv("PULSE_CLIENTCONFIG", clientConfig.c_str(), 1);
    EXPECT_FALSE(TimedQuery(&seconds).has_value());
    EXPECT_LT(seconds, 0.25);
    // The library makes its folder there; a server would put its socket and pid in it.
    EXPECT_FALSE(fs::exists(runtime + "/pulse/native") || fs::exists(runtime + "/pulse/pid")) << "a server was started";
    fs::remove_all(runtime);
}

}  // namespace
