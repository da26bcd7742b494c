#include "platform/mmio/mmsystem.h"

namespace {

constexpr WORD kMaxExtensibleChannels = 8;  // 7.1

}  // namespace

bool IsPlayablePcmFormat(const WAVEFORMATEX& f) {
    if (!IsPcmFormat(f)) return false;
    const WORD maxChannels = f.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? kMaxExtensibleChannels : 2;
    if (f.nChannels < 1 || f.nChannels > maxChannels) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16 && f.wBitsPerSample != 24 && f.wBitsPerSample != 32)
        return false;
    if (f.nSamplesPerSec < 8000 || f.nSamplesPerSec > 96000) return false;
    const DWORD blockAlign = static_cast<DWORD>(f.nChannels) * f.wBitsPerSample / 8;
    return f.nBlockAlign == blockAlign && f.nAvgBytesPerSec == f.nSamplesPerSec * blockAlign;
}

MMRESULT waveOutOpen(HWAVEOUT* handle, UINT device, const WAVEFORMATEX* format, DWORD_PTR, DWORD_PTR,
                     DWORD flags) {
    if (handle) *handle = nullptr;
    if (flags != WAVE_FORMAT_QUERY) return MMSYSERR_ERROR;  // only the query is offered
    if (device != WAVE_MAPPER && device != 0) return MMSYSERR_BADDEVICEID;
    if (!format) return MMSYSERR_INVALPARAM;
    return IsPlayablePcmFormat(*format) ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}
