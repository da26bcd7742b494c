// Buffered RIFF file I/O and the wave-out format query, with the platform's records.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/kernel/types.h"

#pragma pack(push, 1)
// 18 bytes, directly followed by cbSize bytes of format-specific data.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
// The 16-byte head of a "fmt " chunk.
struct PCMWAVEFORMAT {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
};
// How files of more than 16 bits or 2 channels are written: the 18 bytes, then (with
// cbSize 22) the valid bits, the speaker mask and the sample format's GUID.
struct WAVEFORMATEXTENSIBLE {
    WAVEFORMATEX Format;
    WORD wValidBitsPerSample;
    DWORD dwChannelMask;
    GUID SubFormat;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is 18 bytes");
static_assert(sizeof(PCMWAVEFORMAT) == 16, "PCMWAVEFORMAT is 16 bytes");
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40, "WAVEFORMATEXTENSIBLE is 40 bytes");
using LPWAVEFORMATEX = WAVEFORMATEX*;

constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;
constexpr WORD kExtensibleExtraBytes = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
constexpr GUID KSDATAFORMAT_SUBTYPE_PCM = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// Integer PCM samples: tag 1, or the extensible tag with the PCM sub-format. The
// extensible record's extra bytes are read only when cbSize says they are there.
inline bool IsPcmFormat(const WAVEFORMATEX& f) {
    if (f.wFormatTag == WAVE_FORMAT_PCM) return true;
    if (f.wFormatTag != WAVE_FORMAT_EXTENSIBLE || f.cbSize < kExtensibleExtraBytes) return false;
    // Copied out: a packed record need not sit where a GUID may be loaded from.
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&f);
    GUID subFormat;
    WORD validBits;
    std::memcpy(&subFormat, bytes + offsetof(WAVEFORMATEXTENSIBLE, SubFormat), sizeof subFormat);
    std::memcpy(&validBits, bytes + offsetof(WAVEFORMATEXTENSIBLE, wValidBitsPerSample), sizeof validBits);
    return subFormat == KSDATAFORMAT_SUBTYPE_PCM && validBits <= f.wBitsPerSample;
}

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<BYTE>(a)) | (static_cast<FOURCC>(static_cast<BYTE>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<BYTE>(c)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(d)) << 24);
}
constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

struct HMMIO__;
using HMMIO = HMMIO__*;

struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};
using LPMMCKINFO = MMCKINFO*;

// Direct access to the I/O buffer: bytes between pchNext and pchEndRead are file data
// at the file position lBufOffset + (pchNext - pchBuffer).
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    void* pIOProc;
    UINT wErrorRet;
    void* htask;
    LONG cchBuffer;
    char* pchBuffer;
    char* pchNext;
    char* pchEndRead;
    char* pchEndWrite;
    LONG lBufOffset;
    LONG lDiskOffset;
    DWORD adwInfo[3];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};
using LPMMIOINFO = MMIOINFO*;

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;
constexpr LONG MMIO_DEFAULTBUFFER = 8192;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_CANNOTOPEN = 257;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = 258;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 266;
constexpr MMRESULT MMIOERR_CANNOTREAD = 267;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = 269;
constexpr MMRESULT WAVERR_BADFORMAT = 32;

constexpr int SEEK_SET_ = 0;  // the C library's SEEK_SET/CUR/END values are used as they are

