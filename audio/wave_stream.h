// The RIFF/WAVE reader: one file, its format record and its data, read through mmio.
#pragma once

#include "platform/mmio/mmsystem.h"

// Opens an audio file for the reader and the probe: an integer-PCM WAV file as it is on
// disk, any other format the platform's decoder reads as a PCM WAV file of its samples;
// null when neither can open it.
HMMIO OpenAudioFile(LPSTR fileName);

HRESULT OpenWaveFile(LPSTR fileName, HMMIO* handle, WAVEFORMATEX** format, MMCKINFO* riff);
HRESULT ReadWaveFormat(HMMIO handle, MMCKINFO* riff, WAVEFORMATEX** format);
HRESULT SeekToWaveData(HMMIO handle, MMCKINFO* data, MMCKINFO* riff);
HRESULT ReadWaveData(HMMIO handle, UINT size, BYTE* buffer, MMCKINFO* data, UINT* bytesRead);

// The first RIFF WAVE chunk wherever it lies, its "fmt " chunk, and as much of the format
// as the chunk and the file hold (the rest zero): the bytes read, or -1 without them.
LONG ReadFirstWaveFormat(HMMIO file, MMCKINFO* riff, MMCKINFO* fmt, WAVEFORMATEXTENSIBLE* format);

// Size of the "data" chunk of a PCM WAV file (or of a decoded file presented as one) that
// the wave-out device can play; 0 otherwise.
DWORD ProbeWaveFile(LPSTR fileName);

class CWaveStream {
public:
    CWaveStream();
    ~CWaveStream();
    CWaveStream(const CWaveStream&) = delete;
    CWaveStream& operator=(const CWaveStream&) = delete;

    HRESULT Open(LPSTR fileName);
    HRESULT Rewind();
    HRESULT Read(UINT size, BYTE* buffer, UINT* bytesRead);
    HRESULT Close();

    WAVEFORMATEX* m_pwfx;  // owned; allocated with new[] as BYTE[18 + cbSize]
    HMMIO m_hmmio;
    MMCKINFO m_ckData;     // cksize counts the data bytes not yet requested
    MMCKINFO m_ckRiff;
};
