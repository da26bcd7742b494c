// The built program, run headless from a folder of its own with an auto-demo script named
// by its path and OpenAL Soft's wave writer: it must end on time, leave the user's choices
// in its settings file as they were, the sound it rendered must swing from right to left with the horizontal circle's
// 15 s turn, the whole run - a change of clip included - must be in one rendering, and the
// sound must fade out at the end instead of being cut.
#include <gtest/gtest.h>

#include "tests/platform/dsound/signal.h"
#include "tests/support/child_process.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::uint32_t Le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t Le16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

struct Rendered {
    int channels = 0;
    int rate = 0;
    std::vector<float> left;
    std::vector<float> right;
};

// 16-bit or float PCM, plain or extensible; a data size left unfinished means "to the end".
bool ParseWave(const std::string& b, Rendered* out) {
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
    std::size_t at = 12;
    int bits = 0;
    bool isFloat = false;
    while (at + 8 <= b.size()) {
        const std::string id = b.substr(at, 4);
        std::size_t size = Le32(b, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && body + 16 <= b.size()) {
            std::uint16_t tag = Le16(b, body);
            out->channels = Le16(b, body + 2);
            out->rate = static_cast<int>(Le32(b, body + 4));
            bits = Le16(b, body + 14);
            if (tag == 0xFFFE && body + 26 <= b.size()) tag = Le16(b, body + 24);
            isFloat = tag == 3;
        } else if (id == "data") {
            if (size == 0 || body + size > b.size()) size = b.size() - body;
            const int bytes = bits / 8;
            if (out->channels < 2 || (bytes != 2 && bytes != 4)) return false;
            const std::size_t frame = static_cast<std::size_t>(bytes) * out->channels;
            for (std::size_t f = body; f + frame <= body + size; f += frame) {
                float s[2];
                for (int c = 0; c < 2; ++c) {
                    const std::size_t p = f + static_cast<std::size_t>(c) * bytes;
                    if (isFloat) {
                        std::uint32_t raw = Le32(b, p);
                        std::memcpy(&s[c], &raw, 4);
                    } else {
                        s[c] = static_cast<std::int16_t>(Le16(b, p)) / 32768.0f;
                    }
                }
                out->left.push_back(s[0]);
                out->right.push_back(s[1]);
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

// Runs the program in dir with the given environment additions; the exit status (128 +
// the signal when one ended it), or -1 when it had to be killed after the time-out. With
// termAfterS it gets SIGTERM twice in quick succession after that many seconds, as
// senders that signal the whole process group (timeout, a desktop session) deliver it.
int RunProgram(const fs::path& dir, const std::vector<std::string>& env, const char* script, int timeoutS,
               double* seconds, double termAfterS = -1) {
    using std::chrono::milliseconds;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start); };
    test_support::ChildOptions options;
    options.environment = env;
    options.directory = dir.string();
    test_support::ChildProcess player({(dir / "zor3dplayer").string(), script}, options);
    if (!player.Started()) return 127;
    std::optional<int> status;
    if (termAfterS >= 0) {
        status = player.Wait(milliseconds(static_cast<int>(termAfterS * 1000)));
        if (!status) {
            player.Signal(SIGTERM);
            // Apart enough to arrive as two signals rather than merge into one.
            std::this_thread::sleep_for(milliseconds(20));
            player.Signal(SIGTERM);
        }
    }
    if (!status) status = player.Wait(std::chrono::duration_cast<milliseconds>(std::chrono::seconds(timeoutS) - elapsed()));
    *seconds = elapsed().count();
    if (!status) player.Stop(SIGKILL, milliseconds(0));
    return status.value_or(-1);
}

std::string IniValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

TEST(EndToEnd, HorizontalCircleSwingsTheSoundOfAScriptNamedByItsPathAndTheUsersChoicesStay) {
    const fs::path dir = fs::temp_directory_path() / ("zor_e2e_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(ZOR_EXECUTABLE, dir / "zor3dplayer");
    ASSERT_TRUE(fs::is_directory(ZOR_MUSIC_DIR)) << "the clips are generated at build time";
    fs::copy(ZOR_MUSIC_DIR, dir / "MUSIC", fs::copy_options::recursive);

    fs::create_directories(dir / "shows");
    WriteAll(dir / "Zor3DPlayer.ini", "[ZOR3DPLAYER]\n3DSOUNDDEMO_SOURCE=3\n3DSOUNDDEMO_PATH=2\n");
    WriteAll(dir / "shows" / "e2e.ini",
             "[Counter]\nDemoCounter=2\nDemoLoop=FALSE\n"
             "[AutoDemo1]\nTimer=16000\nSoundSource=Loopy\nMovingPath =Horizontal\nEnableEffects=FALSE\n"
             "[AutoDemo2]\nTimer=1500\nSoundSource=Drums\nEnvironment=KTV\nEnableEffects=TRUE\n");
    const fs::path wav = dir / "out.wav";
    WriteAll(dir / "alsoft.conf", "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\nfrequency=44100\n"
                                  "hrtf=false\n[wave]\nfile=" + wav.string() + "\n");

    double seconds = 0;
    const int status = RunProgram(dir,
                           {"QT_QPA_PLATFORM=offscreen", "ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + (dir / "alsoft.conf").string()},
                           (dir / "shows" / "e2e.ini").c_str(), 40, &seconds);
    ASSERT_EQ(status, 0) << "ended after " << seconds << " s";
    EXPECT_GT(seconds, 16.5);
    EXPECT_LT(seconds, 25.0);

    const std::string ini = ReadAll(dir / "Zor3DPlayer.ini");
    EXPECT_EQ(IniValue(ini, "3DSOUNDDEMO_SOURCE"), "3");
    EXPECT_EQ(IniValue(ini, "3DSOUNDDEMO_PATH"), "2");
    EXPECT_EQ(IniValue(ini, "3DSOUNDDEMO_ENVIROMENT"), "<missing>");
    EXPECT_EQ(IniValue(ini, "CUSTOMERCOUNT"), "0") << "the list was saved";

    Rendered sound;
    ASSERT_TRUE(ParseWave(ReadAll(wav), &sound));
    ASSERT_GT(sound.rate, 0);
    const std::size_t window = static_cast<std::size_t>(sound.rate) / 4;  // 250 ms
    const std::size_t firstTurn = static_cast<std::size_t>(sound.rate) * 16;
    ASSERT_GT(sound.left.size(), firstTurn) << "about 16 s of sound were rendered";
    // One output for the whole run: the change of clip did not start the file again.
    EXPECT_GT(static_cast<double>(sound.left.size()) / sound.rate, 17.3);
    const std::size_t endedAt = sound.left.size() - static_cast<std::size_t>(sound.rate) / 5;
    EXPECT_LT(sound_testing::EndingDropDb(sound.left, 1, 0, endedAt, sound.rate), -20.0) << "cut at the exit";

    double loudest = 0, bestBalance = -2, worstBalance = 2;
    std::vector<std::pair<double, double>> balances;  // seconds, balance
    for (std::size_t w = 0; w + window <= firstTurn; w += window) {
        double l = 0, r = 0;
        for (std::size_t i = w; i < w + window; ++i) {
            l += sound.left[i] * sound.left[i];
            r += sound.right[i] * sound.right[i];
        }
        l = std::sqrt(l / window);
        r = std::sqrt(r / window);
        loudest = std::max(loudest, std::max(l, r));
        if (l + r < 1e-4) continue;
        const double balance = (r - l) / (r + l);
        balances.emplace_back(static_cast<double>(w) / sound.rate, balance);
        bestBalance = std::max(bestBalance, balance);
        worstBalance = std::min(worstBalance, balance);
    }
    // Each hard side lasts a while; it is placed at the middle of its stretch, not at
    // whichever window of it happens to be the most one-sided.
    const auto middleOf = [&](auto near) {
        double sum = 0;
        int count = 0;
        for (const auto& [t, balance] : balances) {
            if (near(balance)) sum += t, ++count;
        }
        return count ? sum / count : -100.0;
    };
    const double tRight = middleOf([&](double b) { return b > bestBalance - 0.05; });
    const double tLeft = middleOf([&](double b) { return b < worstBalance + 0.05; });
    EXPECT_GT(loudest, 0.01) << "the clip is in the rendered sound";
    EXPECT_GT(bestBalance, 0.3);
    EXPECT_LT(worstBalance, -0.3);
    // The circle starts in front and turns right first: hard right a quarter turn in,
    // hard left three quarters in, half a 15 s turn apart.
    EXPECT_NEAR(tRight, 3.9, 1.8);
    EXPECT_NEAR(tLeft, 11.6, 1.8);
    EXPECT_NEAR(tLeft - tRight, 7.7, 1.5);
    fs::remove_all(dir);
}

TEST(EndToEnd, TerminationWhileTheLoadErrorBoxIsOpenEndsLikeTheCloseButtonAndSaves) {
    const fs::path dir = fs::temp_directory_path() / ("zor_e2e_term_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(ZOR_EXECUTABLE, dir / "zor3dplayer");
    // The custom source cannot be played, so the demo's first step opens the load-error
    // box, and every later step waits for it.
    WriteAll(dir / "Zor3DPlayer.ini",
             "[ZOR3DPLAYER]\n3DSOUNDDEMO_SOURCE=5\n3DSOUNDDEMO_SOURCENAME=\\nowhere\\missing.wav\n");
    WriteAll(dir / "term.ini", "[Counter]\nDemoCounter=1\nDemoLoop=TRUE\n"
                               "[AutoDemo1]\nTimer=500\nMovingPath =Horizontal\nEnableEffects=FALSE\n");

    // Off screen the box only writes to standard error; on a display (the run under a
    // virtual X server) it is a real window that stays open.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    double seconds = 0;
    const int status = RunProgram(dir, {std::string("QT_QPA_PLATFORM=") + (platform ? platform : "offscreen"),
                                        "ALSOFT_DRIVERS=null"},
                                  "term.ini", 15, &seconds, 2.5);
    ASSERT_EQ(status, 0) << "ended after " << seconds << " s";
    EXPECT_LT(seconds, 6.0) << "the box does not hold the program";
    const std::string ini = ReadAll(dir / "Zor3DPlayer.ini");
    EXPECT_EQ(IniValue(ini, "CUSTOMERCOUNT"), "0") << "the settings were saved";
    EXPECT_EQ(IniValue(ini, "3DSOUNDDEMO_PATH"), "<missing>") << "but not the demo's choices";
    fs::remove_all(dir);
}

}  // namespace
