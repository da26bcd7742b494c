#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/wave_stream.h"
#include "tests/audio/wave/wave_files.h"

namespace {

using namespace wavefiles;

class WaveStreamTest : public ::testing::Test {
protected:
    HRESULT OpenBytes(const std::string& bytes) {
        path = dir.Write("clip.wav", bytes);
        return stream.Open(path.data());
    }
    // The reader's own parsing, on a file opened as it is: the reader is given formats
    // other than integer PCM only by the decoder, which never presents these.
    HRESULT ParseAsItIs(const std::string& bytes) {
        path = dir.Write("clip.wav", bytes);
        stream.Close();
        delete[] reinterpret_cast<BYTE*>(stream.m_pwfx);
        stream.m_pwfx = nullptr;
        stream.m_hmmio = mmioOpenA(path.data(), nullptr, MMIO_ALLOCBUF);
        const HRESULT hr = ReadWaveFormat(stream.m_hmmio, &stream.m_ckRiff, &stream.m_pwfx);
        if (FAILED(hr)) stream.Close();
        return FAILED(hr) ? hr : stream.Rewind();
    }
    std::string ReadAll(UINT ask) {
        std::vector<BYTE> out(ask + 1);
        UINT got = 12345;
        EXPECT_EQ(stream.Read(ask, out.data(), &got), S_OK);
        return std::string(reinterpret_cast<char*>(out.data()), got);
    }

