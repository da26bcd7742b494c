// What an HMMIO stands for: a read-only file and its I/O buffer. The buffer holds the
// file bytes [bufferOffset, bufferOffset + endRead); the current position is
// bufferOffset + next. Every operation keeps 0 <= next <= endRead <= buffer size, so
// the position seen through mmioRead/mmioSeek and through the buffer pointers is one.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/mmio/mmsystem.h"

namespace mmio {

struct MmioFile {
    int fd = -1;
    // A file read through an installed I/O procedure instead of fd, with the record the
    // procedure keeps its state in.
    LPMMIOPROC proc = nullptr;
    MMIOINFO procInfo{};
    std::vector<char> buffer;
    std::int64_t bufferOffset = 0;
    std::int64_t endRead = 0;
    std::int64_t next = 0;

    std::int64_t Position() const { return bufferOffset + next; }
    // Up to count bytes from offset on, from the file or its procedure; -1 on an error.
    std::int64_t ReadAt(char* out, std::int64_t count, std::int64_t offset);
    // The file's size, or -1.
    std::int64_t Size();
    // Empties the buffer and puts the position at pos (not checked against the file end).
    void MoveTo(std::int64_t pos);
    // Loads the buffer from the file position that follows its valid bytes; false on an
    // I/O error. At the end of the file the buffer is left empty (next == endRead).
    bool RefillAfterEnd();
    // Copies up to count bytes from the position on; returns the bytes copied, -1 on error.
    std::int64_t Read(char* out, std::int64_t count);
    // The offset of the first byte in [from, end) that is not zero; when there is none (or
    // the file cannot be read), the smaller of end and the file's size, never below from. Holes of a
    // sparse file are passed over without reading them. Moves the position.
    std::int64_t FirstNonZero(std::int64_t from, std::int64_t end);
};

inline MmioFile* FromHandle(HMMIO h) { return reinterpret_cast<MmioFile*>(h); }
inline HMMIO ToHandle(MmioFile* f) { return reinterpret_cast<HMMIO>(f); }

// Positions are LONG at the interface; anything beyond cannot be reached.
constexpr std::int64_t kMaxPosition = 0x7FFFFFFF;

}  // namespace mmio
