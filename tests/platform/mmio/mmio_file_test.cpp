#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/mmio/mmsystem.h"
#include "tests/platform/kernel/temp_dir.h"

namespace {

class MmioFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 100; ++i) bytes += static_cast<char>(i);
        path = dir.Write("counting.bin", bytes);
    }
    void TearDown() override {
        if (h) mmioClose(h, 0);
    }
    HMMIO OpenWithBuffer(LONG size) {
        MMIOINFO info{};
        info.cchBuffer = size;
        h = mmioOpenA(path.data(), &info, MMIO_ALLOCBUF);
        return h;
    }
    LONG Tell() { return mmioSeek(h, 0, SEEK_CUR); }

    TempDir dir;
    std::string bytes;
    std::string path;
    HMMIO h = nullptr;
};

TEST_F(MmioFileTest, OpenRefusesMissingFilesFoldersDevicesPipesAndWriting) {
    MMIOINFO info{};
    std::string missing = dir.File("missing.wav");
    EXPECT_EQ(mmioOpenA(missing.data(), &info, MMIO_ALLOCBUF), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);
    std::string folder = dir.path();
    EXPECT_EQ(mmioOpenA(folder.data(), nullptr, MMIO_ALLOCBUF), nullptr);
    // Opening a pipe nobody writes to would wait for ever; a device never ends.
    std::string fifo = dir.File("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(mmioOpenA(fifo.data(), nullptr, MMIO_ALLOCBUF), nullptr);
    EXPECT_EQ(mmioOpenA(const_cast<char*>("/dev/zero"), nullptr, MMIO_ALLOCBUF), nullptr);
    EXPECT_EQ(mmioOpenA(path.data(), nullptr, MMIO_WRITE), nullptr);
    EXPECT_EQ(mmioOpenA(nullptr, nullptr, MMIO_ALLOCBUF), nullptr);
    // The layer's backslash form names the same file.
    std::string layer = path;
    for (char& c : layer)
        if (c == '/') c = '\\';
    HMMIO f = mmioOpenA(layer.data(), nullptr, MMIO_ALLOCBUF);
    ASSERT_NE(f, nullptr);
    MMIOINFO got;
    ASSERT_EQ(mmioGetInfo(f, &got, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(got.cchBuffer, MMIO_DEFAULTBUFFER);
    EXPECT_EQ(mmioClose(f, 0), MMSYSERR_NOERROR);
}

TEST_F(MmioFileTest, ReadsAcrossRefillsAndLargeReadsStayInOrder) {
    ASSERT_NE(OpenWithBuffer(16), nullptr);
    char out[100];
    EXPECT_EQ(mmioRead(h, out, 3), 3);
    EXPECT_EQ(std::string(out, 3), bytes.substr(0, 3));
    EXPECT_EQ(mmioRead(h, out, 50), 50);  // larger than the buffer
    EXPECT_EQ(std::string(out, 50), bytes.substr(3, 50));
    EXPECT_EQ(mmioRead(h, out, 10), 10);
    EXPECT_EQ(std::string(out, 10), bytes.substr(53, 10));
    EXPECT_EQ(mmioRead(h, out, 100), 37);  // stops at the end
    EXPECT_EQ(std::string(out, 37), bytes.substr(63));
    EXPECT_EQ(mmioRead(h, out, 10), 0);
    EXPECT_EQ(mmioRead(h, out, -1), -1);
}

TEST_F(MmioFileTest, SeekMovesWithinAndOutsideTheBuffer) {
    ASSERT_NE(OpenWithBuffer(16), nullptr);
    char c;
    EXPECT_EQ(mmioSeek(h, 10, SEEK_SET), 10);
    ASSERT_EQ(mmioRead(h, &c, 1), 1);
    EXPECT_EQ(c, 10);
    EXPECT_EQ(mmioSeek(h, 2, SEEK_SET), 2);  // before the buffered bytes
    ASSERT_EQ(mmioRead(h, &c, 1), 1);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(mmioSeek(h, 5, SEEK_CUR), 8);  // inside them
    ASSERT_EQ(mmioRead(h, &c, 1), 1);
    EXPECT_EQ(c, 8);
    EXPECT_EQ(mmioSeek(h, -4, SEEK_END), 96);
    ASSERT_EQ(mmioRead(h, &c, 1), 1);
    EXPECT_EQ(c, 96);
    EXPECT_EQ(mmioSeek(h, -200, SEEK_CUR), -1);
    EXPECT_EQ(Tell(), 97);
    EXPECT_EQ(mmioSeek(h, 500, SEEK_SET), 500);  // past the end: reads give nothing
    EXPECT_EQ(mmioRead(h, &c, 1), 0);
    EXPECT_EQ(mmioSeek(h, 0, 7), -1);
}

TEST_F(MmioFileTest, DirectBufferAccessSharesThePosition) {
    ASSERT_NE(OpenWithBuffer(16), nullptr);
    char c[4];
    ASSERT_EQ(mmioRead(h, c, 3), 3);
    MMIOINFO info;
    ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(info.lBufOffset + (info.pchNext - info.pchBuffer), 3);
    ASSERT_EQ(info.pchEndRead - info.pchNext, 13);
    EXPECT_EQ(*info.pchNext, 3);
    info.pchNext += 5;  // consume 3..7 straight from the buffer
    ASSERT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(Tell(), 8);
    ASSERT_EQ(mmioRead(h, c, 1), 1);
    EXPECT_EQ(c[0], 8);
}

TEST_F(MmioFileTest, AdvanceRefillsFromTheEndOfReadToTheEndOfFile) {
    ASSERT_NE(OpenWithBuffer(16), nullptr);
    char c;
    ASSERT_EQ(mmioRead(h, &c, 1), 1);  // buffer holds 0..15
    MMIOINFO info;
    ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
    EXPECT_EQ(info.lBufOffset, 16);
    EXPECT_EQ(info.pchNext, info.pchBuffer);
    EXPECT_EQ(info.pchEndRead - info.pchBuffer, 16);
    EXPECT_EQ(*info.pchNext, 16);
    std::string seen;
    while (info.pchNext != info.pchEndRead) {
        seen.append(info.pchNext, info.pchEndRead);
        info.pchNext = info.pchEndRead;
        ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(seen, bytes.substr(16));
    ASSERT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(Tell(), 100);
    // After a seek the buffer is empty and the next advance loads from the new position.
    ASSERT_EQ(mmioSeek(h, 40, SEEK_SET), 40);
    ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
    if (info.pchNext == info.pchEndRead) {
        ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(*info.pchNext, 40);
}

TEST_F(MmioFileTest, ForeignOrOutOfRangePointersAreRefused) {
    ASSERT_NE(OpenWithBuffer(16), nullptr);
    char c;
    ASSERT_EQ(mmioRead(h, &c, 1), 1);
    MMIOINFO info;
    ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
    MMIOINFO bad = info;
    bad.pchNext = info.pchEndRead + 1;
    EXPECT_EQ(mmioSetInfo(h, &bad, 0), MMSYSERR_INVALPARAM);
    bad = info;
    bad.pchBuffer = &c;
    EXPECT_EQ(mmioSetInfo(h, &bad, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAdvance(h, &bad, MMIO_READ), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAdvance(h, &info, MMIO_WRITE), MMSYSERR_INVALPARAM);
    EXPECT_EQ(Tell(), 1);
    EXPECT_EQ(mmioGetInfo(h, nullptr, 0), MMSYSERR_INVALPARAM);
}

TEST(MmioHandleTest, NullHandleIsRefusedEverywhere) {
    char c;
    MMIOINFO info{};
    MMCKINFO ck{};
    EXPECT_EQ(mmioRead(nullptr, &c, 1), -1);
    EXPECT_EQ(mmioSeek(nullptr, 0, SEEK_SET), -1);
    EXPECT_EQ(mmioGetInfo(nullptr, &info, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioSetInfo(nullptr, &info, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioAdvance(nullptr, &info, MMIO_READ), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioDescend(nullptr, &ck, nullptr, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioAscend(nullptr, &ck, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioClose(nullptr, 0), MMSYSERR_INVALHANDLE);
}

}  // namespace
