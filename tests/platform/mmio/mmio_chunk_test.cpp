#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/mmio/mmsystem.h"
#include "tests/platform/kernel/temp_dir.h"
#include "tests/platform/mmio/riff_builder.h"

namespace {

using namespace riff;

class ChunkTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (h) mmioClose(h, 0);
    }
    HMMIO Open(const std::string& bytes) {
        if (h) mmioClose(h, 0);
        std::string path = dir.Write("f.riff", bytes);
        h = mmioOpenA(path.data(), nullptr, MMIO_ALLOCBUF);
        return h;
    }
    LONG Tell() { return mmioSeek(h, 0, SEEK_CUR); }
    MMRESULT Find(MMCKINFO* ck, const char* id, const MMCKINFO* parent) {
        ck->ckid = mmioFOURCC(id[0], id[1], id[2], id[3]);
        return mmioDescend(h, ck, parent, MMIO_FINDCHUNK);
    }
    std::string ReadString(LONG n) {
        std::string s(static_cast<std::size_t>(n), '\0');
        LONG got = mmioRead(h, s.data(), n);
        s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return s;
    }

    TempDir dir;
    HMMIO h = nullptr;
};

TEST_F(ChunkTest, DescendIntoRiffGivesFormTypeAndDataOffset) {
    ASSERT_NE(Open(Riff("WAVE", Chunk("abcd", "xyz"))), nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(riff.cksize, 4u + 8u + 4u);  // form type, header, 3 bytes and a pad
    EXPECT_EQ(riff.fccType, mmioFOURCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(riff.dwDataOffset, 8u);
    EXPECT_EQ(Tell(), 12);
    MMCKINFO sub{};
    ASSERT_EQ(mmioDescend(h, &sub, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(sub.ckid, mmioFOURCC('a', 'b', 'c', 'd'));
    EXPECT_EQ(sub.cksize, 3u);
    EXPECT_EQ(sub.dwDataOffset, 20u);
    EXPECT_EQ(ReadString(3), "xyz");
}

TEST_F(ChunkTest, FindSkipsOddChunksByTheirPadAndAscendLandsAfterThePad) {
    ASSERT_NE(Open(Riff("WAVE", Chunk("JUNK", "abc") + Chunk("odd1", "q") + Chunk("want", "hello") +
                                    Chunk("next", "zz"))),
              nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO want{};
    ASSERT_EQ(Find(&want, "want", &riff), MMSYSERR_NOERROR);
    EXPECT_EQ(want.cksize, 5u);
    EXPECT_EQ(want.dwDataOffset, 12u + 12u + 10u + 8u);
    EXPECT_EQ(ReadString(2), "he");
    ASSERT_EQ(mmioAscend(h, &want, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(Tell(), static_cast<LONG>(want.dwDataOffset + 6));
    MMCKINFO next{};
    ASSERT_EQ(mmioDescend(h, &next, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(next.ckid, mmioFOURCC('n', 'e', 'x', 't'));
    // A search from here on cannot find what lies behind.
    ASSERT_EQ(mmioAscend(h, &next, 0), MMSYSERR_NOERROR);
    MMCKINFO again{};
    EXPECT_EQ(Find(&again, "want", &riff), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(ChunkTest, SearchStaysInsideTheParent) {
    // "tail" lies in the file but after the RIFF chunk's end.
    ASSERT_NE(Open(Riff("WAVE", Chunk("fmt ", "1234")) + Chunk("tail", "x")), nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO ck{};
    EXPECT_EQ(Find(&ck, "tail", &riff), MMIOERR_CHUNKNOTFOUND);
    // Without a parent the search runs to the end of the file.
    ASSERT_EQ(mmioSeek(h, 12, SEEK_SET), 12);
    EXPECT_EQ(Find(&ck, "tail", nullptr), MMSYSERR_NOERROR);
}

TEST_F(ChunkTest, HeaderCutByTheParentsEndIsNotAChunk) {
    // The RIFF chunk declares 4 + 8 + 4 bytes, then a header half inside it.
    std::string body = std::string("WAVE") + Chunk("aaaa", "1234") + "bb";
    ASSERT_NE(Open(ChunkDeclaring("RIFF", static_cast<std::uint32_t>(body.size()), body) + "bb" + U32(2) + "zz"),
              nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO ck{};
    EXPECT_EQ(Find(&ck, "bbbb", &riff), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(ChunkTest, NestedListIsFoundByTypeAndEntered) {
    std::string info = List("INFO", Chunk("INAM", "name") + Chunk("ICMT", "c"));
    std::string other = List("adtl", Chunk("labl", "zz"));
    ASSERT_NE(Open(Riff("WAVE", other + info + Chunk("data", "DATA"))), nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO list{};
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioDescend(h, &list, &riff, MMIO_FINDLIST), MMSYSERR_NOERROR);
    EXPECT_EQ(list.ckid, FOURCC_LIST);
    EXPECT_EQ(list.dwDataOffset, 12u + other.size() + 8u);
    MMCKINFO cmt{};
    ASSERT_EQ(Find(&cmt, "ICMT", &list), MMSYSERR_NOERROR);
    EXPECT_EQ(ReadString(1), "c");
    ASSERT_EQ(mmioAscend(h, &cmt, 0), MMSYSERR_NOERROR);
    MMCKINFO inList{};
    EXPECT_EQ(Find(&inList, "data", &list), MMIOERR_CHUNKNOTFOUND);  // not inside the LIST
    ASSERT_EQ(mmioAscend(h, &list, 0), MMSYSERR_NOERROR);
    MMCKINFO data{};
    ASSERT_EQ(Find(&data, "data", &riff), MMSYSERR_NOERROR);
    EXPECT_EQ(ReadString(4), "DATA");
}

TEST_F(ChunkTest, FindRiffSkipsOtherChunksAndFormTypes) {
    ASSERT_NE(Open(Chunk("JUNK", "abcde") + Riff("AVI ", Chunk("x   ", "1")) + Riff("WAVE", Chunk("fmt ", "ok"))),
              nullptr);
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.dwDataOffset, 14u + 22u + 8u);
    MMCKINFO fmt{};
    ASSERT_EQ(Find(&fmt, "fmt ", &riff), MMSYSERR_NOERROR);
    EXPECT_EQ(ReadString(2), "ok");
    ASSERT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
    MMCKINFO none{};
    none.fccType = mmioFOURCC('R', 'M', 'I', 'D');
    EXPECT_EQ(mmioDescend(h, &none, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(ChunkTest, SizesPastTheEndOfFileAreNotTrusted) {
    // "data" says a million bytes, the file holds six.
    ASSERT_NE(Open(Riff("WAVE", Chunk("fmt ", "1234") + ChunkDeclaring("data", 1000000, "sixsix"))), nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO data{};
    ASSERT_EQ(Find(&data, "data", &riff), MMSYSERR_NOERROR);
    EXPECT_EQ(data.cksize, 1000000u);
    EXPECT_EQ(ReadString(100), "sixsix");
    EXPECT_EQ(ReadString(100), "");
    // Ascending far past the end succeeds; nothing more is found there.
    ASSERT_EQ(mmioAscend(h, &data, 0), MMSYSERR_NOERROR);
    MMCKINFO more{};
    EXPECT_EQ(Find(&more, "more", nullptr), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(ChunkTest, HugeSizesEndTheSearchWithoutOverflow) {
    ASSERT_NE(Open(ChunkDeclaring("RIFF", 0xFFFFFFFFu, std::string("WAVE") + ChunkDeclaring("big ", 0xFFFFFFFFu, "") +
                                                           Chunk("fmt ", "ab"))),
              nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO fmt{};
    EXPECT_EQ(Find(&fmt, "fmt ", &riff), MMIOERR_CHUNKNOTFOUND);
    MMCKINFO big{};
    big.dwDataOffset = 0x7FFFFFF0u;
    big.cksize = 0xFFFFFFFFu;
    EXPECT_EQ(mmioAscend(h, &big, 0), MMIOERR_CANNOTSEEK);
}

TEST_F(ChunkTest, RunsOfZerosEndTheSearchWhereTheEightByteWalkWould) {
    // Zeros, written and then a hole, are empty chunks walked 8 bytes at a time: a RIFF
    // chunk on that grid is found (and the zeros inside it passed), one off it is not.
    const std::string riff = Riff("WAVE", std::string(40, '\0') + Chunk("fmt ", "ok"));
    for (const long at : {3L << 20, (3L << 20) + 4}) {
        const std::string path = dir.Write("zeros.riff", std::string(5000, '\0'));
        std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(at).write(riff.data(), riff.size());
        if (h) mmioClose(h, 0);
        ASSERT_NE(h = mmioOpenA(const_cast<char*>(path.c_str()), nullptr, MMIO_ALLOCBUF), nullptr);
        MMCKINFO found{0, 0, mmioFOURCC('W', 'A', 'V', 'E'), 0, 0};
        const MMRESULT result = mmioDescend(h, &found, nullptr, MMIO_FINDRIFF);
        EXPECT_EQ(result, at % 8 ? MMIOERR_CHUNKNOTFOUND : MMSYSERR_NOERROR) << at;
        MMCKINFO fmt{};
        EXPECT_EQ(result != MMSYSERR_NOERROR || Find(&fmt, "fmt ", &found) == MMSYSERR_NOERROR, true);
    }
}

TEST_F(ChunkTest, TruncatedHeadersAreNotFound) {
    ASSERT_NE(Open(std::string("RIFF") + U32(100) + "WA"), nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.fccType, 0u);  // the form type is cut off
    ASSERT_NE(Open("RIF"), nullptr);
    EXPECT_EQ(mmioDescend(h, &riff, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
    ASSERT_NE(Open(""), nullptr);
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    EXPECT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioDescend(h, &riff, nullptr, 0x8000), MMSYSERR_INVALPARAM);
}

}  // namespace
