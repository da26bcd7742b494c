#include <gtest/gtest.h>

#include <string>

#include "audio/wave_stream.h"
#include "tests/audio/wave/wave_files.h"

namespace {

using namespace wavefiles;

class WaveProbeTest : public ::testing::Test {
protected:
    DWORD Probe(const std::string& bytes) {
        std::string path = dir.Write("probe.wav", bytes);
        return ProbeWaveFile(path.data());
    }
    TempDir dir;
};

TEST_F(WaveProbeTest, PlayablePcmGivesTheDataSize) {
    EXPECT_EQ(Probe(SimpleWave(Pattern(1234))), 1234u);
    EXPECT_EQ(Probe(SimpleWave(Pattern(7), PcmFmt(1, 8000, 8))), 7u);
    // An 18-byte format: cbSize is read too but does not matter for PCM.
    EXPECT_EQ(Probe(SimpleWave("abcd", Chunk("fmt ", FormatHead(1, 2, 48000, 16) + U16(99)))), 4u);
    // More than 16 bits, and the extensible record that says "PCM" only in its sub-format.
    EXPECT_EQ(Probe(SimpleWave(Pattern(6), PcmFmt(2, 48000, 24))), 6u);
    EXPECT_EQ(Probe(SimpleWave(Pattern(36), ExtensibleFmt(6, 48000, 24))), 36u);
    // The declared size is the answer, even when the file holds less.
    EXPECT_EQ(Probe(Riff("WAVE", PcmFmt() + ChunkDeclaring("data", 100000, "xy"))), 100000u);
}

TEST_F(WaveProbeTest, RiffWaveNeedNotBeTheFirstChunk) {
    std::string bytes = Chunk("JUNK", "abc") + SimpleWave("data!");
    EXPECT_EQ(Probe(bytes), 5u);
    std::string path = dir.Write("late.wav", bytes);
    CWaveStream stream;
    EXPECT_EQ(stream.Open(path.data()), E_FAIL);
}

TEST_F(WaveProbeTest, RefusesWhatTheReaderWouldNotOrCouldNotPlay) {
    const std::string data = Chunk("data", "abcd");
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"not PCM", Riff("WAVE", Chunk("fmt ", FormatHead(2, 2, 44100, 4) + U16(32) + Pattern(32)) + data)},
        {"float", Riff("WAVE", Chunk("fmt ", FormatHead(3, 2, 44100, 32)) + data)},
        {"extensible float", Riff("WAVE", ExtensibleFmt(2, 44100, 32, 3) + data)},
        {"extensible cut before its sub-format", Riff("WAVE", Chunk("fmt ", ExtensibleFmt(2, 44100, 24).substr(8, 30)) + data)},
        {"short format leaves bits at 0", Riff("WAVE", Chunk("fmt ", FormatHead(1, 2, 44100, 16).substr(0, 14)) + data)},
        {"format cut by the end of file", std::string("RIFF") + U32(100) + "WAVEfmt " + U32(16) + "\x01\x00\x02"},
        {"data before format", Riff("WAVE", data + PcmFmt())},
        {"empty data", SimpleWave("")},
        {"no data", Riff("WAVE", PcmFmt())},
        {"no format", Riff("WAVE", data)},
        {"other form type", Riff("AVI ", PcmFmt() + data)},
        {"not RIFF", Chunk("JUNK", PcmFmt() + data)},
        {"garbage", Pattern(300)},
        {"empty", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Probe(c.bytes), 0u) << c.what;
    std::string missing = dir.File("missing.wav");
    EXPECT_EQ(ProbeWaveFile(missing.data()), 0u);
}

TEST_F(WaveProbeTest, ShortPcmFormatIsJudgedByTheQueryOnWhatIsThere) {
    // 12 bytes: tag, channels, rate, average; block align and bits stay 0.
    std::string head = FormatHead(1, 2, 44100, 16).substr(0, 12);
    EXPECT_EQ(Probe(Riff("WAVE", Chunk("fmt ", head) + Chunk("data", "abcd"))), 0u);
}

}  // namespace
