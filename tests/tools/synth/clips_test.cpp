// The built-in clips as the build wrote them: valid PCM files of the right length that
// loop without a click, each recognisably what its name promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "tests/tools/synth/clip_analysis.h"
#include "tools/synth/clips.h"

namespace {

const char* const kClipNames[] = {"3D_Loopy.wav", "3D_Drums.wav", "3D_Helicopter.wav", "3D_hi-hill.wav",
                                  "3D_Veltrix_Demo.wav"};

PcmClip Load(const std::string& name) { return ReadPcmWav(std::string(ZOR_MUSIC_DIR) + "/" + name); }

class EveryClip : public ::testing::TestWithParam<const char*> {};

TEST_P(EveryClip, IsAMonoPcmFileOfFiveToTwentySeconds) {
    const PcmClip clip = Load(GetParam());
    ASSERT_TRUE(clip.ok) << clip.problem;
    EXPECT_EQ(clip.formatTag, 1);
    EXPECT_EQ(clip.channels, 1);
    EXPECT_EQ(clip.bits, 16);
    EXPECT_TRUE(clip.rate == 22050 || clip.rate == 44100) << clip.rate;
    EXPECT_GE(clip.Seconds(), 5.0);
    EXPECT_LE(clip.Seconds(), 20.0);
}

TEST_P(EveryClip, IsLoudWithoutClipping) {
    const PcmClip clip = Load(GetParam());
    ASSERT_TRUE(clip.ok) << clip.problem;
    EXPECT_GT(Rms(clip.samples, 0, clip.samples.size()), 0.02);
    const double peak = Peak(clip.samples);
    EXPECT_GT(peak, 0.5);
    EXPECT_LT(peak, 0.99);
    // Never silent for long: every half second carries sound.
    const std::vector<double> halves = FrameLevels(clip.samples, static_cast<std::size_t>(clip.rate / 2));
    EXPECT_GT(*std::min_element(halves.begin(), halves.end()), 0.005);
}

TEST_P(EveryClip, WrapsAroundWithoutAClick) {
    const PcmClip clip = Load(GetParam());
    ASSERT_TRUE(clip.ok) << clip.problem;
    const std::vector<double> steps = SortedSteps(clip.samples);
    const double wrap = std::fabs(clip.samples.front() - clip.samples.back());
    EXPECT_LE(wrap, Percentile(steps, 0.99)) << "the seam is a bigger step than 99% of the clip's own";
}

INSTANTIATE_TEST_SUITE_P(Clips, EveryClip, ::testing::ValuesIn(kClipNames));

TEST(Clips, AreTheSameOnEveryBuild) {
    for (auto build : {BuildLoopy, BuildDrums, BuildHelicopter, BuildFootsteps, BuildJingle}) {
        EXPECT_EQ(build().Samples(), build().Samples());
    }
}

TEST(Helicopter, ThumpsAtItsBladeRateAndCarriesHighFrequencies) {
    const PcmClip clip = Load("3D_Helicopter.wav");
    ASSERT_TRUE(clip.ok) << clip.problem;
    // The loudness in 2 ms frames repeats at the blade-pass period.
    const std::size_t frame = static_cast<std::size_t>(clip.rate / 500);
    const std::vector<double> envelope = FrameLevels(clip.samples, frame);
    std::size_t bestLag = 0;
    double best = -1.0;
    for (std::size_t lag = 500 / 30; lag <= 500 / 12; ++lag) {
        const double r = CircularAutocorrelation(envelope, lag);
        if (r > best) {
            best = r;
            bestLag = lag;
        }
    }
    const double thumpHz = 500.0 / static_cast<double>(bestLag);
    EXPECT_GE(thumpHz, 15.0);
    EXPECT_LE(thumpHz, 25.0);
    EXPECT_GT(best, 0.5) << "a clear, steady thump";
    EXPECT_LT(CircularAutocorrelation(envelope, bestLag / 2), best - 0.3) << "half the period is not alike";

    const std::size_t block = 2048;
    const std::vector<double> spectrum = AverageSpectrum(clip.samples, block);
    EXPECT_GT(BandFraction(spectrum, clip.rate, block, 2000.0, 11025.0), 0.08);
    EXPECT_GT(BandFraction(spectrum, clip.rate, block, 4000.0, 11025.0), 0.01);
    EXPECT_GT(BandFraction(spectrum, clip.rate, block, 20.0, 300.0), 0.2) << "and the weight of the rotor";
}

TEST(Footsteps, AreSharpClicksAtAWalkingPace) {
    const PcmClip clip = Load("3D_hi-hill.wav");
    ASSERT_TRUE(clip.ok) << clip.problem;
    const std::size_t frame = static_cast<std::size_t>(clip.rate / 200);  // 5 ms
    const std::vector<double> levels = FrameLevels(clip.samples, frame);
    const double loudest = *std::max_element(levels.begin(), levels.end());
    const std::vector<std::size_t> steps = Peaks(levels, 0.5 * loudest, 40);
    const double perSecond = static_cast<double>(steps.size()) / clip.Seconds();
    EXPECT_GE(perSecond, 1.5);
    EXPECT_LE(perSecond, 2.5);
    ASSERT_GE(steps.size(), 4u);
    std::vector<double> gaps;
    for (std::size_t i = 1; i < steps.size(); ++i) gaps.push_back(static_cast<double>(steps[i] - steps[i - 1]));
    const double mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / static_cast<double>(gaps.size());
    for (double gap : gaps) EXPECT_NEAR(gap, mean, 0.1 * mean) << "a steady pace";
    // Transient: loud peaks over a quiet floor between the steps.
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_LT(Percentile(sorted, 0.5), 0.1 * loudest);
    EXPECT_GT(Peak(clip.samples) / Rms(clip.samples, 0, clip.samples.size()), 6.0);
    // The click is bright: most of its energy is above 1.5 kHz.
    const std::vector<double> spectrum = AverageSpectrum(clip.samples, 1024);
    EXPECT_GT(BandFraction(spectrum, clip.rate, 1024, 1500.0, 11025.0), 0.5);
    EXPECT_GT(BandFraction(spectrum, clip.rate, 1024, 80.0, 400.0), 0.02) << "with a little body";
}

TEST(Drums, HaveKickWeightAndHatSparkleOnASixteenthGrid) {
    const PcmClip clip = Load("3D_Drums.wav");
    ASSERT_TRUE(clip.ok) << clip.problem;
    const std::size_t block = 2048;
    const std::vector<double> spectrum = AverageSpectrum(clip.samples, block);
    EXPECT_GT(BandFraction(spectrum, clip.rate, block, 30.0, 150.0), 0.15) << "kick";
    EXPECT_GT(BandFraction(spectrum, clip.rate, block, 5000.0, 11025.0), 0.01) << "hats";
    // Onsets: where the 5 ms level of the high end (a second difference) rises most
    // steeply, so the hats count as much as the kick.
    std::vector<double> edges(clip.samples.size(), 0.0);
    for (std::size_t i = 2; i < edges.size(); ++i) {
        edges[i] = clip.samples[i] - 2.0 * clip.samples[i - 1] + clip.samples[i - 2];
    }
    const std::size_t frame = static_cast<std::size_t>(clip.rate / 200);
    const std::vector<double> levels = FrameLevels(edges, frame);
    std::vector<double> rise(levels.size(), 0.0);
    for (std::size_t i = 2; i < levels.size(); ++i) rise[i] = std::max(0.0, levels[i] - std::max(levels[i - 1], levels[i - 2]));
    const double steepest = *std::max_element(rise.begin(), rise.end());
    const std::vector<std::size_t> hits = Peaks(rise, 0.15 * steepest, 10);
    ASSERT_GE(hits.size(), 30u) << "hats on (nearly) every eighth";
    for (std::size_t hit : hits) {
        const double sixteenths = static_cast<double>(hit) * 0.005 / 0.125;
        EXPECT_LT(std::fabs(sixteenths - std::round(sixteenths)), 0.25) << "hit at frame " << hit;
    }
}

// The strongest spectral lines of a melodic clip lie on the notes of C major.
std::vector<double> StrongestLines(const PcmClip& clip, double lowHz, double highHz, std::size_t count) {
    const std::size_t block = 16384;
    const std::vector<double> spectrum = AverageSpectrum(clip.samples, block);
    const double binHz = static_cast<double>(clip.rate) / block;
    std::vector<std::pair<double, double>> lines;  // power, Hz
    for (std::size_t i = 1; i + 1 < spectrum.size(); ++i) {
        const double hz = static_cast<double>(i) * binHz;
        if (hz < lowHz || hz > highHz) continue;
        if (spectrum[i] > spectrum[i - 1] && spectrum[i] >= spectrum[i + 1]) lines.emplace_back(spectrum[i], hz);
    }
    std::sort(lines.rbegin(), lines.rend());
    std::vector<double> hz;
    for (std::size_t i = 0; i < std::min(count, lines.size()); ++i) hz.push_back(lines[i].second);
    return hz;
}

double CentsFromCMajor(double hz) {
    static constexpr int kScale[] = {0, 2, 4, 5, 7, 9, 11};
    const double semitones = 12.0 * std::log2(hz / 440.0) + 69.0;  // MIDI number
    double best = 1e9;
    for (int octave = 0; octave < 11; ++octave) {
        for (int step : kScale) best = std::min(best, std::fabs(semitones - (12 * octave + step)) * 100.0);
    }
    return best;
}

class MelodicClip : public ::testing::TestWithParam<const char*> {};

TEST_P(MelodicClip, PlaysInTuneInCMajor) {
    const PcmClip clip = Load(GetParam());
    ASSERT_TRUE(clip.ok) << clip.problem;
    const std::vector<double> lines = StrongestLines(clip, 250.0, 2500.0, 12);
    ASSERT_EQ(lines.size(), 12u);
    for (double hz : lines) EXPECT_LT(CentsFromCMajor(hz), 25.0) << hz << " Hz is off the scale";
}

INSTANTIATE_TEST_SUITE_P(Clips, MelodicClip, ::testing::Values("3D_Loopy.wav", "3D_Veltrix_Demo.wav"));

}  // namespace
