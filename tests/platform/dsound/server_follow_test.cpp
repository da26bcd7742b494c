// The layer on a real sound server (a private PulseAudio or PipeWire with null sinks): a
// server that does not answer at start holds the device up a second at most, and the sound
// comes when it answers; the stream is buffered at most 25 ms ahead; the output follows
// the default sink while a sound plays, telling the new layout at once, and moving a long
// clip stalls neither the speaker poll nor a position update; the listener's explicit
// choice wins over the user's OpenAL Soft settings, which Automatic takes; a load while
// the server restarts plays once it is back; and a stuck server holds nothing up.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "tests/audio/sound/wav_file.h"
#include "tests/platform/dsound/loopback_device.h"
#include "tests/support/cannot_run.h"
#include "tests/support/sound_server.h"

namespace {

using namespace sound_testing;
using Seconds = std::chrono::duration<double>;

// How long until `done` holds, checked every 10 ms; negative when it never did in time.
double SecondsUntil(const std::function<bool()>& done, double limit = 3) {
    const auto start = Clock::now();
    while (!done()) {
        if (Clock::now() - start > Seconds(limit)) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Seconds(Clock::now() - start).count();
}

class ServerFollowTest : public ::testing::TestWithParam<ServerKind> {};

TEST_P(ServerFollowTest, TheOutputFollowsTheServerAndTheListenerAndNeverWaitsOnEither) {
    SoundServer server(GetParam());
    if (!server.Running())
        return test_support::CannotRunHere(std::string("no ") + NameOf(GetParam()) + " server: " + server.Failure());
    ASSERT_GE(server.LoadNullSink("surround", 6, "front-left,front-right,rear-left,rear-right,front-center,lfe"), 0)
        << server.LastError();
    ASSERT_GE(server.LoadNullSink("stereo", 2, "front-left,front-right"), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("surround")) << server.LastError();
    // OpenAL Soft picks its back end and reads its settings at its first call, which this
    // is; the user's own settings ask for binaural sound everywhere.
    for (const std::string& entry : server.ClientEnvironment()) putenv(strdup(entry.c_str()));
    setenv("ALSOFT_DRIVERS", "pulse", 1);
    TempFolder home;
    const std::string settings = home.File(".alsoftrc");
    std::ofstream(settings) << "hrtf = true\n";
    setenv("HOME", settings.substr(0, settings.rfind('/')).c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    SetSoundRendering(SoundRendering::Speakers);  // the layouts as the sinks have them

    server.Freeze();  // a server that does not answer at start
    const auto asked = Clock::now();
    LoopbackDevice dev(0);
    EXPECT_LT(Seconds(Clock::now() - asked).count(), 1.5) << "the device waited on the server";
    const WAVEFORMATEX mono = PcmFormat(22050, 1, 16);
    IDirectSoundBuffer* sound = dev.MakeBuffer(mono, Tone(mono, 440.0, 0.5));
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    server.Thaw();
    const auto speakers = [&] {
        DWORD config = 0;
        dev.ds->GetSpeakerConfig(&config);
        return DSSPEAKER_CONFIG(config);
    };
    DWORD status = 0;
    const auto playing = [&](IDirectSoundBuffer* b) {
        return b->GetStatus(&status) == DS_OK && status == DSBSTATUS_PLAYING + DSBSTATUS_LOOPING;
    };
    const auto ours = [&] {
        for (const SinkInput& input : server.SinkInputs())
            if (input.pid == getpid()) return input;
        return SinkInput{};
    };
    EXPECT_GE(SecondsUntil([&] { return speakers() == DSSPEAKER_5POINT1 && !ours().sink.empty(); }), 0.0)
        << "no sound once the server answered";
    system(("env PULSE_SERVER=" + std::string(getenv("PULSE_SERVER")) + " pactl list sink-inputs | grep -E 'Latency|tlength|Spec'").c_str());
    auto monitor = server.RecordMonitor("surround", 6);  // a sink plays in time only while it is heard
    std::vector<double> ahead;
    for (int i = 0; i < 5; ++i) ahead.push_back(ours().aheadSeconds);
    std::sort(ahead.begin(), ahead.end());
    EXPECT_LE(ahead[2], 0.025) << "buffered ahead of the ear";
    std::printf("[ %s ] buffered %.1f ms ahead\n", NameOf(GetParam()), ahead[2] * 1e3);
    monitor.reset();

    // The watch looked again after its first look went unanswered: the sound is carried
    // across, still playing, with the new layout shown (a lost output shows stereo too).
    ASSERT_TRUE(server.SetDefaultSink("stereo")) << server.LastError();
    const double moved = SecondsUntil([&] { return playing(sound) && speakers() == DSSPEAKER_STEREO; });
    EXPECT_TRUE(moved >= 0 && moved < 1.0) << "after " << moved << " s: status " << status << ", shown " << speakers();
    // The listener's choice wins over the user's settings; Automatic takes them.
    for (const auto& [choice, shows] : {std::pair(SoundRendering::Automatic, DSSPEAKER_HEADPHONE),
                                        std::pair(SoundRendering::Speakers, DSSPEAKER_STEREO),
                                        std::pair(SoundRendering::Headphones, DSSPEAKER_HEADPHONE)}) {
        SetSoundRendering(choice);
        const double took = SecondsUntil([&, shows = shows] { return speakers() == shows; });
        EXPECT_TRUE(took >= 0 && took < 1.0) << "shown " << speakers() << " after " << took << " s, wanted " << shows;
    }

    // A long clip moved with the output: its data is mixed and handed over without the
    // lock, so the window's speaker poll (a device of its own each time) and the position
    // updates go on meanwhile.
    SetSoundRendering(SoundRendering::Speakers);
    IDirectSoundBuffer* longClip = dev.MakeBuffer(PcmFormat(44100, 2, 16), std::vector<std::uint8_t>(64u << 20));
    ASSERT_NE(longClip, nullptr);
    ASSERT_EQ(longClip->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::atomic<bool> ticking{true};
    double longest = 0;
    std::thread ticks([&] {
        for (float x = 0; ticking; x += 0.01f) {
            const auto tick = Clock::now();
            IDirectSound* probe = nullptr;
            if (DirectSoundCreate(nullptr, &probe, nullptr) == DS_OK) probe->Release();
            speakers();
            LoopbackDevice::Place(longClip, {x, 0, 1});
            longest = std::max(longest, Seconds(Clock::now() - tick).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    ASSERT_TRUE(server.SetDefaultSink("surround")) << server.LastError();
    EXPECT_GE(SecondsUntil([&] { return playing(longClip) && speakers() == DSSPEAKER_5POINT1; }), 0.0);
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the clip reaches the new output
    ticking = false;
    ticks.join();
    EXPECT_LT(longest, 0.05) << "a call waited on the move";
    std::printf("[ %s ] longest call during the move of a 64 MB clip: %.1f ms\n", NameOf(GetParam()), longest * 1e3);
    longClip->Release();

    // A clip loaded while the server restarts plays once it is back. (The restart stays on
    // this thread: a server dies with the thread that started it.)
    IDirectSoundBuffer* late = nullptr;
    std::thread load([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        late = dev.MakeBuffer(mono, Tone(mono, 330.0, 0.5));
        if (late) {
            EXPECT_EQ(late->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        }
    });
    EXPECT_TRUE(server.Restart(std::chrono::milliseconds(1000))) << server.LastError();
    load.join();
    ASSERT_NE(late, nullptr) << "a load during the outage failed";
    // (Ten seconds: under ThreadSanitizer the long clip may still be on its way.)
    EXPECT_GE(SecondsUntil([&] { return !ours().sink.empty() && playing(late); }, 10), 0.0) << "not back with the server";
    late->Release();

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
