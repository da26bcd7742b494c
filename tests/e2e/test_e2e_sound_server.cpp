// The built program on a real sound server (a private PulseAudio with null sinks, heard
// through their monitors), run headless from a folder of its own with an auto-demo
// script: its sound arrives on the default sink and swings with the horizontal circle,
// a change of clip goes on in the same stream, and when the sink it plays on is removed
// its next playback comes out of the sink that is left.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/pulse_server.h"

namespace fs = std::filesystem;

namespace {

using namespace sound_testing;
using std::chrono::milliseconds;
using Seconds = std::chrono::duration<double>;

constexpr const char* kStereoMap = "front-left,front-right";
constexpr double kAudible = 0.003;  // RMS, full scale 1: far above a null sink's silence (0)

// The executable and its clips in a folder of the test's own, removed afterwards.
class Scratch {
public:
    explicit Scratch(const std::string& tag)
        : m_dir(fs::temp_directory_path() / ("zor_e2e_" + tag + "_" + std::to_string(getpid()))) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        fs::copy_file(ZOR_EXECUTABLE, m_dir / "zor3dplayer");
        fs::copy(ZOR_MUSIC_DIR, m_dir / "MUSIC", fs::copy_options::recursive);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    const fs::path& Dir() const { return m_dir; }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }

private:
    fs::path m_dir;
};

std::unique_ptr<test_support::ChildProcess> StartPlayer(const Scratch& scratch, const PulseServer& server,
                                                       const std::string& script) {
    test_support::ChildOptions options;
    options.environment = server.ClientEnvironment();
    options.environment.push_back("QT_QPA_PLATFORM=offscreen");
    options.environment.push_back("ALSOFT_DRIVERS=pulse");
    options.directory = scratch.Dir().string();
    return std::make_unique<test_support::ChildProcess>(
        std::vector<std::string>{(scratch.Dir() / "zor3dplayer").string(), script}, options);
}

