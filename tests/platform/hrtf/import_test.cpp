// A measured SOFA file becomes OpenAL Soft data sets, whole, or nothing at all: a file
// that cannot be used and a folder that cannot be written leave what was there as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/hrtf/hrir_set.h"
#include "platform/hrtf/hrtf_sets.h"
#include "tests/platform/dsound/loopback_device.h"
#include "tests/support/mirrored_head.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace {

using sound_testing::kKemarSofa;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Every file under a folder with its content.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        files[entry.path().lexically_relative(folder).string()] = entry.is_regular_file() ? Read(entry.path()) : "<dir>";
    return files;
}

class SofaImport : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zor_hrtf_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        ASSERT_TRUE(fs::exists(kKemarSofa)) << "Debian's libmysofa1 brings the KEMAR set the tests read";
    }
    void TearDown() override { fs::remove_all(m_root); }
    fs::path m_root;
};

TEST_F(SofaImport, WhatCannotBeUsedLeavesEveryFileAsItWas) {
    const fs::path sets = m_root / "sets";
    fs::create_directories(m_root / "in");
    fs::copy_file(kKemarSofa, m_root / "in" / "Head.sofa");
    const hrtf::ImportResult first = hrtf::ImportSofaFile((m_root / "in" / "Head.sofa").string(), sets.string());
    ASSERT_TRUE(first.ok) << first.reason;
    EXPECT_EQ(first.name, "Head");
    EXPECT_EQ(hrtf::ImportedSetNames(sets.string()), std::vector<std::string>{"Head"});

    Write(m_root / "plain", "a file where a folder should be");
    // A set whose second rate cannot be written: the first must not stay on its own.
    fs::create_directories(m_root / "half" / "Head-48000.mhr");
    ASSERT_EQ(mkfifo((m_root / "in" / "Fifo.sofa").c_str(), 0600), 0);
    struct Case {
        const char* file;
        std::string content;  // written over the file first, unless empty
        fs::path folder;
        const char* reason;
    };
    const std::string kemar = Read(kKemarSofa);
    const Case cases[] = {
        {"Head.sofa", kemar.substr(0, kemar.size() / 2), sets, "damaged"},
        {"Head.sofa", "<html>not a set</html>", sets, "not a SOFA file"},
        {"Fifo.sofa", "", sets, "not a regular file"},
        {"Missing.sofa", "", sets, "cannot be read"},
        {"Kemar.sofa", kemar, m_root / "plain" / "openal" / "hrtf", "cannot be written"},
        {"Head.sofa", kemar, m_root / "half", "cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " into " + c.folder.string());
        const fs::path file = m_root / "in" / c.file;
        if (!c.content.empty()) Write(file, c.content);
        const auto before = Contents(m_root / "sets");
        const auto beforeHalf = Contents(m_root / "half");
        const hrtf::ImportResult result = hrtf::ImportSofaFile(file.string(), c.folder.string());
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.reason;
        EXPECT_EQ(Contents(m_root / "sets"), before);
        EXPECT_EQ(Contents(m_root / "half"), beforeHalf);
    }
}

// The set as OpenAL Soft renders it, at both rates: noise from straight left and right
// reaches the ears with the delay and level difference of the file's own responses.
TEST_F(SofaImport, RendersWithTheMeasuredHeadsInterauralDelayAndLevel) {
    setenv("XDG_DATA_HOME", m_root.c_str(), 1);
    const hrtf::ImportResult set = hrtf::ImportSofaFile(kKemarSofa);
    ASSERT_TRUE(set.ok) << set.reason;
    for (unsigned rate : hrtf::kSetRates) {
        hrtf::HrirMeasurements measured;
        std::string reason;
        ASSERT_TRUE(hrtf::ReadSofa(kKemarSofa, rate, &measured, &reason)) << reason;
        sound_testing::LoopbackDevice device(static_cast<int>(rate), true);
        SetHrtfSet(set.name);
        ASSERT_EQ(GetHrtfSetInUse(), set.name);
        std::mt19937 random(1);
        std::uniform_real_distribution<double> noise(-0.5, 0.5);
        const WAVEFORMATEX format = sound_testing::PcmFormat(rate, 1, 16);
        IDirectSoundBuffer* buffer = device.MakeBuffer(format, sound_testing::MakePcm(format, rate, [&](std::size_t, int) {
            return noise(random);
        }));
        ASSERT_NE(buffer, nullptr);
        for (float side : {-1.0f, 1.0f}) {
            const hrtf::HrirMeasurement* file = nullptr;
            for (const hrtf::HrirMeasurement& m : measured.items)
                if (m.elevation == 0 && m.azimuth == (side < 0 ? 90.0f : 270.0f)) file = &m;
            ASSERT_NE(file, nullptr);
            std::vector<float> pair(2 * 60, 0.0f);  // room for the lag on either side
            for (std::size_t i = 0; i < file->left.size(); ++i) pair.insert(pair.end(), {file->left[i], file->right[i]});
            pair.resize(pair.size() + 2 * 60, 0.0f);
            sound_testing::LoopbackDevice::Place(buffer, {side, 0, 0});
            ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
            const std::vector<float> heard = dsound_test::RenderFrames(rate / 2);
            const auto ild = [](const std::vector<float>& frames) {
                return sound_testing::Decibels(sound_testing::Rms(frames, 2, 0, 0, frames.size() / 2) /
                                               sound_testing::Rms(frames, 2, 1, 0, frames.size() / 2));
            };
            const int itd = sound_testing::InterauralLag(heard, 60);
            const int fileItd = sound_testing::InterauralLag(pair, 60);
            std::printf("%u Hz, %s: delay %d samples (file %d), level %.2f dB (file %.2f)\n", rate,
                        side < 0 ? "left" : "right", itd, fileItd, ild(heard), ild(pair));
            EXPECT_LE(std::abs(itd - fileItd), 1);
            EXPECT_NEAR(ild(heard), ild(pair), 1.0);
            EXPECT_GT(std::abs(fileItd), 25) << "the far ear hears late";
            buffer->Stop();
        }
        buffer->Release();
    }
}

// The terminal's form: exit 0 and the set's name last on standard output, or exit 2 and
// the reason on standard error.
TEST_F(SofaImport, FromTheTerminal) {
    Write(m_root / "Broken.sofa", Read(kKemarSofa).substr(0, 4096));
    for (const auto& [file, status] : {std::pair<fs::path, int>{kKemarSofa, 0}, {m_root / "Broken.sofa", 2}}) {
        const fs::path out = m_root / "out";
        const fs::path err = m_root / "err";
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        test_support::ChildOptions options;
        options.environment = {"XDG_DATA_HOME=" + (m_root / "data").string()};
        options.outputFd = outFd;
        options.errorFd = errFd;
        test_support::ChildProcess player({ZOR_EXECUTABLE, "--import-hrtf", file.string()}, options);
        EXPECT_EQ(player.Wait(std::chrono::seconds(60)), std::optional<int>(status)) << file;
        ::close(outFd);
        ::close(errFd);
        std::string last;
        std::istringstream lines(Read(out));
        for (std::string line; std::getline(lines, line);) last = line;
        if (status == 0) {
            EXPECT_EQ(last, "MIT_KEMAR_normal_pinna");
            EXPECT_TRUE(fs::exists(m_root / "data" / "openal" / "hrtf" / "MIT_KEMAR_normal_pinna-48000.mhr"));
        } else {
            EXPECT_NE(Read(err).find("Broken.sofa cannot be imported: it is not a SOFA file, or it is damaged"),
                      std::string::npos)
                << Read(err);
        }
    }
}

}  // namespace