    TempDir dir;
    std::string path;
    CWaveStream stream;
};

TEST_F(WaveStreamTest, PcmSixteenByteFormatGivesEighteenByteRecord) {
    const std::string data = Pattern(1001);
    ASSERT_EQ(OpenBytes(SimpleWave(data, PcmFmt(1, 22050, 8))), S_OK);
    ASSERT_NE(stream.m_pwfx, nullptr);
    EXPECT_EQ(stream.m_pwfx->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(stream.m_pwfx->nChannels, 1);
    EXPECT_EQ(stream.m_pwfx->nSamplesPerSec, 22050u);
    EXPECT_EQ(stream.m_pwfx->nAvgBytesPerSec, 22050u);
    EXPECT_EQ(stream.m_pwfx->nBlockAlign, 1);
    EXPECT_EQ(stream.m_pwfx->wBitsPerSample, 8);
    EXPECT_EQ(stream.m_pwfx->cbSize, 0);
    EXPECT_EQ(stream.m_ckRiff.dwDataOffset, 8u);
    EXPECT_EQ(stream.m_ckData.cksize, 1001u);
    EXPECT_EQ(ReadAll(1001), data);
    EXPECT_EQ(stream.m_ckData.cksize, 0u);
}

TEST_F(WaveStreamTest, LongerPcmFormatChunksAreCutToTheRecord) {
    const std::string data = Pattern(10);
    for (const std::string& tail : {U16(22), U16(2) + "zz"}) {
        SCOPED_TRACE(tail.size());
        ASSERT_EQ(OpenBytes(SimpleWave(data, Chunk("fmt ", FormatHead(1, 2, 44100, 16) + tail))), S_OK);
        EXPECT_EQ(stream.m_pwfx->cbSize, 0);
        EXPECT_EQ(stream.m_pwfx->nBlockAlign, 4);
        EXPECT_EQ(ReadAll(100), data);
    }
}

TEST_F(WaveStreamTest, ShortOrMissingFormatAndWrongContainersFail) {
    const std::string data = Chunk("data", "abcd");
    const std::string cases[] = {
        Riff("WAVE", Chunk("fmt ", FormatHead(1, 2, 44100, 16).substr(0, 14)) + data),
        Riff("WAVE", data),
        Riff("AVI ", PcmFmt() + data),
        Form("RIFX", "WAVE", PcmFmt() + data),
        Chunk("JUNK", "xx") + SimpleWave("abcd"),  // RIFF not first
        std::string("RIFF") + U32(40) + "WAVEfmt " + U32(16) + "\x01\x00",  // cut inside the format
        "",
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(OpenBytes(bytes), E_FAIL);
        EXPECT_EQ(stream.m_pwfx, nullptr);
        EXPECT_EQ(stream.m_hmmio, nullptr);
    }
}

TEST_F(WaveStreamTest, NonPcmFormatCarriesItsExtraBytes) {
    std::string extra = Pattern(32);
    ASSERT_EQ(ParseAsItIs(SimpleWave("abcd", Chunk("fmt ", FormatHead(2, 2, 44100, 4) + U16(32) + extra))), S_OK);
    EXPECT_EQ(stream.m_pwfx->wFormatTag, 2);
    EXPECT_EQ(stream.m_pwfx->cbSize, 32);
    EXPECT_EQ(std::memcmp(reinterpret_cast<BYTE*>(stream.m_pwfx) + 18, extra.data(), 32), 0);
    EXPECT_EQ(ReadAll(4), "abcd");
}

TEST_F(WaveStreamTest, NonPcmSixteenByteFormatTakesTheNextTwoFileBytesAsExtraSize) {
    // The bytes after the 16-byte chunk are the next chunk's id: "\x04\x00" then "ab".
    std::string next = Chunk(std::string("\x04\x00" "ab", 4), "wxyz");
    ASSERT_EQ(ParseAsItIs(Riff("WAVE", Chunk("fmt ", FormatHead(0x55, 2, 44100, 0)) + next + Chunk("data", "d1"))), S_OK);
    EXPECT_EQ(stream.m_pwfx->cbSize, 4);
    EXPECT_EQ(std::memcmp(reinterpret_cast<BYTE*>(stream.m_pwfx) + 18, "ab\x04\x00", 4), 0);
    EXPECT_EQ(ReadAll(2), "d1");
    // An extra size larger than the file fails and leaves no record behind.
    std::string huge = Chunk(std::string("\xFF\x7F" "ab", 4), "wxyz");
    EXPECT_EQ(ParseAsItIs(Riff("WAVE", Chunk("fmt ", FormatHead(0x55, 2, 44100, 0)) + huge + Chunk("data", "d1"))), E_FAIL);
    EXPECT_EQ(stream.m_pwfx, nullptr);
}

TEST_F(WaveStreamTest, DataBeforeFormatIsFound) {
    ASSERT_EQ(OpenBytes(Riff("WAVE", Chunk("data", "early") + PcmFmt())), S_OK);
    EXPECT_EQ(stream.m_ckData.cksize, 5u);
    EXPECT_EQ(ReadAll(5), "early");
}

TEST_F(WaveStreamTest, RemainingCountFallsAsDataIsRequested) {
    const std::string data = Pattern(20000);  // several I/O buffers
    ASSERT_EQ(OpenBytes(SimpleWave(data)), S_OK);
    std::string got = ReadAll(3000);
    EXPECT_EQ(stream.m_ckData.cksize, 17000u);
    got += ReadAll(7777);
    got += ReadAll(50000);  // more than remains: what remains
    EXPECT_EQ(got, data);
    EXPECT_EQ(stream.m_ckData.cksize, 0u);
    EXPECT_EQ(ReadAll(10), "");
    ASSERT_EQ(stream.Rewind(), S_OK);
    EXPECT_EQ(stream.m_ckData.cksize, 20000u);
    EXPECT_EQ(ReadAll(20000), data);
}

TEST_F(WaveStreamTest, EmptyDataChunkOpensWithNothingToRead) {
    ASSERT_EQ(OpenBytes(SimpleWave("")), S_OK);
    EXPECT_EQ(stream.m_ckData.cksize, 0u);
    EXPECT_EQ(ReadAll(100), "");
}

TEST_F(WaveStreamTest, DataRunningPastTheEndFailsTheWholeReadAndRewindRestoresIt) {
    const std::string present = Pattern(9000);
    ASSERT_EQ(OpenBytes(Riff("WAVE", PcmFmt() + ChunkDeclaring("data", 50000, present))), S_OK);
    EXPECT_EQ(stream.m_ckData.cksize, 50000u);
    std::vector<BYTE> out(50000);
    UINT got = 99;
    EXPECT_EQ(stream.Read(50000, out.data(), &got), E_FAIL);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(stream.m_ckData.cksize, 0u);  // used up although it failed
    ASSERT_EQ(stream.Rewind(), S_OK);
    EXPECT_EQ(stream.m_ckData.cksize, 50000u);
    // What the file really holds can still be read.
    EXPECT_EQ(ReadAll(9000), present);
}

TEST_F(WaveStreamTest, MissingFileAndClosedReaderFailQuietly) {
    std::string missing = dir.File("missing.wav");
    EXPECT_EQ(stream.Open(missing.data()), E_FAIL);
    EXPECT_EQ(stream.Close(), S_OK);
    EXPECT_EQ(stream.Close(), S_OK);
    UINT got = 5;
    BYTE b;
    EXPECT_EQ(stream.Read(1, &b, &got), E_FAIL);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(stream.Rewind(), E_FAIL);
}

TEST_F(WaveStreamTest, FailedRewindStepKeepsFileAndRecordUntilClose) {
    // A RIFF WAVE with a format but no data chunk.
    EXPECT_EQ(OpenBytes(Riff("WAVE", PcmFmt())), E_FAIL);
    EXPECT_NE(stream.m_pwfx, nullptr);
    EXPECT_NE(stream.m_hmmio, nullptr);
    EXPECT_EQ(stream.Close(), S_OK);
    EXPECT_EQ(stream.m_hmmio, nullptr);
}

TEST_F(WaveStreamTest, OpeningAgainReplacesTheFirstFile) {
    ASSERT_EQ(OpenBytes(SimpleWave("first")), S_OK);
    std::string second = dir.Write("second.wav", SimpleWave("second!", PcmFmt(1, 8000, 16)));
    ASSERT_EQ(stream.Open(second.data()), S_OK);
    EXPECT_EQ(stream.m_pwfx->nChannels, 1);
    EXPECT_EQ(ReadAll(100), "second!");
}

TEST(WaveRoutineTest, FreeRoutinesRefuseMissingOutputs) {
    MMCKINFO ck{};
    EXPECT_EQ(ReadWaveData(nullptr, 1, nullptr, &ck, nullptr), E_FAIL);
    EXPECT_EQ(SeekToWaveData(nullptr, nullptr, &ck), E_FAIL);
    char name[] = "/nonexistent/zor.wav";
    EXPECT_EQ(OpenWaveFile(name, nullptr, nullptr, &ck), E_FAIL);
}

}  // namespace
