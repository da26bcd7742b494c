#include "audio/wave_stream.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

// The record is a byte array of 18 + cbSize, so it is freed as one.
void FreeFormat(WAVEFORMATEX*& format) {
    delete[] reinterpret_cast<BYTE*>(format);
    format = nullptr;
}

WAVEFORMATEX* AllocateFormat(std::size_t extraBytes) {
    return reinterpret_cast<WAVEFORMATEX*>(new (std::nothrow) BYTE[sizeof(WAVEFORMATEX) + extraBytes]);
}

}  // namespace

HRESULT ReadWaveFormat(HMMIO handle, MMCKINFO* riff, WAVEFORMATEX** format) {
    if (!riff || !format) return E_FAIL;
    *format = nullptr;
    // The RIFF WAVE chunk has to be the file's first chunk.
    if (mmioDescend(handle, riff, nullptr, 0) != MMSYSERR_NOERROR) return E_FAIL;
    if (riff->ckid != FOURCC_RIFF || riff->fccType != kWave) return E_FAIL;

    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    if (mmioDescend(handle, &fmt, riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return E_FAIL;
    if (fmt.cksize < sizeof(PCMWAVEFORMAT)) return E_FAIL;

    PCMWAVEFORMAT pcm;
    if (mmioRead(handle, reinterpret_cast<char*>(&pcm), sizeof pcm) != static_cast<LONG>(sizeof pcm)) return E_FAIL;

    if (pcm.wFormatTag == WAVE_FORMAT_PCM) {
        *format = AllocateFormat(0);
        if (!*format) return E_FAIL;
        std::memcpy(*format, &pcm, sizeof pcm);
        (*format)->cbSize = 0;
    } else {
        // The two bytes after the first 16 are the extra size, whatever the chunk's size says.
        WORD extra = 0;
        if (mmioRead(handle, reinterpret_cast<char*>(&extra), sizeof extra) != static_cast<LONG>(sizeof extra))
            return E_FAIL;
        *format = AllocateFormat(extra);
        if (!*format) return E_FAIL;
        std::memcpy(*format, &pcm, sizeof pcm);
        (*format)->cbSize = extra;
        char* behind = reinterpret_cast<char*>(*format) + sizeof(WAVEFORMATEX);
        if (mmioRead(handle, behind, extra) != static_cast<LONG>(extra)) {
            FreeFormat(*format);
            return E_FAIL;
        }
    }
    if (mmioAscend(handle, &fmt, 0) != MMSYSERR_NOERROR) {
        FreeFormat(*format);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT OpenWaveFile(LPSTR fileName, HMMIO* handle, WAVEFORMATEX** format, MMCKINFO* riff) {
    if (!handle) return E_FAIL;
    HMMIO file = OpenAudioFile(fileName);
    if (!file) return E_FAIL;
    HRESULT hr = ReadWaveFormat(file, riff, format);
    if (FAILED(hr)) {
        mmioClose(file, 0);
        return hr;
    }
    *handle = file;
    return S_OK;
}

HRESULT SeekToWaveData(HMMIO handle, MMCKINFO* data, MMCKINFO* riff) {
    if (!data || !riff) return E_FAIL;
    if (mmioSeek(handle, static_cast<LONG>(riff->dwDataOffset + sizeof(FOURCC)), SEEK_SET) == -1) return E_FAIL;
    data->ckid = kData;
    if (mmioDescend(handle, data, riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return E_FAIL;
    return S_OK;
}

HRESULT ReadWaveData(HMMIO handle, UINT size, BYTE* buffer, MMCKINFO* data, UINT* bytesRead) {
    if (!bytesRead || !data) return E_FAIL;
    *bytesRead = 0;
    MMIOINFO info;
    if (mmioGetInfo(handle, &info, 0) != MMSYSERR_NOERROR) return E_FAIL;

    const UINT count = size < data->cksize ? size : data->cksize;
    // The remaining count drops before any byte moves, so a failed read still uses it up.
    data->cksize -= count;
    if (count > 0 && !buffer) return E_FAIL;

    UINT copied = 0;
    while (copied < count) {
        if (info.pchNext == info.pchEndRead) {
            if (mmioAdvance(handle, &info, MMIO_READ) != MMSYSERR_NOERROR) return E_FAIL;
            if (info.pchNext == info.pchEndRead) return E_FAIL;  // the file ends inside the chunk
        }
        UINT run = static_cast<UINT>(info.pchEndRead - info.pchNext);
        if (run > count - copied) run = count - copied;
        std::memcpy(buffer + copied, info.pchNext, run);
        info.pchNext += run;
        copied += run;
    }
    if (mmioSetInfo(handle, &info, 0) != MMSYSERR_NOERROR) return E_FAIL;
    *bytesRead = count;
    return S_OK;
}

CWaveStream::CWaveStream() : m_pwfx(nullptr), m_hmmio(nullptr), m_ckData{}, m_ckRiff{} {}

CWaveStream::~CWaveStream() {
    Close();
    FreeFormat(m_pwfx);
}

HRESULT CWaveStream::Open(LPSTR fileName) {
    FreeFormat(m_pwfx);
    // A second Open on the same reader must not leak the file opened by the first.
    Close();
    HRESULT hr = OpenWaveFile(fileName, &m_hmmio, &m_pwfx, &m_ckRiff);
    if (FAILED(hr)) return hr;
    return Rewind();
}

HRESULT CWaveStream::Rewind() { return SeekToWaveData(m_hmmio, &m_ckData, &m_ckRiff); }

HRESULT CWaveStream::Read(UINT size, BYTE* buffer, UINT* bytesRead) {
    return ReadWaveData(m_hmmio, size, buffer, &m_ckData, bytesRead);
}

HRESULT CWaveStream::Close() {
    if (m_hmmio) {
        mmioClose(m_hmmio, 0);
        m_hmmio = nullptr;
    }
    return S_OK;
}
