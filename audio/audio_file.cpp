// Which way a file is read: an integer-PCM RIFF WAVE file straight from the disk, as it
// always was; any other file through the platform's audio decoder, which presents its
// decoded samples as such a file, so the reader and the probe read every format alike.
#include <cstdio>

#include "audio/wave_stream.h"
#include "platform/mmio/audio_decoder.h"

namespace {

constexpr FOURCC kDecodedAudio = mmioFOURCC('A', 'D', 'E', 'C');

// Judged as the probe judges, on as much of the format as the file holds.
bool IsIntegerPcmWave(HMMIO file) {
    MMCKINFO riff;
    MMCKINFO fmt;
    WAVEFORMATEXTENSIBLE format;
    return ReadFirstWaveFormat(file, &riff, &fmt, &format) >= static_cast<LONG>(sizeof(WORD)) &&
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
