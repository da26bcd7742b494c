// The built program on a real sound server (a private PulseAudio or PipeWire with null
// sinks, heard through their monitors), run headless from a folder of its own with an
// auto-demo script and no OpenAL Soft settings file: its sound arrives on the default sink
// and swings with the horizontal circle, a change of clip goes on in the same stream, a
// headphones output is binaural, the sound follows the default output while it plays, goes
// on on what is left when its output disappears, and comes back by itself after the server
// was restarted.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/sound_server.h"
#include "tests/tools/synth/clip_analysis.h"

namespace fs = std::filesystem;

namespace {

using namespace sound_testing;
using std::chrono::milliseconds;
using Seconds = std::chrono::duration<double>;

constexpr const char* kStereoMap = "front-left,front-right";
constexpr double kAudible = 0.003;  // RMS, full scale 1: far above a null sink's silence (0)

// The executable and its clips in a folder of the test's own, removed afterwards; it is also
// the player's home, so no settings of the user's reach it.
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

// One step of the horizontal circle with the loop, for the given time.
std::string CircleScript(int milliseconds) {
    return "[Counter]\nDemoCounter=1\nDemoLoop=FALSE\n[AutoDemo1]\nTimer=" + std::to_string(milliseconds) +
           "\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n";
}

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

// One channel of a recording between two moments, full scale 1.
std::vector<double> Channel(const MonitorRecording& r, const std::vector<std::int16_t>& pcm, int channel,
                            Clock::time_point from, Clock::time_point to) {
    std::vector<double> out;
    const std::size_t frames = pcm.size() / r.Channels();
    for (std::size_t f = r.FrameAt(from); f < std::min(r.FrameAt(to), frames); ++f)
        out.push_back(pcm[f * r.Channels() + channel] / 32768.0);
    return out;
}

double Level(const std::vector<double>& x) { return x.empty() ? 0.0 : Rms(x, 0, x.size()); }

double Level(const MonitorRecording& r, const std::vector<std::int16_t>& pcm, Clock::time_point from,
             Clock::time_point to) {
    double sum = 0;
    for (int c = 0; c < r.Channels(); ++c) sum += std::pow(Level(Channel(r, pcm, c, from, to)), 2);
    return std::sqrt(sum / r.Channels());
}

double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-12)); }

// Power between 8 and 16 kHz, where the ears tell front from behind.
double HighBandPower(const std::vector<double>& x, int rate) {
    constexpr std::size_t kBlock = 1024;
    const std::vector<double> spectrum = AverageSpectrum(x, kBlock);
    double band = 0;
    for (std::size_t i = 0; i < spectrum.size(); ++i) {
        const double hz = static_cast<double>(i) * rate / kBlock;
        if (hz >= 8000 && hz < 16000) band += spectrum[i];
    }
    return band;
}

// The first moment after `after` that a 50 ms stretch can be heard; nullopt when none is.
std::optional<Clock::time_point> FirstSound(const MonitorRecording& r, const std::vector<std::int16_t>& pcm,
                                            Clock::time_point after = {}) {
    const auto window = milliseconds(50);
    const Clock::time_point end = r.TimeOf(pcm.size() / r.Channels());
    for (Clock::time_point t = std::max(after, r.Begin()); t + window <= end; t += window) {
        if (Level(r, pcm, t, t + window) > kAudible) return t;
    }
    return std::nullopt;
}

// Whether the sound fades in or out where it starts or stops near a moment, instead of
// being cut: the 5 ms at its edge are far below the sound 30 ms inside it.
void ExpectFadedEdge(const MonitorRecording& r, const std::vector<std::int16_t>& pcm, Clock::time_point near,
                     bool starts, const char* what) {
    const auto ms = milliseconds(1);
    const auto heard = [&](Clock::time_point t) { return Level(r, pcm, t, t + ms) > kAudible / 10; };
    Clock::time_point edge = near;  // to the millisecond
    if (starts) {
        for (edge = near - milliseconds(100); edge < near + milliseconds(100) && !heard(edge);) edge += ms;
    } else {
        for (edge = near + milliseconds(100); edge > near - milliseconds(100) && !heard(edge - ms);) edge -= ms;
    }
    const auto five = milliseconds(5), ten = milliseconds(10), thirty = milliseconds(30);
    const double rim = starts ? Level(r, pcm, edge, edge + five) : Level(r, pcm, edge - five, edge);
    const double body = starts ? Level(r, pcm, edge + thirty, edge + thirty + ten)
                               : Level(r, pcm, edge - thirty - ten, edge - thirty);
    EXPECT_LT(rim, 0.5 * body) << what << ": the sound is cut instead of faded (edge " << rim << ", body " << body << ")";
}