// Installable I/O procedures: a file opened with MMIOINFO.fccIOProc (or pIOProc) set is
// read through the procedure instead of the file system, and the buffering, chunks and
// positions above it work as for any file. The procedure receives the handle's MMIOINFO,
// keeps its own state in adwInfo and the position it stands at in lDiskOffset, and
// answers MMIOM_OPEN (lParam1: the file name; 0 or an MMIOERR_ code), MMIOM_CLOSE,
// MMIOM_READ (lParam1: buffer, lParam2: count; bytes read, 0 at the end, -1 on error) and
// MMIOM_SEEK (lParam1: offset, lParam2: SEEK_SET/CUR/END; the new position or -1).
using LPMMIOPROC = LRESULT (*)(LPSTR mmioinfo, UINT message, LPARAM lParam1, LPARAM lParam2);
constexpr UINT MMIOM_READ = MMIO_READ;
constexpr UINT MMIOM_WRITE = MMIO_WRITE;
constexpr UINT MMIOM_SEEK = 2;
constexpr UINT MMIOM_OPEN = 3;
constexpr UINT MMIOM_CLOSE = 4;
constexpr DWORD MMIO_INSTALLPROC = 0x00010000;
constexpr DWORD MMIO_GLOBALPROC = 0x10000000;
constexpr DWORD MMIO_REMOVEPROC = 0x00020000;
constexpr DWORD MMIO_FINDPROC = 0x00040000;
// Installs (MMIO_INSTALLPROC), finds (MMIO_FINDPROC) or removes (MMIO_REMOVEPROC, which
// needs the procedure that was installed) the procedure of a four-character code;
// returns the procedure, or null. Installed procedures serve every thread of the process.
LPMMIOPROC mmioInstallIOProcA(FOURCC fccIOProc, LPMMIOPROC ioProc, DWORD flags);

// Opens for reading only (flags MMIO_READ, with or without MMIO_ALLOCBUF: the file is
// always buffered); null when the file cannot be opened. With info, a positive cchBuffer
// chooses the buffer size (default MMIO_DEFAULTBUFFER), pIOProc or else fccIOProc the
// I/O procedure (MMIOERR_CANNOTOPEN for a code nothing is installed under), and
// wErrorRet receives the error.
HMMIO mmioOpenA(LPSTR fileName, MMIOINFO* info, DWORD flags);
MMRESULT mmioClose(HMMIO h, UINT flags);
LONG mmioRead(HMMIO h, char* buffer, LONG count);
LONG mmioSeek(HMMIO h, LONG offset, int origin);
// Flags 0 enters the chunk at the current position; MMIO_FINDCHUNK, MMIO_FINDRIFF and
// MMIO_FINDLIST search from the current position to the parent's end (or the file's end
// without a parent). A chunk is found only when its whole header lies inside the parent;
// its declared size is not checked against the file, so reads inside it stop at the end
// of the file. Positions at the chunk's data (after the form type of RIFF and LIST).
MMRESULT mmioDescend(HMMIO h, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags);
// Positions after the chunk's data and its pad byte (even when that is past the end).
MMRESULT mmioAscend(HMMIO h, LPMMCKINFO chunk, UINT flags);
MMRESULT mmioGetInfo(HMMIO h, LPMMIOINFO info, UINT flags);
MMRESULT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT flags);
MMRESULT mmioAdvance(HMMIO h, LPMMIOINFO info, UINT flags);

struct HWAVEOUT__;
using HWAVEOUT = HWAVEOUT__*;
constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;
constexpr DWORD WAVE_FORMAT_QUERY = 0x0001;

// With WAVE_FORMAT_QUERY (device WAVE_MAPPER or 0): 0 for every PCM format the layer can
// really play, else WAVERR_BADFORMAT; no device is opened. The rule, which the sound layer
// accepts exactly and must keep in step with:
//   integer PCM (IsPcmFormat), wBitsPerSample 8, 16, 24 or 32, nSamplesPerSec 8000..96000,
//   nChannels 1 or 2 (up to 8 with the extensible tag, whose speaker layout says which),
//   nBlockAlign == nChannels * wBitsPerSample / 8,
//   nAvgBytesPerSec == nSamplesPerSec * nBlockAlign (for tag 1, cbSize is not looked at).
// Other uses are not supported (MMSYSERR_ERROR); a null format is MMSYSERR_INVALPARAM.
bool IsPlayablePcmFormat(const WAVEFORMATEX& format);
MMRESULT waveOutOpen(HWAVEOUT* handle, UINT device, const WAVEFORMATEX* format,
                     DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
