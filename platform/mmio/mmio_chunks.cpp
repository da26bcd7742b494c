// RIFF chunk navigation. Sizes come from the file and are never trusted: every offset is
// computed in 64 bits, a search never looks at a header that does not lie wholly inside
// the parent, and nothing here reads a byte that is not requested through mmioRead.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/mmio/mmio_file.h"

namespace {

constexpr std::int64_t kHeaderBytes = 8;
constexpr std::int64_t kFormTypeBytes = 4;

bool HasFormType(FOURCC id) { return id == FOURCC_RIFF || id == FOURCC_LIST; }

FOURCC LoadFourcc(const char* p) {
    FOURCC v;
    std::memcpy(&v, p, sizeof v);
    return v;  // the file is little-endian, as is every target
}

std::int64_t PaddedEnd(std::int64_t dataOffset, DWORD size) {
    return dataOffset + static_cast<std::int64_t>(size) + (size & 1u);
}

// End of the parent's data, or "no limit" without a parent.
std::int64_t ParentEnd(const MMCKINFO* parent) {
    if (!parent) return INT64_MAX;
    return static_cast<std::int64_t>(parent->dwDataOffset) + parent->cksize;
}

// Reads the header at the current position into chunk, including the form type of RIFF
// and LIST, and leaves the position at the chunk's data.
bool ReadHeader(mmio::MmioFile* file, std::int64_t limit, MMCKINFO* chunk) {
    std::int64_t start = file->Position();
    if (start + kHeaderBytes > limit) return false;
    char header[kHeaderBytes];
    if (file->Read(header, kHeaderBytes) != kHeaderBytes) return false;
    MMCKINFO found{};
    found.ckid = LoadFourcc(header);
    std::memcpy(&found.cksize, header + 4, sizeof found.cksize);
    found.dwDataOffset = static_cast<DWORD>(start + kHeaderBytes);
    // The form type counts as chunk data: a RIFF or LIST too small to hold one, or whose
    // form type lies outside the parent or the file, has none (0) and matches no search.
    if (HasFormType(found.ckid) && found.cksize >= kFormTypeBytes &&
        start + kHeaderBytes + kFormTypeBytes <= limit) {
        char type[kFormTypeBytes];
        if (file->Read(type, kFormTypeBytes) == kFormTypeBytes)
            found.fccType = LoadFourcc(type);
        else
            mmioSeek(mmio::ToHandle(file), static_cast<LONG>(found.dwDataOffset), SEEK_SET);
    }
    *chunk = found;
    return true;
}

}  // namespace

MMRESULT mmioDescend(HMMIO h, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags) {
    mmio::MmioFile* file = mmio::FromHandle(h);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!chunk) return MMSYSERR_INVALPARAM;
    const std::int64_t limit = ParentEnd(parent);

    if (flags == 0) {
        if (!ReadHeader(file, limit, chunk)) return MMIOERR_CHUNKNOTFOUND;
        return MMSYSERR_NOERROR;
    }
    FOURCC wantedId;
    bool matchType = false;
    switch (flags) {
    case MMIO_FINDCHUNK: wantedId = chunk->ckid; break;
    case MMIO_FINDRIFF: wantedId = FOURCC_RIFF; matchType = true; break;
    case MMIO_FINDLIST: wantedId = FOURCC_LIST; matchType = true; break;
    default: return MMSYSERR_INVALPARAM;
    }
    const FOURCC wantedType = chunk->fccType;
    for (;;) {
        MMCKINFO found;
        if (!ReadHeader(file, limit, &found)) return MMIOERR_CHUNKNOTFOUND;
        if (found.ckid == wantedId && (!matchType || found.fccType == wantedType)) {
            *chunk = found;
            return MMSYSERR_NOERROR;
        }
        std::int64_t after = PaddedEnd(found.dwDataOffset, found.cksize);
        // A run of zeros is a run of empty chunks with id 0, walked 8 bytes at a time: a
        // file of gigabytes of zeros would take seconds. Go straight to the first header
        // the walk would reach that holds anything else; every header before it would
        // have been passed over for the same reasons as the last one of the run.
        if (found.ckid == 0 && found.cksize == 0) {
            const std::int64_t start = after - kHeaderBytes;
            const std::int64_t nonZero = file->FirstNonZero(after, std::min(limit, mmio::kMaxPosition + kHeaderBytes));
            after = start + (nonZero - start) / kHeaderBytes * kHeaderBytes;
        }
        if (after > mmio::kMaxPosition || after >= limit) return MMIOERR_CHUNKNOTFOUND;
        mmioSeek(h, static_cast<LONG>(after), SEEK_SET);
    }
}

MMRESULT mmioAscend(HMMIO h, LPMMCKINFO chunk, UINT) {
    mmio::MmioFile* file = mmio::FromHandle(h);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!chunk) return MMSYSERR_INVALPARAM;
    std::int64_t after = PaddedEnd(chunk->dwDataOffset, chunk->cksize);
    if (after > mmio::kMaxPosition) return MMIOERR_CANNOTSEEK;
    return mmioSeek(h, static_cast<LONG>(after), SEEK_SET) < 0 ? MMIOERR_CANNOTSEEK : MMSYSERR_NOERROR;
}