// The last moment before `before` that the sound on a recording can be heard, to 5 ms.
Clock::time_point LastSound(const MonitorRecording& r, const std::vector<std::int16_t>& pcm, Clock::time_point before) {
    const auto window = milliseconds(5);
    for (Clock::time_point t = before - window; t > r.Begin(); t -= window) {
        if (Level(r, pcm, t, t + window) > kAudible / 10) return t + window;
    }
    return r.Begin();
}

// The program's streams as listed now and then while it runs: index to what was seen,
// and when it was first and last listed.
struct Seen {
    SinkInput input;
    Clock::time_point first;
    Clock::time_point last;
};
using Listings = std::map<unsigned, Seen>;

void Note(SoundServer& server, long pid, Listings* seen) {
    const Clock::time_point now = Clock::now();
    for (const SinkInput& input : server.SinkInputs()) {
        if (input.pid != pid) continue;
        auto [it, added] = seen->try_emplace(input.index, Seen{input, now, now});
        it->second.input = input;
        it->second.last = now;
    }
}

// Lists the program's streams until it ends or `until` holds; its exit status, or -1
// after the time-out (or while it still runs).
template <typename Until>
int WaitListing(test_support::ChildProcess& player, SoundServer& server, Listings* seen, double timeoutS,
                Until until) {
    const auto deadline = Clock::now() + Seconds(timeoutS);
    for (;;) {
        Note(server, player.Pid(), seen);
        if (auto status = player.Wait(milliseconds(100))) return *status;
        if (until()) return -1;
        if (Clock::now() > deadline) {
            player.Stop(SIGKILL, milliseconds(0));
            return -1;
        }
    }
}
int WaitListing(test_support::ChildProcess& player, SoundServer& server, Listings* seen, double timeoutS) {
    return WaitListing(player, server, seen, timeoutS, [] { return false; });
}

// At no moment were two streams of the program listed together.
void ExpectOneStreamAtATime(const Listings& seen) {
    for (const auto& [a, first] : seen) {
        for (const auto& [b, second] : seen) {
            if (a < b)
                EXPECT_TRUE(first.last < second.first || second.last < first.first)
                    << "streams #" << a << " and #" << b << " were listed together";
        }
    }
}

class SoundServerTest : public ::testing::TestWithParam<ServerKind> {
protected:
    void SetUp() override {
        server = std::make_unique<SoundServer>(GetParam());
        if (!server->Running())
            GTEST_SKIP() << "no " << NameOf(GetParam()) << " server for this test: " << server->Failure();
    }
    std::unique_ptr<SoundServer> server;
};

