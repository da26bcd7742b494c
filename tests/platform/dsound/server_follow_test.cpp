// The layer on a real sound server (a private PulseAudio or PipeWire with null sinks): the
// output follows the default sink while a sound plays, the speaker configuration tells the
// new layout at once, the listener's choice switches binaural rendering, and a stuck server
// holds up neither the speaker poll nor a position update.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include <unistd.h>

#include "tests/platform/dsound/loopback_device.h"
#include "tests/support/cannot_run.h"
#include "tests/support/mirrored_head.h"
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
    SetSoundRendering(SoundRendering::Automatic);
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
    const std::filesystem::path data = std::filesystem::temp_directory_path() / ("zor_heads_" + std::to_string(getpid()));
    WriteMirroredHead(data / "openal" / "hrtf");
    setenv("XDG_DATA_HOME", data.c_str(), 1);

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

    ChoosesAHeadWhileItPlays(GetParam(), server, dev);

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
