// The sound module: the device, its listener and the one 3D source, in process-wide state.
#include "audio/sound_module.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/kernel/sync.h"

IDirectSound* g_pDS = nullptr;
IDirectSound3DListener* g_pDSListener = nullptr;
IDirectSoundBuffer* g_pDSBuffer = nullptr;
IDirectSound3DBuffer* g_pDS3DBuffer = nullptr;
CWaveStream* g_pWaveStream = nullptr;
DWORD g_dwBufferBytes = 0;
DS3DLISTENER g_dsListenerParams = {};
DS3DBUFFER g_dsBufferParams = {};

const WAVEFORMATEX g_wfxPrimary = {WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};

namespace {

constexpr DWORD kPrimaryFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
constexpr DWORD kSourceFlags = DSBCAPS_STATIC | DSBCAPS_CTRL3D | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS;
constexpr DWORD kRestoreRetryMs = 10;
// A device that does not come back within about a second is reported, not waited for.
constexpr DWORD kRestoreGiveUpMs = 1000;

// Guards the 3D buffer pointer and the buffer record: the window thread and the position
// update thread both send positions, and a load replaces the buffer.
std::mutex g_sourceLock;

DSBUFFERDESC Description(DWORD flags, DWORD bytes, WAVEFORMATEX* format) {
    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_PLATFORM_SIZE;
    desc.dwFlags = flags;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = format;
    desc.guid3DAlgorithm = GUID_NULL;
    return desc;
}

template <typename Interface>
void ReleaseAndClear(Interface*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

// A buffer is sized from what the data chunk declares: a file that does not hold that
// many bytes would cost memory for data that is not there, and could never fill it.
bool FileHoldsTheData(CWaveStream& reader) {
    const LONG end = mmioSeek(reader.m_hmmio, 0, SEEK_END);
    const bool holds = end >= 0 && static_cast<std::int64_t>(reader.m_ckData.dwDataOffset) +
                                           reader.m_ckData.cksize <= end;
    return reader.Rewind() == S_OK && holds;
}

void DeleteReader() {
    delete g_pWaveStream;  // closes its file and frees its format record
    g_pWaveStream = nullptr;
}

// Sends the buffer record to the 3D buffer, if there is one. Call with g_sourceLock held.
void SendBufferRecord() {
    if (g_pDS3DBuffer) g_pDS3DBuffer->SetAllParameters(&g_dsBufferParams, DS3D_IMMEDIATE);
}

}  // namespace

HRESULT OpenSoundDevice(HWND window) {
    // Opening twice would lose the first device's references; start from a clean state.
    if (g_pDS || g_pDSListener) CloseSoundDevice();

    HRESULT hr = DirectSoundCreate(nullptr, &g_pDS, nullptr);
    if (FAILED(hr)) return hr;
    hr = g_pDS->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (FAILED(hr)) return hr;

    DSBUFFERDESC desc = Description(kPrimaryFlags, 0, nullptr);
    IDirectSoundBuffer* primary = nullptr;
    hr = g_pDS->CreateSoundBuffer(&desc, &primary, nullptr);
    if (FAILED(hr)) return hr;

    hr = primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&g_pDSListener));
    if (FAILED(hr)) {
        g_pDSListener = nullptr;
        primary->Release();
        return hr;
    }
    g_dsListenerParams.dwSize = sizeof(DS3DLISTENER);
    g_pDSListener->GetAllParameters(&g_dsListenerParams);

    hr = primary->SetFormat(&g_wfxPrimary);
    // The listener holds the primary buffer from here on.
    primary->Release();
    if (FAILED(hr)) return hr;
    return S_OK;
}

HRESULT CloseSoundDevice() {
    DeleteReader();
    ReleaseAndClear(g_pDSListener);
    {
        std::lock_guard<std::mutex> lock(g_sourceLock);
        ReleaseAndClear(g_pDS3DBuffer);
    }
    ReleaseAndClear(g_pDSBuffer);
    ReleaseAndClear(g_pDS);
    return S_OK;
}

void SetDistanceModel(float doppler, float rolloff, float minDistance, float maxDistance) {
    g_dsListenerParams.flDopplerFactor = doppler;
    g_dsListenerParams.flRolloffFactor = rolloff;
    if (g_pDSListener) g_pDSListener->SetAllParameters(&g_dsListenerParams, DS3D_IMMEDIATE);

    std::lock_guard<std::mutex> lock(g_sourceLock);
    g_dsBufferParams.flMinDistance = minDistance;
    g_dsBufferParams.flMaxDistance = maxDistance;
    SendBufferRecord();
}

void SetSourceParameters(const Vec3& position, const Vec3& velocity) {
    std::lock_guard<std::mutex> lock(g_sourceLock);
    g_dsBufferParams.vPosition = {position.x, position.y, position.z};
    g_dsBufferParams.vVelocity = {velocity.x, velocity.y, velocity.z};
    SendBufferRecord();
}

