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
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "tests/audio/sound/wav_file.h"
#include "tests/platform/dsound/loopback_device.h"
#include "tests/support/cannot_run.h"
#include "tests/support/mirrored_head.h"
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

// What a pair of ears hears of 20 ms of recorded stereo: how much brighter each ear's
// sound is than its body (the energy of its steps against its own, in dB), and the level
// between the ears; empty when it is too quiet to tell. Front and back differ in all three.
std::vector<double> Colour(const std::vector<std::int16_t>& pcm, std::size_t first, std::size_t count) {
    double steps[2] = {0, 0}, energy[2] = {0, 0};
    for (std::size_t f = first + 1; f < first + count && f * 2 + 1 < pcm.size(); ++f)
        for (int c = 0; c < 2; ++c) {
            const double x = pcm[f * 2 + c], step = x - pcm[(f - 1) * 2 + c];
            steps[c] += step * step;
            energy[c] += x * x;
        }
    if (energy[0] + energy[1] < count * 100.0 * 100.0) return {};
    return {10 * std::log10(steps[0] / energy[0]), 10 * std::log10(steps[1] / energy[1]),
            10 * std::log10(energy[0] / energy[1])};
}

// A head chosen while a noise plays from ahead on the right is heard within 0.2 s: the same
// head with front and back exchanged, so the noise is then heard from behind. Timed from
// the noise's own start in the recording, so the server's and the recorder's delays count
// only as much as they hold up a change more than a start.
void ChoosesAHeadWhileItPlays(ServerKind kind, SoundServer& server, LoopbackDevice& dev) {
    constexpr int kRate = 48000;
    constexpr std::size_t kWindow = kRate / 50;
    std::unique_ptr<MonitorRecording> recording = server.RecordMonitor("stereo", 2, kRate);
    ASSERT_NE(recording, nullptr) << server.LastError();
    const WAVEFORMATEX mono = PcmFormat(kRate, 1, 16);
    std::mt19937 random(5);
    std::uniform_real_distribution<double> noise(-0.3, 0.3);
    IDirectSoundBuffer* sound = dev.MakeBuffer(mono, MakePcm(mono, kRate, [&](std::size_t, int) { return noise(random); }));
    ASSERT_NE(sound, nullptr);
    LoopbackDevice::Place(sound, {0.5f, 0, 0.87f});
    const auto shown = [&](DWORD speakers) {
        return SecondsUntil([&] {
            DWORD config = 0;
            return dev.ds->GetSpeakerConfig(&config) == DS_OK && DSSPEAKER_CONFIG(config) == speakers;
        });
    };
    SetSoundRendering(SoundRendering::Headphones);
    ASSERT_GE(shown(DSSPEAKER_HEADPHONE), 0.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto played = Clock::now();
    ASSERT_EQ(sound->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto chosen = Clock::now();
    SetHrtfSet("Mirrored");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(GetHrtfSetInUse(), "Mirrored");
    sound->Release();
    SetHrtfSet("");
    SetSoundRendering(SoundRendering::Speakers);
    EXPECT_GE(shown(DSSPEAKER_STEREO), 0.0);
    const std::vector<std::int16_t>& pcm = recording->Finish();

    std::size_t start = recording->FrameAt(played);
    while (start * 2 < pcm.size() && Colour(pcm, start, kWindow / 10).empty()) start += kWindow / 10;
    const std::size_t at = start + static_cast<std::size_t>(Seconds(chosen - played).count() * kRate);
    const auto mean = [&](std::size_t from, std::size_t to) {
        std::vector<double> sum(3, 0.0);
        int n = 0;
        for (std::size_t f = from; f + kWindow <= to; f += kWindow)
            if (const std::vector<double> c = Colour(pcm, f, kWindow); !c.empty()) {
                for (int i = 0; i < 3; ++i) sum[i] += c[i];
                ++n;
            }
        for (double& v : sum) v /= std::max(n, 1);
        return sum;
    };
    const auto distance = [](const std::vector<double>& a, const std::vector<double>& b) {
        double d = 0;
        for (int i = 0; i < 3; ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
        return std::sqrt(d);
    };
    const std::vector<double> before = mean(at - kRate / 2, at), after = mean(at + kRate / 2, at + kRate * 9 / 10);
    // The first window that sounds like the new head: the quiet of the change in between counts as not yet.
    std::size_t heard = at;
    for (; heard < at + kRate / 2; heard += kWindow) {
        const std::vector<double> c = Colour(pcm, heard, kWindow);
        if (!c.empty() && distance(c, after) < distance(c, before)) break;
    }
    const double took = static_cast<double>(heard - at) / kRate;
    std::printf("[ %s ] the new head heard %.3f s after it was chosen (before %.1f %.1f %.1f dB, after %.1f %.1f %.1f dB)\n",
                NameOf(kind), took, before[0], before[1], before[2], after[0], after[1], after[2]);
    EXPECT_GT(distance(before, after), 2.0) << "front and back sound alike";
    EXPECT_LT(took, 0.2);
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
    const std::filesystem::path data = std::filesystem::temp_directory_path() / ("zor_heads_" + std::to_string(getpid()));
    WriteMirroredHead(data / "openal" / "hrtf");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
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

    ChoosesAHeadWhileItPlays(GetParam(), server, dev);

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
