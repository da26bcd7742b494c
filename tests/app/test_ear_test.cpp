// The listening test: its plan and score, and the whole test on the loopback output with
// a simulated listener who hears with one set. The listener answers from the rendered
// ear signals alone, matched against its own set's cues; where the bursts came from is
// never read from the program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "app/ear_test.h"
#include "app/program_dir.h"
#include "audio/sound_module.h"
#include "motion/spatial_player.h"
#include "tests/support/dsound_hooks.h"
#include "platform/user/host.h"
#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"
#include "tests/platform/dsound/signal.h"
#include "tests/support/mirrored_head.h"
#include "tests/support/pcm_wav.h"

namespace fs = std::filesystem;

namespace {

TEST(ListeningTestPlan, SpreadsEverySetOverTheTestAndScoresFrontBackAcrossTheWrap) {
    CListeningTest test({"A", "B", "C"}, 7);
    ASSERT_EQ(test.Count(), 3 * CListeningTest::kDirections);
    std::vector<std::vector<double>> seen(3);
    for (int round = 0; round < CListeningTest::kDirections; ++round) {
        std::vector<int> sets;
        for (int i = 0; i < 3; ++i) {
            sets.push_back(test.Trial().set);
            seen[static_cast<std::size_t>(test.Trial().set)].push_back(test.Trial().azimuth);
            // A answers right, B mirrors front and back, C turns everything by 20 degrees.
            const double a = test.Trial().azimuth;
            test.Answer(test.Trial().set == 0 ? a : test.Trial().set == 1 ? std::fmod(540.0 - a, 360.0) : a + 20.0);
        }
        std::sort(sets.begin(), sets.end());
        EXPECT_EQ(sets, (std::vector<int>{0, 1, 2})) << "round " << round;
    }
    for (auto& azimuths : seen) {
        std::sort(azimuths.begin(), azimuths.end());
        EXPECT_EQ(azimuths.front(), 0.0);
        EXPECT_EQ(azimuths.back(), 330.0);
    }
    const std::vector<EarScore> scores = test.Scores();
    EXPECT_EQ(scores[0].meanError, 0.0);
    // Bursts at 90 and 270 are not judged; every other one of B is answered behind or ahead.
    EXPECT_EQ(scores[1].judged, 10);
    EXPECT_EQ(scores[1].confusions, 10);
    // 340 answered as 0 is 20 degrees off, not 340.
    EXPECT_DOUBLE_EQ(scores[2].meanError, 20.0);
    EXPECT_EQ(test.BestSet(), 0);
    EXPECT_EQ(AzimuthError(350, 10), 20.0);
}

constexpr int kRate = 44100;
constexpr std::size_t kBurstFrames = kRate * 45 / 100;

// What a pair of ears takes from a burst: the delay between them, and the level in
// third-octave bands at each ear, relative to their mean, so that how far away the
// burst was does not count.
std::vector<double> CuesOf(const std::vector<float>& frames) {
    const std::size_t n = frames.size() / 2;
    std::vector<double> cues;
    int bestLag = 0;
    double best = -1e300;
    for (int lag = -40; lag <= 40; ++lag) {
        double sum = 0;
        for (std::size_t i = 40; i + 40 < n; ++i) sum += frames[2 * i] * frames[2 * (i + lag) + 1];
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    cues.push_back(bestLag / 2.0);
    std::vector<double> levels;
    for (int ear = 0; ear < 2; ++ear) {
        for (int band = 0; band < 16; ++band) {
            // A resonator per band: a constant-skirt band-pass a third of an octave wide.
            const double w = 2 * M_PI * 500.0 * std::pow(2.0, band / 3.0) / kRate;
            const double alpha = std::sin(w) / (2 * 4.3);
            const double a0 = 1 + alpha, a1 = -2 * std::cos(w) / a0, a2 = (1 - alpha) / a0, b0 = alpha / a0;
            double x1 = 0, x2 = 0, y1 = 0, y2 = 0, energy = 1e-20;
            for (std::size_t i = 0; i < n; ++i) {
                const double x = frames[2 * i + ear];
                const double y = b0 * (x - x2) - a1 * y1 - a2 * y2;
                x2 = x1, x1 = x, y2 = y1, y1 = y;
                energy += y * y;
            }
            levels.push_back(10 * std::log10(energy));
        }
    }
    double mean = 0;
    for (double l : levels) mean += l / levels.size();
    for (double l : levels) cues.push_back(l - mean);
    return cues;
}

// Knows its own set's cues from every 5 degrees, heard through the program's own sound
// path, and answers with the direction whose cues lie nearest.
class SimulatedListener {
public:
    SimulatedListener(const std::string& set, const std::string& burst) {
        SetHrtfSet(set);
        CSpatialPlayer player(nullptr);
        EXPECT_EQ(player.LoadFile(const_cast<char*>(burst.c_str())), 1);
        for (int azimuth = 0; azimuth < 360; azimuth += 5) {
            const double a = azimuth * M_PI / 180;
            player.SetPosition(Vec3{0.5f * static_cast<float>(std::sin(a)), 0, 0.5f * static_cast<float>(std::cos(a))},
                               Vec3{0, 0, 0});
            PlaySourceOnce();
            m_known.emplace_back(azimuth, CuesOf(dsound_test::RenderFrames(kBurstFrames)));
        }
        player.Close();
        SetHrtfSet("");
    }

    double Hear(const std::vector<float>& frames) const {
        const std::vector<double> cues = CuesOf(frames);
        double nearest = 1e300, azimuth = 0;
        for (const auto& [known, theirs] : m_known) {
            double d = 0;
            for (std::size_t i = 0; i < cues.size(); ++i) d += (cues[i] - theirs[i]) * (cues[i] - theirs[i]);
            if (d < nearest) nearest = d, azimuth = known;
        }
        return azimuth;
    }

private:
    std::vector<std::pair<double, std::vector<double>>> m_known;
};

bool BurstPlaying() {
    DWORD status = 0;
    return g_pDSBuffer && g_pDSBuffer->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING);
}

// Two heads on offer and no other: the measured one ("Kemar", imported from its SOFA file)
// and the same with front and back exchanged ("Mirrored"), in a data folder of the test's
// own, on a loopback output that renders binaural.
class TwoHeads : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path data = fs::path(app_test::NativeProgramDir()) / "data";
        const fs::path sets = data / "openal" / "hrtf";
        fs::remove_all(data);
        fs::create_directories(sets);
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        // Read once per process, before the first output opens.
        std::ofstream(data / "alsoft.conf") << "[general]\nhrtf-paths = " << sets.string() << "\n";
        setenv("ALSOFT_CONF", (data / "alsoft.conf").c_str(), 1);
        sound_testing::WriteMirroredHead(sets);
        fs::copy_file(sound_testing::kKemarSofa, data / "Kemar.sofa");
        ASSERT_TRUE(hrtf::ImportSofaFile((data / "Kemar.sofa").string()).ok);
        app_test::EnsureMusic();
        m_burst = app_test::NativeProgramDir() + "/MUSIC/3D_Noise_Burst.wav";
        fs::copy_file(fs::path(ZOR_MUSIC_DIR) / "3D_Noise_Burst.wav", m_burst, fs::copy_options::overwrite_existing);
        dsound_test::UseLoopbackLayout(kRate, dsound_test::LoopbackLayout::Stereo, true);
        world.Open();
    }

    std::string m_burst;
    DialogWorld world;
};

