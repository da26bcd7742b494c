// The built program among the desktop's own tools, on a private session bus and a
// virtual X screen: "Open with" plays the file, a second start hands its files over and
// leaves, the desktop's player controls (playerctl, over MPRIS) play, stop and skip -
// heard in what OpenAL Soft's wave writer recorded - the metadata follows a click on a
// source, and an auto-demo shows its steps while it ignores the controls.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::string Player(const std::string& what) { return Output("playerctl -p zor3dplayer " + what); }

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (; std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms))
        if (condition()) return true;
    return condition();
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What 100 ms of the left channel of a 16-bit stereo recording at 44.1 kHz holds:
// 's' silence, 'A' the first tone, 'B' the second, '?' anything else.
std::string Classify(const std::string& wav, double hzA, double hzB) {
    const std::size_t data = wav.find("data");
    if (data == std::string::npos) return "";
    std::string classes;
    constexpr std::size_t kWindow = 4410;
    for (std::size_t at = data + 8; at + kWindow * 4 <= wav.size(); at += kWindow * 4) {
        double energy = 0;
        int crossings = 0;
        short last = 0;
        for (std::size_t i = 0; i < kWindow; ++i) {
            short left;
            std::memcpy(&left, wav.data() + at + i * 4, sizeof left);
            energy += static_cast<double>(left) * left;
            if (i > 0 && last < 0 && left >= 0) ++crossings;
            last = left;
        }
        const double rms = std::sqrt(energy / kWindow) / 32768.0;
        const double hz = crossings * 10.0;
        classes += rms < 1e-3 ? 's' : std::fabs(hz - hzA) < 30 ? 'A' : std::fabs(hz - hzB) < 30 ? 'B' : '?';
    }
    return classes;
}

class DesktopEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS") || !std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a session bus and an X screen (dbus-run-session, xvfb-run)";
        for (const char* tool : {"playerctl", "sox", "xdotool", "dbus-send"})
            if (test_support::FindOnPath(tool).empty()) GTEST_SKIP() << tool << " is not installed (tools/bootstrap.sh --tests)";
        dir = fs::temp_directory_path() / ("zor_desktop_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "home");
        fs::copy_file(ZOR_EXECUTABLE, dir / "zor3dplayer");
        fs::copy(ZOR_MUSIC_DIR, dir / "MUSIC", fs::copy_options::recursive);
        std::ofstream(dir / "alsoft.conf") << "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\n"
                                              "frequency=44100\nhrtf=false\n[wave]\nfile=" << (dir / "out.wav").string() << "\n";
        for (const auto& [name, hz] : {std::pair<const char*, int>{"tone.flac", 1000}, {"tone2.flac", 1500}})
            ASSERT_EQ(std::system(("sox -n -r 44100 -c 1 -b 16 " + (dir / name).string() + " synth 2 sine " +
                                   std::to_string(hz) + " vol 0.5").c_str()), 0);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<test_support::ChildProcess> Start(const std::vector<std::string>& args, const char* log) {
        test_support::ChildOptions options;
        options.directory = dir.string();
        options.environment = {"QT_QPA_PLATFORM=xcb", "ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + (dir / "alsoft.conf").string(),
                               "HOME=" + (dir / "home").string(), "XDG_CONFIG_HOME=" + (dir / "home").string(),
                               "XDG_DATA_HOME=" + (dir / "home").string()};
        options.outputFd = ::open((dir / log).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::vector<std::string> argv{(dir / "zor3dplayer").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        auto child = std::make_unique<test_support::ChildProcess>(argv, options);
        ::close(options.outputFd);
        return child;
    }

    fs::path dir;
};

TEST_F(DesktopEndToEnd, OpenWithSecondStartAndThePlayerControls) {
    auto player = Start({"tone.flac", "no-such-song.xyz"}, "first.log");
    ASSERT_TRUE(Eventually([] { return Player("status") == "Playing"; })) << "open with plays the file";
    EXPECT_EQ(Player("metadata xesam:title"), "tone");
    EXPECT_NE(ReadAll(dir / "first.log").find("no-such-song.xyz"), std::string::npos) << "a wrong argument is named";

    // Every title the desktop is told of, as it is told (PropertiesChanged).
    test_support::ChildOptions follow;
    follow.outputFd = ::open((dir / "titles.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    test_support::ChildProcess titles({"playerctl", "-p", "zor3dplayer", "--follow", "metadata", "xesam:title"}, follow);
    ::close(follow.outputFd);

    const auto before = std::chrono::steady_clock::now();
    auto second = Start({"tone2.flac", "tone.flac"}, "second.log");
    EXPECT_EQ(second->Wait(10s), std::optional<int>(0)) << "the second start hands over and leaves";
    std::cout << "hand-over took "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count() << " s\n";
    ASSERT_TRUE(Eventually([] { return Player("metadata xesam:title") == "tone2"; }));
    EXPECT_EQ(Player("status"), "Playing");

    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(std::system("playerctl -p zor3dplayer stop"), 0);
    ASSERT_TRUE(Eventually([] { return Player("status") == "Stopped"; }));
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(std::system("playerctl -p zor3dplayer play"), 0);
    ASSERT_TRUE(Eventually([] { return Player("status") == "Playing"; }));
    std::this_thread::sleep_for(1500ms);
    // After the two custom files comes the first clip.
    ASSERT_EQ(std::system("playerctl -p zor3dplayer next"), 0);
    ASSERT_TRUE(Eventually([] { return Player("metadata xesam:title") == "Loopy music"; }));
    std::this_thread::sleep_for(1500ms);

    // A click on Drums (the second source button) in the window.
    const std::string window = Output("xdotool search --sync --limit 1 --name Zor3DPlayer");
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(std::system(("xdotool mousemove --window " + window + " 91 124 click 1").c_str()), 0);
    ASSERT_TRUE(Eventually([] { return Player("metadata xesam:title") == "Drums"; }));
    EXPECT_EQ(Player("metadata xesam:artist"), "Manual \xC2\xB7 No room");
    ASSERT_TRUE(Eventually([&] { return ReadAll(dir / "titles.log").find("Drums") != std::string::npos; }))
        << "the change was announced, not only there to be asked for";
    titles.Stop(SIGTERM, 1s);

    ASSERT_EQ(std::system("dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.zor3dplayer "
                          "/org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit"), 0);
    EXPECT_EQ(player->Wait(15s), std::optional<int>(0));

    // Heard, in 100 ms steps: the first file, the second one handed over, the stop (1.5 s
    // of silence), play again, then the next source, which is no tone.
    const std::string heard = Classify(ReadAll(dir / "out.wav"), 1000, 1500);
    // A step where one sound gives way to the next is neither ('?').
    EXPECT_TRUE(std::regex_search(heard, std::regex("A+[s?]{0,2}B+[s?]{0,2}s{10,}[s?]{0,2}B+[s?]{0,2}[?]{5,}"))) << heard;
}

TEST_F(DesktopEndToEnd, AnAutoDemoShowsItsStepsAndIgnoresTheControls) {
    std::ofstream(dir / "show.ini") << "[Counter]\nDemoCounter=1\nDemoLoop=TRUE\n[AutoDemo1]\nTimer=60000\n"
                                       "SoundSource=Drums\nMovingPath =Fly-by\nEnvironment=Hangar\nEnableEffects=TRUE\n";
    auto player = Start({"show.ini"}, "demo.log");
    ASSERT_TRUE(Eventually([] { return Player("metadata xesam:artist") == "Fly-by \xC2\xB7 Hangar"; }));
    EXPECT_EQ(Player("metadata xesam:title"), "Drums");
    EXPECT_EQ(Player("status"), "Playing");
    ASSERT_EQ(std::system("playerctl -p zor3dplayer stop"), 0);
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(Player("status"), "Playing");
    player->Stop(SIGTERM, 10s);
}

}  // namespace