HRESULT CreateSourceBuffer(LPSTR fileName) {
    DeleteReader();
    {
        std::lock_guard<std::mutex> lock(g_sourceLock);
        ReleaseAndClear(g_pDS3DBuffer);
    }
    ReleaseAndClear(g_pDSBuffer);

    // Without a device there is nothing to create the buffer on.
    if (!g_pDS) return DSERR_NODRIVER;

    g_pWaveStream = new (std::nothrow) CWaveStream;
    if (!g_pWaveStream) return E_OUTOFMEMORY;
    if (FAILED(g_pWaveStream->Open(fileName)) || !FileHoldsTheData(*g_pWaveStream)) return 1;

    const DWORD dataBytes = g_pWaveStream->m_ckData.cksize;
    DSBUFFERDESC desc = Description(kSourceFlags, dataBytes, g_pWaveStream->m_pwfx);
    HRESULT hr = g_pDS->CreateSoundBuffer(&desc, &g_pDSBuffer, nullptr);
    if (FAILED(hr)) {
        g_pDSBuffer = nullptr;
        return hr;
    }
    if (hr == DS_NO_VIRTUALIZATION) return 1;

    std::lock_guard<std::mutex> lock(g_sourceLock);
    hr = g_pDSBuffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&g_pDS3DBuffer));
    if (FAILED(hr)) {
        g_pDS3DBuffer = nullptr;
        return hr;
    }
    g_dwBufferBytes = dataBytes;
    g_dsBufferParams.dwSize = sizeof(DS3DBUFFER);
    g_pDS3DBuffer->GetAllParameters(&g_dsBufferParams);
    g_dsBufferParams.dwMode = DS3DMODE_HEADRELATIVE;
    SendBufferRecord();
    return S_OK;
}

HRESULT FillSourceBuffer() {
    if (!g_pWaveStream || !g_pDSBuffer) return E_FAIL;
    // The data goes straight from the file into the locked buffer: a block of its own
    // beside the buffer and OpenAL's copy would hold the clip a third time.
    void* region = nullptr;
    DWORD regionBytes = 0;
    HRESULT hr = g_pDSBuffer->Lock(0, g_dwBufferBytes, &region, &regionBytes, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    const UINT wanted = g_pWaveStream->m_ckData.cksize < regionBytes ? g_pWaveStream->m_ckData.cksize : regionBytes;
    UINT read = 0;
    hr = g_pWaveStream->Read(wanted, static_cast<BYTE*>(region), &read);
    g_pWaveStream->Rewind();
    // After a failed read nothing counts as read: the buffer is silence rather than a
    // part of the clip, or stale bytes from before.
    if (FAILED(hr)) read = 0;
    const bool eightBit = g_pWaveStream->m_pwfx && g_pWaveStream->m_pwfx->wBitsPerSample == 8;
    std::memset(static_cast<BYTE*>(region) + read, eightBit ? 0x80 : 0x00, regionBytes - read);
    const HRESULT unlocked = g_pDSBuffer->Unlock(region, regionBytes, nullptr, 0);
    if (FAILED(hr)) return hr;
    return FAILED(unlocked) ? unlocked : S_OK;
}

HRESULT LoadSourceBuffer(LPSTR fileName) {
    const HRESULT hr = CreateSourceBuffer(fileName);
    if (hr != S_OK) return hr;
    // A buffer left empty plays silence as if all were well: a failed fill fails the load.
    return FillSourceBuffer();
}

HRESULT PlaySource() {
    if (!g_pDSBuffer) return E_FAIL;
    HRESULT hr = RestoreSource();
    if (FAILED(hr)) return hr;
    DWORD status = 0;
    hr = g_pDSBuffer->GetStatus(&status);
    if (FAILED(hr)) return hr;
    if (status & DSBSTATUS_PLAYING) {
        g_pDSBuffer->SetCurrentPosition(0);
        return S_OK;
    }
    hr = g_pDSBuffer->Play(0, 0, DSBPLAY_LOOPING);
    if (FAILED(hr)) return hr;
    return S_OK;
}

HRESULT PlaySourceOnce() {
    if (!g_pDSBuffer) return E_FAIL;
    HRESULT hr = RestoreSource();
    if (FAILED(hr)) return hr;
    g_pDSBuffer->Stop();
    g_pDSBuffer->SetCurrentPosition(0);
    return g_pDSBuffer->Play(0, 0, 0);
}

void StopSource() {
    if (!g_pDSBuffer) return;
    g_pDSBuffer->Stop();
    g_pDSBuffer->SetCurrentPosition(0);
}

HRESULT RestoreSource() {
    if (!g_pDSBuffer) return S_OK;
    DWORD status = 0;
    HRESULT hr = g_pDSBuffer->GetStatus(&status);
    if (FAILED(hr)) return hr;
    if (!(status & DSBSTATUS_BUFFERLOST)) return S_OK;

    const DWORD start = GetTickCount();
    for (;;) {
        hr = g_pDSBuffer->Restore();
        if (FAILED(hr)) Sleep(kRestoreRetryMs);
        hr = g_pDSBuffer->Restore();
        if (hr == DS_OK) break;
        if (GetTickCount() - start >= kRestoreGiveUpMs) return hr;
    }
    hr = FillSourceBuffer();
    if (FAILED(hr)) return hr;
    return S_OK;
}

HRESULT SendSourceListenerProperties(void* record, ULONG size) {
    std::lock_guard<std::mutex> lock(g_sourceLock);
    if (!g_pDS3DBuffer) return S_OK;
    IKsPropertySet* properties = nullptr;
    HRESULT hr = g_pDS3DBuffer->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&properties));
    if (FAILED(hr) || !properties) return hr;
    DWORD zero = 0;
    hr = properties->Set(DSPROPSETID_I3DL2_ListenerProperties, DSPROPERTY_I3DL2LISTENER_ALL, &zero, 0, record,
                         size);
    properties->Release();
    return hr;
}
