// The built program on a real sound server (a private PulseAudio or PipeWire with null
// sinks, heard through their monitors), run headless from a folder of its own with an
// auto-demo script and no OpenAL Soft settings file: its sound swings with the horizontal
// circle, a change of clip stays in one stream, headphones are binaural, the sound follows
// the default output, goes on when its sink is removed or the server restarts, and a server
// that does not answer holds up neither start nor exit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/cannot_run.h"
#include "tests/support/child_process.h"
#include "tests/support/sound_server.h"

namespace fs = std::filesystem;

namespace {

using namespace sound_testing;
using std::chrono::milliseconds;
using Seconds = std::chrono::duration<double>;

constexpr const char* kStereoMap = "front-left,front-right";
constexpr double kAudible = 0.003;  // RMS, full scale 1: far above a null sink's silence (0)

// The executable and its clips in a folder of the test's own, removed afterwards; it is the
// player's home too, so no settings of the user's reach it.
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

std::unique_ptr<test_support::ChildProcess> StartPlayer(const Scratch& scratch, const SoundServer& server,
                                                       const std::string& script) {
    test_support::ChildOptions options;
    options.environment = server.ClientEnvironment();
    options.environment.push_back("QT_QPA_PLATFORM=offscreen");
    options.environment.push_back("ALSOFT_DRIVERS=pulse");
    options.environment.push_back("HOME=" + scratch.Dir().string());
    options.environment.push_back("XDG_CONFIG_HOME=" + scratch.Dir().string());
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

// The first frame of the first 50 ms from `from` on that can be heard; npos when nothing can.
std::size_t FirstSound(const std::vector<std::int16_t>& pcm, int channels, int rate, std::size_t from = 0) {
    const std::size_t window = static_cast<std::size_t>(rate) / 20;
    for (std::size_t f = from; f + window <= pcm.size() / channels; f += window) {
        if (Level(pcm, channels, f, f + window) > kAudible) return f;
    }
    return std::string::npos;
}

Clock::time_point TimeOf(const MonitorRecording& recording, std::size_t frame) {
    return recording.Begin() + std::chrono::duration_cast<Clock::duration>(Seconds(double(frame) / recording.Rate()));
}

double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-12)); }

// Where a sound starts or stops near a frame, it fades: its first or last 5 ms lie far below
// the sound 30 ms inside it. A cut keeps the level to the edge: a click.
void ExpectFadedEdge(const std::vector<std::int16_t>& pcm, int rate, std::size_t near, bool starts, const char* what) {
    const std::size_t ms = rate / 1000;
    const auto heard = [&](std::size_t f) { return Level(pcm, 2, f, f + ms) > kAudible / 10; };
    std::size_t edge = near > 100 * ms ? near - 100 * ms : 0;  // to the millisecond
    if (starts) {
        while (edge < near + 100 * ms && !heard(edge)) edge += ms;
    } else {
        for (edge = near + 100 * ms; edge > 100 * ms && !heard(edge - ms);) edge -= ms;
    }
    const double rim = starts ? Level(pcm, 2, edge, edge + 5 * ms) : Level(pcm, 2, edge - 5 * ms, edge);
    const double body = starts ? Level(pcm, 2, edge + 30 * ms, edge + 40 * ms) : Level(pcm, 2, edge - 40 * ms, edge - 30 * ms);
    EXPECT_LT(rim, 0.5 * body) << what << ": the sound is cut (edge " << rim << ", body " << body << ")";
}

// The program's streams as listed now and then while it runs: index to what was seen,
// and when it was last listed.
struct Seen {
    SinkInput input;
    Clock::time_point last;
};
using Listings = std::map<unsigned, Seen>;

void Note(SoundServer& server, long pid, Listings* seen) {
    const Clock::time_point now = Clock::now();
    for (const SinkInput& input : server.SinkInputs()) {
        if (input.pid == pid) (*seen)[input.index] = {input, now};
    }
}