TEST_F(TwoHeads, TheListeningTestChoosesTheListenersOwnSetAndScoresTheStrangersWorse) {
    const SimulatedListener listener("Kemar", m_burst);
    world.dlg->PostMessage(WM_SYSCOMMAND, kTestEarsCommand, 0);
    ASSERT_TRUE(app_test::PumpUntil([&] { return world.dlg->m_pEarTest != nullptr; }, 5000));
    const RECT room = world.Region(skin_region::kRoom);
    int answered = 0;
    while (app_test::PumpUntil([&] { return BurstPlaying() || !world.dlg->m_pEarTest; }, 5000) &&
           world.dlg->m_pEarTest) {
        const double azimuth = listener.Hear(dsound_test::RenderFrames(kBurstFrames)) * M_PI / 180;
        const int x = (room.left + room.right) / 2 + static_cast<int>(std::lround(100 * std::sin(azimuth)));
        const int y = (room.top + room.bottom) / 2 - static_cast<int>(std::lround(100 * std::cos(azimuth)));
        user_host::InjectMouse(world.dlg->m_hWnd, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        user_host::InjectMouse(world.dlg->m_hWnd, WM_LBUTTONUP, x, y, 0);
        ASSERT_LT(answered++, 2 * CListeningTest::kDirections);
    }
    EXPECT_EQ(answered, 2 * CListeningTest::kDirections);
    ASSERT_FALSE(world.host.boxes.empty());
    const std::string results = world.host.boxes.back().text;
    EXPECT_NE(results.find("The best for your ears: Kemar."), std::string::npos) << results;
    EXPECT_EQ(GetHrtfSet(), "Kemar");
    EXPECT_EQ(GetHrtfSetInUse(), "Kemar");
    // Each set's line: "<name>: <error> degrees off on average, front and back mixed up <n> of <m> times".
    std::map<std::string, std::pair<int, int>> scores;
    for (const std::string& line : world.dlg->m_hrtf.testLines) {
        int error = 0, confusions = 0, judged = 0;
        const std::size_t colon = line.find(':');
        ASSERT_EQ(std::sscanf(line.c_str() + colon + 1, " %d degrees off on average, front and back mixed up %d of %d",
                              &error, &confusions, &judged),
                  3)
            << line;
        scores[line.substr(0, colon)] = {confusions, error};
    }
    ASSERT_EQ(scores.size(), 2u);
    EXPECT_LT(scores["Kemar"], scores["Mirrored"]) << results;
    EXPECT_GT(scores["Mirrored"].first, 5) << results;
}

// A set chosen from the menu while a clip plays is heard within 0.2 s of the choice, and
// the clip goes on from where it was: a noise that swells over its two seconds would be
// quieter if it had started again.
TEST_F(TwoHeads, ASetChosenWhileAClipPlaysIsHeardAtOnceAndTheClipGoesOn) {
    const WAVEFORMATEX format = sound_testing::PcmFormat(kRate, 1, 16);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    sound_testing::WriteWav(app_test::NativeProgramDir() + "/swell.wav", format,
                            sound_testing::MakePcm(format, 2 * kRate, [&](std::size_t i, int) {
                                return (0.02 + 0.48 * static_cast<double>(i) / (2 * kRate)) * noise(random);
                            }));
    CopyPath(world.dlg->m_szSource, sizeof world.dlg->m_szSource, (app_test::ProgramDir() + "\\swell.wav").c_str());
    world.dlg->ChooseHrtfSet("Kemar");
    world.dlg->StartPlayback();
    world.dlg->SetManualPosition(0.5f, 0.9f);  // ahead and to the right
    const std::vector<float> before = dsound_test::RenderFrames(kRate * 12 / 10);

    world.dlg->SendMessage(WM_INITMENU, 0, 0);
    const auto& sets = world.dlg->m_hrtf.menuSets;
    const auto mirrored = std::find(sets.begin(), sets.end(), "Mirrored");
    ASSERT_NE(mirrored, sets.end());
    world.dlg->SendMessage(WM_SYSCOMMAND, HrtfSetCommand(static_cast<std::size_t>(mirrored - sets.begin())), 0);
    const std::vector<float> after = dsound_test::RenderFrames(kRate / 5);
    // The last tenth of a second before the choice, and of the fifth after it (two floats a frame).
    const std::vector<float> lastBefore(before.end() - 2 * kRate / 10, before.end());
    const std::vector<float> lastAfter(after.end() - 2 * kRate / 10, after.end());
    double apart = 0;
    const std::vector<double> a = CuesOf(lastBefore), b = CuesOf(lastAfter);
    for (std::size_t i = 1; i < a.size(); ++i) apart = std::max(apart, std::fabs(a[i] - b[i]));
    EXPECT_GT(apart, 3.0) << "the band levels at the ears, dB: front and back are heard exchanged";
    // Started again, it would be a fifth as loud; the other set alone changes it by a decibel or two.
    const auto level = [](const std::vector<float>& frames, std::size_t first, std::size_t count) {
        return sound_testing::Rms(frames, 2, 0, first, count) + sound_testing::Rms(frames, 2, 1, first, count);
    };
    EXPECT_GT(level(after, kRate / 10, kRate / 10), 0.6 * level(before, kRate, kRate / 5));
    EXPECT_EQ(GetHrtfSetInUse(), "Mirrored");

    // On speakers the sets are shown greyed, the choice still ticked.
    world.dlg->SendMessage(WM_SYSCOMMAND, SoundChoiceOf(SoundRendering::Speakers).command, 0);
    world.dlg->SendMessage(WM_INITMENU, 0, 0);
    for (const auto& item : user_host::SystemMenuItems(world.dlg->m_hWnd))
        if (item.text == "Mirrored" || item.text == "Kemar") {
            EXPECT_TRUE(item.grayed && item.checked == (item.text == "Mirrored")) << item.text;
        }
    world.dlg->ChooseSoundRendering(SoundRendering::Automatic);
}

}  // namespace
