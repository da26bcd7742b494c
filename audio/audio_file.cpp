// Which way a file is read: an integer-PCM RIFF WAVE file straight from the disk, as it
// always was; any other file through the platform's audio decoder, which presents its
// decoded samples as such a file, so the reader and the probe read every format alike.
#include <cstdio>
#include <cstring>

#include "audio/wave_stream.h"
#include "platform/mmio/audio_decoder.h"

namespace {

constexpr FOURCC kDecodedAudio = mmioFOURCC('A', 'D', 'E', 'C');
constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');

// Judged as the probe judges: the first RIFF WAVE chunk wherever it lies, and its format
// as far as the file holds it.
bool IsIntegerPcmWave(HMMIO file) {
    MMCKINFO riff{};
    riff.fccType = kWave;
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return false;
    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    if (mmioDescend(file, &fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    WAVEFORMATEXTENSIBLE format;
    std::memset(&format, 0, sizeof format);
    const LONG wanted = fmt.cksize < sizeof format ? static_cast<LONG>(fmt.cksize) : static_cast<LONG>(sizeof format);
    return mmioRead(file, reinterpret_cast<char*>(&format), wanted) >= static_cast<LONG>(sizeof(WORD)) &&
           IsPcmFormat(format.Format);
}

}  // namespace

HMMIO OpenAudioFile(LPSTR fileName) {
    static const bool decoderInstalled =
        mmioInstallIOProcA(kDecodedAudio, AudioDecoderIOProc, MMIO_INSTALLPROC | MMIO_GLOBALPROC) != nullptr;
    HMMIO file = mmioOpenA(fileName, nullptr, MMIO_ALLOCBUF);
    if (!file) return nullptr;  // what cannot be opened cannot be decoded either
    if (IsIntegerPcmWave(file) && mmioSeek(file, 0, SEEK_SET) == 0) return file;
    mmioClose(file, 0);
    if (!decoderInstalled) return nullptr;
    MMIOINFO info{};
    info.fccIOProc = kDecodedAudio;
    return mmioOpenA(fileName, &info, MMIO_READ | MMIO_ALLOCBUF);
}