TEST_P(SoundServerTest, SoundPansWithTheCircleAndAChangeOfClipStaysInOneStream) {
    ASSERT_GE(server->LoadNullSink("speakers", 2, kStereoMap), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("speakers")) << server->LastError();
    Scratch scratch("server_pan");
    // The circle starts in front and turns right first: hard right a quarter of its
    // 15 s turn in, hard left three quarters in. Then another clip, on the same path.
    scratch.Write("e2e.ini",
                  "[Counter]\nDemoCounter=2\nDemoLoop=FALSE\n"
                  "[AutoDemo1]\nTimer=12500\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n"
                  "[AutoDemo2]\nTimer=3000\nSoundSource=Drums\nEnableEffects=FALSE\n");

    auto recording = server->RecordMonitor("speakers", 2);
    ASSERT_NE(recording, nullptr) << server->LastError();
    auto player = StartPlayer(scratch, *server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();
    Listings seen;
    ASSERT_EQ(WaitListing(*player, *server, &seen, 35), 0);

    const std::vector<std::int16_t>& pcm = recording->Finish();
    const auto first = FirstSound(*recording, pcm);
    ASSERT_TRUE(first) << "nothing was heard on the default sink";

    // Left/right balance in quarter seconds over the first step. The hard sides last a
    // while; each is placed at the middle of its stretch.
    std::vector<std::pair<double, double>> balances;  // seconds from the first sound, balance
    for (double s = 0; s + 0.25 <= 12.5; s += 0.25) {
        const auto from = *first + std::chrono::duration_cast<Clock::duration>(Seconds(s));
        const auto to = from + milliseconds(250);
        const double l = Level(Channel(*recording, pcm, 0, from, to)), r = Level(Channel(*recording, pcm, 1, from, to));
        if (l + r > kAudible) balances.emplace_back(s, (r - l) / (r + l));
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

    // The change of clip goes on in the stream that played the first one.
    std::vector<SinkInput> open;
    for (const auto& [index, s] : seen) {
        if (s.last > *first + milliseconds(250)) open.push_back(s.input);
    }
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open.front().sink, "speakers");
}

// With no settings file anywhere, an output that says it is headphones gets binaural
// sound: the far ear stays close to the near one all round the circle, and front and
// behind sound different. The sound then follows the default to speakers, in a second,
// without a cut, in one stream at a time, and there it is plain stereo.
TEST_P(SoundServerTest, HeadphonesAreBinauralAndTheSoundFollowsTheDefaultToSpeakers) {
    ASSERT_GE(server->LoadNullSink("phones", 2, kStereoMap, "device.form_factor=headphones"), 0) << server->LastError();
    ASSERT_GE(server->LoadNullSink("speakers", 2, kStereoMap), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("phones")) << server->LastError();
    Scratch scratch("server_phones");
    scratch.Write("e2e.ini", CircleScript(21000));
    auto onPhones = server->RecordMonitor("phones", 2);
    auto onSpeakers = server->RecordMonitor("speakers", 2);
    ASSERT_TRUE(onPhones && onSpeakers) << server->LastError();
    auto player = StartPlayer(scratch, *server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();

    // One whole turn on the headphones, then the default changes.
    Listings seen;
    WaitListing(*player, *server, &seen, 15, [&] { return !seen.empty(); });
    ASSERT_TRUE(player->Running()) << "the program opened no stream";
    std::this_thread::sleep_for(Seconds(15.6) - (Clock::now() - seen.begin()->second.first));
    const Clock::time_point asked = Clock::now();
    ASSERT_TRUE(server->SetDefaultSink("speakers")) << server->LastError();
    ASSERT_EQ(WaitListing(*player, *server, &seen, 20), 0);

    const std::vector<std::int16_t>& phones = onPhones->Finish();
    const std::vector<std::int16_t>& speakers = onSpeakers->Finish();
    const int rate = onPhones->Rate();
    const auto first = FirstSound(*onPhones, phones);
    ASSERT_TRUE(first) << "nothing was heard on the headphones";
    const auto at = [&](double s) { return *first + std::chrono::duration_cast<Clock::duration>(Seconds(s)); };

    double farthest = 0;  // the far ear against the near one, the worst of the turn, in dB
    for (double s = 0.5; s + 0.25 <= 15.0; s += 0.25) {
        const double l = Level(Channel(*onPhones, phones, 0, at(s), at(s + 0.25)));
        const double r = Level(Channel(*onPhones, phones, 1, at(s), at(s + 0.25)));
        farthest = std::min(farthest, Db(std::min(l, r) / std::max(l, r)));
    }
    EXPECT_GT(farthest, -30.0) << "the far ear falls silent: no binaural rendering";
    // The circle is in front at its start and end, behind half a turn in.
    const auto band = [&](double from, double to) {
        return HighBandPower(Channel(*onPhones, phones, 0, at(from), at(to)), rate) +
               HighBandPower(Channel(*onPhones, phones, 1, at(from), at(to)), rate);
    };
    const double frontBehind = 10.0 * std::log10(band(14.2, 15.0) / band(7.1, 7.9));

    const auto moved = FirstSound(*onSpeakers, speakers, asked - milliseconds(200));
    ASSERT_TRUE(moved) << "the sound did not follow the default output";
    const double followSeconds = Seconds(*moved - asked).count();
    EXPECT_LT(followSeconds, 1.0);
    const Clock::time_point left = LastSound(*onPhones, phones, *moved + milliseconds(500));
    ExpectFadedEdge(*onPhones, phones, left, false, "leaving the headphones");
    ExpectFadedEdge(*onSpeakers, speakers, *moved, true, "arriving on the speakers");
    ExpectOneStreamAtATime(seen);

    // On the speakers, hard right a quarter into the next turn: the left ear is silent.
    const double l = Level(Channel(*onSpeakers, speakers, 0, at(18.5), at(19.0)));
    const double r = Level(Channel(*onSpeakers, speakers, 1, at(18.5), at(19.0)));
    const double speakerFar = Db(l / r);
    EXPECT_LT(speakerFar, -40.0) << "speakers get binaural sound";
    std::printf("[ %s ] far ear on headphones %.1f dB, on speakers %.1f dB; front vs behind 8-16 kHz %.1f dB; "
                "followed the default in %.2f s\n",
                NameOf(GetParam()), farthest, speakerFar, frontBehind, followSeconds);
}

TEST_P(SoundServerTest, WhenItsSinkIsRemovedTheSoundGoesOnOnTheSinkLeft) {
    const int first = server->LoadNullSink("first", 2, kStereoMap);
    ASSERT_GE(first, 0) << server->LastError();
    ASSERT_GE(server->LoadNullSink("second", 2, kStereoMap), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("first")) << server->LastError();
    Scratch scratch("server_loss");
    scratch.Write("e2e.ini", CircleScript(7000));
    auto onSecond = server->RecordMonitor("second", 2);
    ASSERT_NE(onSecond, nullptr) << server->LastError();
    auto player = StartPlayer(scratch, *server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();

    Listings seen;
    WaitListing(*player, *server, &seen, 10, [&] {
        return std::any_of(seen.begin(), seen.end(), [](const auto& s) { return s.second.input.sink == "first"; });
    });
    ASSERT_TRUE(player->Running()) << "the program opened no stream on the default sink";
    std::this_thread::sleep_for(milliseconds(2000));
    ASSERT_TRUE(server->UnloadModule(first)) << server->LastError();
    const Clock::time_point removed = Clock::now();
    ASSERT_EQ(WaitListing(*player, *server, &seen, 15), 0);

    const std::vector<std::int16_t>& pcm = onSecond->Finish();
    EXPECT_LT(Level(*onSecond, pcm, onSecond->Begin(), removed - milliseconds(100)), 1e-4)
        << "before the removal the sound went to the default sink only";
    const auto back = FirstSound(*onSecond, pcm, removed);
    ASSERT_TRUE(back) << "the sound did not go on on the sink that is left";
    EXPECT_LT(Seconds(*back - removed).count(), 1.5);
    EXPECT_GT(Level(*onSecond, pcm, *back + milliseconds(200), *back + milliseconds(2000)), kAudible);
}

TEST_P(SoundServerTest, AfterTheServerRestartsTheSoundComesBackByItself) {
    ASSERT_GE(server->LoadNullSink("speakers", 2, kStereoMap), 0) << server->LastError();
    ASSERT_TRUE(server->SetDefaultSink("speakers")) << server->LastError();
    Scratch scratch("server_restart");
    scratch.Write("e2e.ini", CircleScript(10000));
    auto player = StartPlayer(scratch, *server, "e2e.ini");
    ASSERT_TRUE(player->Started()) << player->Error();
    Listings seen;
    WaitListing(*player, *server, &seen, 10, [&] { return !seen.empty(); });
    ASSERT_TRUE(player->Running()) << "the program opened no stream";
    std::this_thread::sleep_for(milliseconds(2000));

    ASSERT_TRUE(server->Restart(milliseconds(1000))) << server->LastError();
    const Clock::time_point back = Clock::now();
    auto recording = server->RecordMonitor("speakers", 2);
    ASSERT_NE(recording, nullptr) << server->LastError();
    ASSERT_EQ(WaitListing(*player, *server, &seen, 15), 0);

    const std::vector<std::int16_t>& pcm = recording->Finish();
    const auto heard = FirstSound(*recording, pcm);
    ASSERT_TRUE(heard) << "the sound did not come back after the server's return";
    const double seconds = std::max(0.0, Seconds(*heard - back).count());
    EXPECT_LT(seconds, 2.0);
    std::printf("[ %s ] sound back %.2f s after the server's return\n", NameOf(GetParam()), seconds);
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServerTest, ::testing::Values(ServerKind::PulseAudio, ServerKind::PipeWire),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

}  // namespace
