#include <algorithm>
#include <cstring>

#include "audio/wave_stream.h"

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

// The probe's own rules, looser than the reader's in where the RIFF chunk may lie and
// stricter in where "data" may lie: it has to follow "fmt ". Integer PCM only, plain or
// extensible; float is not PCM.
DWORD ProbeOpenFile(HMMIO file) {
    MMCKINFO riff{};
    MMCKINFO fmt{};
    WAVEFORMATEXTENSIBLE format;
    const LONG got = ReadFirstWaveFormat(file, &riff, &fmt, &format);
    if (got < 0 || static_cast<DWORD>(got) < std::min<DWORD>(fmt.cksize, sizeof format)) return 0;
    if (!IsPcmFormat(format.Format)) return 0;
    if (waveOutOpen(nullptr, WAVE_MAPPER, &format.Format, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR) return 0;

    mmioAscend(file, &fmt, 0);  // a failed ascent makes no difference to the answer

    MMCKINFO data{};
    data.ckid = kData;
    if (mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return 0;
    return data.cksize;
}

}  // namespace

LONG ReadFirstWaveFormat(HMMIO file, MMCKINFO* riff, MMCKINFO* fmt, WAVEFORMATEXTENSIBLE* format) {
    std::memset(format, 0, sizeof *format);
    *riff = MMCKINFO{};
    riff->fccType = kWave;
    if (mmioDescend(file, riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return -1;
    *fmt = MMCKINFO{};
    fmt->ckid = kFmt;
    if (mmioDescend(file, fmt, riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return -1;
    // Room for the extensible record: files of more than 16 bits or two channels say
    // "PCM" only in its sub-format.
    const LONG wanted = fmt->cksize < sizeof *format ? static_cast<LONG>(fmt->cksize) : static_cast<LONG>(sizeof *format);
    return std::max<LONG>(0, mmioRead(file, reinterpret_cast<char*>(format), wanted));
}

DWORD ProbeWaveFile(LPSTR fileName) {
    HMMIO file = OpenAudioFile(fileName);
    if (!file) return 0;
    DWORD size = ProbeOpenFile(file);
    mmioClose(file, 0);
    return size;
}