// Lists the program's streams until it ends; its exit status, or -1 after the time-out.
int WaitListing(test_support::ChildProcess& player, SoundServer& server, Listings* seen, double timeoutS) {
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

// A script of one step: the loop on the horizontal circle for the given time.
std::string CircleScript(int milliseconds) {
    return "[Counter]\nDemoCounter=1\nDemoLoop=FALSE\n[AutoDemo1]\nTimer=" + std::to_string(milliseconds) +
           "\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n";
}

// Lists the program's streams until one shows; false when none did in 10 s.
bool WaitForStream(SoundServer& server, test_support::ChildProcess& player, Listings* seen) {
    for (const auto start = Clock::now(); seen->empty(); Note(server, player.Pid(), seen)) {
        if (Clock::now() - start > Seconds(10)) return false;
    }
    return true;
}

std::string Describe(const Listings& streams, Clock::time_point zero) {
    std::ostringstream text;
    for (const auto& [index, s] : streams)
        text << "\n  #" << index << " on " << s.input.sink << ", last listed at " << Seconds(s.last - zero).count() << " s";
    return text.str();
}

// Each test on a server of its own, of each kind.
class SoundServerTest : public ::testing::TestWithParam<ServerKind> {
protected:
    void SetUp() override {
        m_server = std::make_unique<SoundServer>(GetParam());
        if (!m_server->Running())
            test_support::CannotRunHere(std::string("no ") + NameOf(GetParam()) + " server: " + m_server->Failure());
    }
    SoundServer& Server() { return *m_server; }

private:
    std::unique_ptr<SoundServer> m_server;
};

TEST_P(SoundServerTest, SoundPansWithTheCircleAndAChangeOfClipStaysInOneStream) {
    SoundServer& server = Server();
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
    auto player = StartPlayer(scratch, server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();
    Listings seen;
    const int status = WaitListing(*player, server, &seen, 35);
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

    // Every stream of the program listed from a moment after the first sound to the end:
    // one, on the default sink. (A stream opened anew for the second clip would be listed
    // through the rest of the run.)
    const Clock::time_point settled = firstHeard + milliseconds(250);
    std::vector<SinkInput> open;
    for (const auto& [index, s] : seen) {
        if (s.last > settled) open.push_back(s.input);
    }
    ASSERT_EQ(open.size(), 1u) << "the program's streams, in seconds from the first sound:" << Describe(seen, firstHeard);
    EXPECT_EQ(open.front().sink, "speakers");
}

// The sound survives losing its output: its sink removed, it goes on on the sink left; the
// server killed and back a second later, it comes back by itself.
TEST_P(SoundServerTest, WhenItsSinkIsRemovedOrTheServerRestartsTheSoundGoesOn) {
    SoundServer& server = Server();
    const int first = server.LoadNullSink("first", 2, kStereoMap);
    ASSERT_GE(first, 0) << server.LastError();
    ASSERT_GE(server.LoadNullSink("second", 2, kStereoMap), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("first")) << server.LastError();
    Scratch scratch("server_loss");
    scratch.Write("e2e.ini",
                  "[Counter]\nDemoCounter=3\nDemoLoop=FALSE\n"
                  "[AutoDemo1]\nTimer=4000\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n"
                  "[AutoDemo2]\nTimer=3500\nSoundSource=Drums\nEnableEffects=FALSE\n"
                  "[AutoDemo3]\nTimer=5000\nSoundSource=Loopy\n");

    auto onFirst = server.RecordMonitor("first", 2);
    ASSERT_NE(onFirst, nullptr) << server.LastError();
    auto onSecond = server.RecordMonitor("second", 2);
    ASSERT_NE(onSecond, nullptr) << server.LastError();
    auto player = StartPlayer(scratch, server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();

    // Mid-way through the first step, once it has played on "first" for a while.
    Listings before;
    const auto giveUp = Clock::now() + Seconds(10);
    while (std::none_of(before.begin(), before.end(), [](const auto& s) { return s.second.input.sink == "first"; })) {
        ASSERT_LT(Clock::now(), giveUp) << "the program opened no stream on the default sink";
        ASSERT_TRUE(player->Running());
        Note(server, player->Pid(), &before);
        std::this_thread::sleep_for(milliseconds(50));
    }
    std::this_thread::sleep_for(milliseconds(1500));
    ASSERT_TRUE(server.UnloadModule(first)) << server.LastError();
    const Clock::time_point removed = Clock::now();
    Listings after;
    for (const auto third = removed + Seconds(6.5); Clock::now() < third; std::this_thread::sleep_for(milliseconds(100)))
        Note(server, player->Pid(), &after);
    // In the third step, the server is killed; its sinks come back with it ("first" too).
    const Clock::time_point startedAgain = Clock::now() + milliseconds(1000);
    ASSERT_TRUE(server.Restart(milliseconds(1000))) << server.LastError();
    // A new null sink's monitor delivers nothing for its first two seconds, so when the
    // sound came back is told by its stream, and that it is heard by the recording.
    Listings again;
    ASSERT_TRUE(WaitForStream(server, *player, &again)) << "the program opened no stream on the restarted server";
    const double returned = Seconds(again.begin()->second.last - startedAgain).count();
    EXPECT_LT(returned, 2.0);
    auto restarted = server.RecordMonitor("first", 2);
    ASSERT_NE(restarted, nullptr) << server.LastError();
    ASSERT_EQ(WaitListing(*player, server, &again, 15), 0);
    EXPECT_NE(FirstSound(restarted->Finish(), 2, restarted->Rate()), std::string::npos) << "not heard after the restart";
    std::printf("[ %s ] sound back %.2f s after the server's return\n", NameOf(GetParam()), returned);

    const std::vector<std::int16_t>& pcmFirst = onFirst->Finish();
    const std::vector<std::int16_t>& pcmSecond = onSecond->Finish();
    const int rate = onFirst->Rate();
    const std::size_t start = FirstSound(pcmFirst, 2, rate);
    ASSERT_NE(start, std::string::npos) << "nothing was heard on the default sink";
    const Clock::time_point stepOne = TimeOf(*onFirst, start);
    ASSERT_LT(stepOne, removed);

    EXPECT_LT(Level(pcmSecond, 2, onSecond->FrameAt(stepOne), onSecond->FrameAt(removed - milliseconds(100))), 1e-4)
        << "before the removal the sound went to the default sink only";
    const std::size_t goesOn = FirstSound(pcmSecond, 2, rate, onSecond->FrameAt(removed));
    ASSERT_NE(goesOn, std::string::npos);
    EXPECT_LT(Seconds(TimeOf(*onSecond, goesOn) - removed).count(), 1.5) << "the sound goes on on the sink left";
    // The second step, which plays again, 4 s after the first began.
    const double level = Level(pcmSecond, 2, onSecond->FrameAt(stepOne + milliseconds(4500)),
                               onSecond->FrameAt(stepOne + milliseconds(7000)));
    EXPECT_GT(level, kAudible) << "the next step is heard on the sink that is left";
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const auto& s) { return s.second.input.sink == "second"; }))
        << "the program plays on the sink that is left";
}

