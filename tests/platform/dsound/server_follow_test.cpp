// The layer on a real sound server (a private PulseAudio or PipeWire with null sinks): the
// output follows the default sink while a sound plays, the speaker configuration tells the
// new layout at once, the listener's choice switches binaural rendering, and a stuck server
// holds up neither the speaker poll nor a position update.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "tests/platform/dsound/loopback_device.h"
#include "tests/support/cannot_run.h"
#include "tests/support/sound_server.h"

namespace {

using namespace sound_testing;
using Seconds = std::chrono::duration<double>;

// How long until `done` holds, checked every 10 ms; negative when it never did in 3 s.
double SecondsUntil(const std::function<bool()>& done) {
    const auto start = Clock::now();
    while (!done()) {
        if (Clock::now() - start > Seconds(3)) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Seconds(Clock::now() - start).count();
}

class ServerFollowTest : public ::testing::TestWithParam<ServerKind> {};

TEST_P(ServerFollowTest, TheOutputFollowsTheDefaultSinkTellsItsLayoutAndNeverWaitsOnTheServer) {
    SoundServer server(GetParam());
    if (!server.Running())
        return test_support::CannotRunHere(std::string("no ") + NameOf(GetParam()) + " server: " + server.Failure());
    ASSERT_GE(server.LoadNullSink("surround", 6, "front-left,front-right,rear-left,rear-right,front-center,lfe"), 0)
        << server.LastError();
    ASSERT_GE(server.LoadNullSink("stereo", 2, "front-left,front-right"), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("surround")) << server.LastError();
    // OpenAL Soft picks its back end at its first call, which this is.
    for (const std::string& entry : server.ClientEnvironment()) putenv(strdup(entry.c_str()));
    setenv("ALSOFT_DRIVERS", "pulse", 1);

    LoopbackDevice dev(0);
    const WAVEFORMATEX mono = PcmFormat(22050, 1, 16);
    IDirectSoundBuffer* sound = dev.MakeBuffer(mono, Tone(mono, 440.0, 0.5));
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const auto speakers = [&] {
        DWORD config = 0;
        dev.ds->GetSpeakerConfig(&config);
        return DSSPEAKER_CONFIG(config);
    };
    DWORD status = 0;
    const auto playing = [&] {
        return sound->GetStatus(&status) == DS_OK && status == DSBSTATUS_PLAYING + DSBSTATUS_LOOPING;
    };
    EXPECT_GE(SecondsUntil([&] { return speakers() == DSSPEAKER_5POINT1; }), 0.0);

    // The sound is carried across, still playing, and the new layout shown: a lost output
    // would show stereo too, but would not play.
    ASSERT_TRUE(server.SetDefaultSink("stereo")) << server.LastError();
    const double moved = SecondsUntil([&] { return playing() && speakers() == DSSPEAKER_STEREO; });
    EXPECT_TRUE(moved >= 0 && moved < 1.0) << "after " << moved << " s: status " << status << ", shown " << speakers();
    std::printf("[ %s ] playing on the new default, its layout shown, in %.2f s\n", NameOf(GetParam()), moved);
    // The listener's choice turns binaural rendering on and off again while it plays.
    for (const auto [choice, shows] : {std::pair(SoundRendering::Headphones, DSSPEAKER_HEADPHONE),
                                       std::pair(SoundRendering::Automatic, DSSPEAKER_STEREO)}) {
        SetSoundRendering(choice);
        const double took = SecondsUntil([&, shows = shows] { return speakers() == shows; });
        EXPECT_TRUE(took >= 0 && took < 1.0) << "shown " << speakers() << " after " << took << " s, wanted " << shows;
    }

    server.Freeze();  // takes what it is sent, never answers
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the watch's questions go unanswered
    const auto start = Clock::now();
    for (int i = 0; i < 10; ++i) {
        speakers();
        LoopbackDevice::Place(sound, {static_cast<float>(i), 0, 1});
    }
    const double stuck = Seconds(Clock::now() - start).count();
    server.Thaw();
    EXPECT_LT(stuck, 0.1) << "the speaker poll and the position updates waited on the server";
    sound->Release();
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerFollowTest, ::testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

}  // namespace