// Root mean square of one channel over frames [from, to), full scale 1.
double Level(const std::vector<std::int16_t>& pcm, int channels, int channel, std::size_t from, std::size_t to) {
    to = std::min(to, pcm.size() / channels);
    if (from >= to) return 0;
    double sum = 0;
    for (std::size_t f = from; f < to; ++f) {
        const double s = pcm[f * channels + channel] / 32768.0;
        sum += s * s;
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

double Level(const std::vector<std::int16_t>& pcm, int channels, std::size_t from, std::size_t to) {
    double sum = 0;
    for (int c = 0; c < channels; ++c) sum += std::pow(Level(pcm, channels, c, from, to), 2);
    return std::sqrt(sum / channels);
}

// The first frame of the first 50 ms that can be heard; npos when nothing can.
std::size_t FirstSound(const std::vector<std::int16_t>& pcm, int channels, int rate) {
    const std::size_t window = static_cast<std::size_t>(rate) / 20;
    for (std::size_t f = 0; f + window <= pcm.size() / channels; f += window) {
        if (Level(pcm, channels, f, f + window) > kAudible) return f;
    }
    return std::string::npos;
}

Clock::time_point TimeOf(const MonitorRecording& recording, std::size_t frame) {
    return recording.Begin() + std::chrono::duration_cast<Clock::duration>(Seconds(double(frame) / recording.Rate()));
}

// The program's streams as listed now and then while it runs: index to what was seen.
using Listings = std::map<unsigned, SinkInput>;

void Note(PulseServer& server, long pid, Listings* seen) {
    for (const SinkInput& input : server.SinkInputs()) {
        if (input.pid == pid) (*seen)[input.index] = input;
    }
}

// Lists the program's streams until it ends; its exit status, or -1 after the time-out.
int WaitListing(test_support::ChildProcess& player, PulseServer& server, Listings* seen, double timeoutS) {
    const auto deadline = Clock::now() + Seconds(timeoutS);
    for (;;) {
        Note(server, player.Pid(), seen);
        if (auto status = player.Wait(milliseconds(150))) return *status;
        if (Clock::now() > deadline) {
            player.Stop(SIGKILL, milliseconds(0));
            return -1;
        }
    }
}

std::string Describe(const std::vector<SinkInputWatch::Lifetime>& streams, Clock::time_point zero) {
    std::ostringstream text;
    for (const auto& s : streams) {
        text << "\n  #" << s.index << " from " << Seconds(s.created - zero).count() << " s to ";
        if (s.removed)
            text << Seconds(*s.removed - zero).count() << " s";
        else
            text << "the end";
    }
    return text.str();
}

TEST(SoundServer, SoundPansWithTheCircleAndAChangeOfClipStaysInOneStream) {
    PulseServer server;
    if (!server.Running()) GTEST_SKIP() << "no PulseAudio server for this test: " << server.Failure();
    ASSERT_GE(server.LoadNullSink("speakers", 2, kStereoMap), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("speakers")) << server.LastError();
    Scratch scratch("server_pan");
    // The circle starts in front and turns right first: hard right a quarter of its
    // 15 s turn in, hard left three quarters in. Then another clip, on the same path.
    scratch.Write("e2e.ini",
                  "[Counter]\nDemoCounter=2\nDemoLoop=FALSE\n"
                  "[AutoDemo1]\nTimer=12500\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n"
                  "[AutoDemo2]\nTimer=3000\nSoundSource=Drums\nEnableEffects=FALSE\n");

    auto recording = server.RecordMonitor("speakers", 2);
    ASSERT_NE(recording, nullptr) << server.LastError();
    auto watch = server.WatchSinkInputs();
    ASSERT_NE(watch, nullptr) << server.LastError();
    auto player = StartPlayer(scratch, server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();
    Listings seen;
    const int status = WaitListing(*player, server, &seen, 35);
    const Clock::time_point ended = Clock::now();
    ASSERT_EQ(status, 0);

    const std::vector<std::int16_t>& pcm = recording->Finish();
    const int rate = recording->Rate();
    const std::size_t first = FirstSound(pcm, 2, rate);
    ASSERT_NE(first, std::string::npos) << "nothing was heard on the default sink";
    const Clock::time_point firstHeard = TimeOf(*recording, first);

    // Left/right balance in quarter seconds over the first step. The hard sides last a
    // while; each is placed at the middle of its stretch.
    const std::size_t window = static_cast<std::size_t>(rate) / 4;
    std::vector<std::pair<double, double>> balances;  // seconds from the first sound, balance
    for (std::size_t w = first; w + window <= first + static_cast<std::size_t>(12.5 * rate); w += window) {
        const double l = Level(pcm, 2, 0, w, w + window), r = Level(pcm, 2, 1, w, w + window);
        if (l + r > kAudible) balances.emplace_back(static_cast<double>(w - first) / rate, (r - l) / (r + l));
    }
    ASSERT_FALSE(balances.empty());
    const auto [lowest, highest] = std::minmax_element(balances.begin(), balances.end(),
                                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    const double right = highest->second, left = lowest->second;
    auto middleOf = [&](auto near) {
        double sum = 0;
        int count = 0;
        for (const auto& [t, balance] : balances) {
            if (near(balance)) sum += t, ++count;
        }
        return sum / count;
    };
    const double tRight = middleOf([&](double b) { return b > right - 0.05; });
    const double tLeft = middleOf([&](double b) { return b < left + 0.05; });
    EXPECT_GT(right, 0.3);
    EXPECT_LT(left, -0.3);
    EXPECT_NEAR(tRight, 3.9, 1.5) << "hard right a quarter turn in";
    EXPECT_NEAR(tLeft - tRight, 7.7, 1.5) << "then hard left, half a turn later";

    // Every stream that was open at any time from a moment after the first sound to the
    // end: one, the program's, on the default sink.
    const Clock::time_point settled = firstHeard + milliseconds(250);
    std::vector<SinkInputWatch::Lifetime> open;
    const std::vector<SinkInputWatch::Lifetime> streams = watch->Streams();
    for (const auto& s : streams) {
        if (s.created <= ended && (!s.removed || *s.removed > settled)) open.push_back(s);
    }
    ASSERT_EQ(open.size(), 1u) << "streams, in seconds from the first sound:" << Describe(streams, firstHeard);
    const auto listed = seen.find(open.front().index);
    ASSERT_NE(listed, seen.end()) << "the stream is the program's";
    EXPECT_EQ(listed->second.sink, "speakers");
}

TEST(SoundServer, WhenItsSinkIsRemovedTheNextPlaybackComesOutOfTheSinkLeft) {
    PulseServer server;
    if (!server.Running()) GTEST_SKIP() << "no PulseAudio server for this test: " << server.Failure();
    const int first = server.LoadNullSink("first", 2, kStereoMap);
    ASSERT_GE(first, 0) << server.LastError();
    ASSERT_GE(server.LoadNullSink("second", 2, kStereoMap), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("first")) << server.LastError();
    Scratch scratch("server_loss");
    scratch.Write("e2e.ini",
                  "[Counter]\nDemoCounter=2\nDemoLoop=FALSE\n"
                  "[AutoDemo1]\nTimer=4000\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n"
                  "[AutoDemo2]\nTimer=3500\nSoundSource=Drums\nEnableEffects=FALSE\n");

    auto onFirst = server.RecordMonitor("first", 2);
    ASSERT_NE(onFirst, nullptr) << server.LastError();
    auto onSecond = server.RecordMonitor("second", 2);
    ASSERT_NE(onSecond, nullptr) << server.LastError();
    auto player = StartPlayer(scratch, server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();

    // Mid-way through the first step, once it has played on "first" for a while.
    Listings before;
    const auto giveUp = Clock::now() + Seconds(10);
    while (std::none_of(before.begin(), before.end(), [](const auto& s) { return s.second.sink == "first"; })) {
        ASSERT_LT(Clock::now(), giveUp) << "the program opened no stream on the default sink";
        ASSERT_TRUE(player->Running());
        Note(server, player->Pid(), &before);
        std::this_thread::sleep_for(milliseconds(50));
    }
    std::this_thread::sleep_for(milliseconds(1500));
    ASSERT_TRUE(server.UnloadModule(first)) << server.LastError();
    const Clock::time_point removed = Clock::now();
    Listings after;
    const int status = WaitListing(*player, server, &after, 25);
    ASSERT_EQ(status, 0);

    const std::vector<std::int16_t>& pcmFirst = onFirst->Finish();
    const std::vector<std::int16_t>& pcmSecond = onSecond->Finish();
    const int rate = onFirst->Rate();
    const std::size_t start = FirstSound(pcmFirst, 2, rate);
    ASSERT_NE(start, std::string::npos) << "nothing was heard on the default sink";
    const Clock::time_point stepOne = TimeOf(*onFirst, start);
    ASSERT_LT(stepOne, removed);

    EXPECT_LT(Level(pcmSecond, 2, onSecond->FrameAt(stepOne), onSecond->FrameAt(removed - milliseconds(100))), 1e-4)
        << "before the removal the sound went to the default sink only";
    // The second step, which plays again, 4 s after the first began.
    const double level = Level(pcmSecond, 2, onSecond->FrameAt(stepOne + milliseconds(4500)),
                               onSecond->FrameAt(stepOne + milliseconds(7000)));
    EXPECT_GT(level, kAudible) << "the next playback is heard on the sink that is left";
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const auto& s) { return s.second.sink == "second"; }))
        << "the program plays on the sink that is left";
}

}  // namespace