// With no settings file anywhere, an output that says it is headphones gets binaural sound:
// the far ear stays close to the near one all round the circle. The sound then follows the
// default to speakers within a second, faded out and in, in one stream, and there it is
// plain stereo: hard right, the left ear is silent.
TEST_P(SoundServerTest, HeadphonesAreBinauralAndTheSoundFollowsTheDefaultToSpeakers) {
    SoundServer& server = Server();
    ASSERT_GE(server.LoadNullSink("phones", 2, kStereoMap, "device.form_factor=headphones"), 0) << server.LastError();
    ASSERT_GE(server.LoadNullSink("speakers", 2, kStereoMap), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("phones")) << server.LastError();
    Scratch scratch("server_phones");
    scratch.Write("e2e.ini", CircleScript(21000));
    auto onPhones = server.RecordMonitor("phones", 2);
    auto onSpeakers = server.RecordMonitor("speakers", 2);
    ASSERT_TRUE(onPhones && onSpeakers) << server.LastError();
    auto player = StartPlayer(scratch, server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();
    Listings seen;
    ASSERT_TRUE(WaitForStream(server, *player, &seen)) << "the program opened no stream";
    // A whole turn on the headphones, then the default changes.
    std::this_thread::sleep_for(Seconds(15.6));
    const Clock::time_point asked = Clock::now();
    ASSERT_TRUE(server.SetDefaultSink("speakers")) << server.LastError();
    ASSERT_EQ(WaitListing(*player, server, &seen, 20), 0);

    const std::vector<std::int16_t>& phones = onPhones->Finish();
    const std::vector<std::int16_t>& speakers = onSpeakers->Finish();
    const int rate = onPhones->Rate();
    const std::size_t first = FirstSound(phones, 2, rate);
    ASSERT_NE(first, std::string::npos) << "nothing was heard on the headphones";
    const auto at = [&](const MonitorRecording& r, double s) {
        return r.FrameAt(TimeOf(*onPhones, first) + std::chrono::duration_cast<Clock::duration>(Seconds(s)));
    };
    double farEar = 0;  // the worst of the turn, against the near ear
    for (double s = 0.5; s < 15.0; s += 0.25) {
        const double l = Level(phones, 2, 0, at(*onPhones, s), at(*onPhones, s + 0.25));
        const double r = Level(phones, 2, 1, at(*onPhones, s), at(*onPhones, s + 0.25));
        farEar = std::min(farEar, Db(std::min(l, r) / std::max(l, r)));
    }
    EXPECT_GT(farEar, -30.0) << "the far ear falls silent: no binaural sound";

    const std::size_t moved = FirstSound(speakers, 2, rate, onSpeakers->FrameAt(asked - milliseconds(200)));
    ASSERT_NE(moved, std::string::npos) << "the sound did not follow the default output";
    const double followed = Seconds(TimeOf(*onSpeakers, moved) - asked).count();
    EXPECT_LT(followed, 1.0);
    ExpectFadedEdge(speakers, rate, moved, true, "arriving on the speakers");
    ExpectFadedEdge(phones, rate, onPhones->FrameAt(TimeOf(*onSpeakers, moved)), false, "leaving the headphones");
    std::vector<SinkInput> open;
    for (const auto& [index, s] : seen) {
        if (s.last > TimeOf(*onSpeakers, moved) + milliseconds(250)) open.push_back(s.input);
    }
    ASSERT_EQ(open.size(), 1u) << "the program's streams:" << Describe(seen, asked);
    EXPECT_EQ(open.front().sink, "speakers");
    const double speakerFarEar = Db(Level(speakers, 2, 0, at(*onSpeakers, 18.5), at(*onSpeakers, 19.0)) /
                                    Level(speakers, 2, 1, at(*onSpeakers, 18.5), at(*onSpeakers, 19.0)));
    EXPECT_LT(speakerFarEar, -40.0) << "speakers got binaural sound";
    std::printf("[ %s ] far ear %.1f dB on headphones, %.1f dB on speakers; followed in %.2f s\n", NameOf(GetParam()),
                farEar, speakerFarEar, followed);
}

// A server that does not answer holds the program up neither at start (its sound comes
// when the server answers) nor at exit (the process ends; the server cleans up after it).
TEST_P(SoundServerTest, AServerThatDoesNotAnswerHoldsUpNeitherStartNorExit) {
    SoundServer& server = Server();
    ASSERT_GE(server.LoadNullSink("speakers", 2, kStereoMap), 0) << server.LastError();
    ASSERT_TRUE(server.SetDefaultSink("speakers")) << server.LastError();
    Scratch scratch("server_hung");
    scratch.Write("e2e.ini", CircleScript(30000));
    server.Freeze();
    auto player = StartPlayer(scratch, server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    server.Thaw();
    Listings seen;
    ASSERT_TRUE(WaitForStream(server, *player, &seen)) << "no sound once the server answered";
    auto recording = server.RecordMonitor("speakers", 2);
    ASSERT_NE(recording, nullptr) << server.LastError();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_NE(FirstSound(recording->Finish(), 2, recording->Rate()), std::string::npos) << "not heard";
    server.Freeze();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto asked = Clock::now();
    player->Signal(SIGTERM);
    const std::optional<int> status = player->Wait(milliseconds(3000));
    const double took = Seconds(Clock::now() - asked).count();
    server.Thaw();
    ASSERT_TRUE(status.has_value()) << "still running 3 s after it was asked to end";
    EXPECT_EQ(*status, 0);
    std::printf("[ %s ] ended %.2f s after it was asked, its server not answering\n", NameOf(GetParam()), took);
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServerTest, ::testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

}  // namespace
