// The platform's 3D sound API, as the program uses it, on OpenAL Soft.
// Interfaces are COM-shaped: reference counted, released with Release().
#pragma once

#include <string>
#include <vector>

#include "platform/kernel/types.h"
#include "platform/mmio/mmsystem.h"

struct D3DVECTOR {
    float x;
    float y;
    float z;
};

struct DS3DLISTENER {
    DWORD dwSize;
    D3DVECTOR vPosition;
    D3DVECTOR vVelocity;
    D3DVECTOR vOrientFront;
    D3DVECTOR vOrientTop;
    float flDistanceFactor;
    float flRolloffFactor;
    float flDopplerFactor;
};
static_assert(sizeof(DS3DLISTENER) == 64, "DS3DLISTENER is 64 bytes");

struct DS3DBUFFER {
    DWORD dwSize;
    D3DVECTOR vPosition;
    D3DVECTOR vVelocity;
    DWORD dwInsideConeAngle;
    DWORD dwOutsideConeAngle;
    D3DVECTOR vConeOrientation;
    LONG lConeOutsideVolume;
    float flMinDistance;
    float flMaxDistance;
    DWORD dwMode;
};
static_assert(sizeof(DS3DBUFFER) == 64, "DS3DBUFFER is 64 bytes");

// The platform's record is 36 bytes with a 32-bit format pointer. Here the pointer is
// 64 bits wide, so sizeof is 40; the layer accepts a dwSize of either 36 or sizeof.
struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    WAVEFORMATEX* lpwfxFormat;
    GUID guid3DAlgorithm;
};
constexpr DWORD DSBUFFERDESC_PLATFORM_SIZE = 36;

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DS3D_IMMEDIATE = 0;
constexpr DWORD DS3D_DEFERRED = 1;
constexpr DWORD DS3DMODE_NORMAL = 0;
constexpr DWORD DS3DMODE_HEADRELATIVE = 1;
constexpr DWORD DS3DMODE_DISABLE = 2;

constexpr DWORD DSSPEAKER_DIRECTOUT = 0;
constexpr DWORD DSSPEAKER_HEADPHONE = 1;
constexpr DWORD DSSPEAKER_MONO = 2;
constexpr DWORD DSSPEAKER_QUAD = 3;
constexpr DWORD DSSPEAKER_STEREO = 4;
constexpr DWORD DSSPEAKER_SURROUND = 5;
constexpr DWORD DSSPEAKER_5POINT1 = 6;
constexpr DWORD DSSPEAKER_7POINT1 = 7;
constexpr DWORD DSSPEAKER_CONFIG(DWORD a) { return a & 0xFF; }

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DS_NO_VIRTUALIZATION = 0x0878000A;
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IKsPropertySet = {0x31EFAC30, 0x515C, 0x11D0, {0xA9, 0xAA, 0x00, 0xAA, 0x00, 0x61, 0xBE, 0x93}};
constexpr GUID DSPROPSETID_I3DL2_ListenerProperties = {0xDA0F0520, 0x300A, 0x11D3, {0x8A, 0x2B, 0x00, 0x60, 0x97, 0x0D, 0xB0, 0x11}};
constexpr ULONG DSPROPERTY_I3DL2LISTENER_ALL = 0;
constexpr ULONG KSPROPERTY_SUPPORT_GET = 1;
constexpr ULONG KSPROPERTY_SUPPORT_SET = 2;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;  // returns the references left; the object is gone at 0

protected:
    ~IUnknown() = default;
};

struct IDirectSoundBuffer;

struct IDirectSound : IUnknown {
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, IUnknown* outer) = 0;
    virtual HRESULT GetSpeakerConfig(DWORD* config) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;

protected:
    ~IDirectSound() = default;
};

struct IDirectSoundBuffer : IUnknown {
    virtual HRESULT GetStatus(DWORD* status) = 0;
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2, DWORD* bytes2,
                         DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(void* ptr1, DWORD bytes1, void* ptr2, DWORD bytes2) = 0;
    virtual HRESULT Restore() = 0;

protected:
    ~IDirectSoundBuffer() = default;
};

struct IDirectSound3DListener : IUnknown {
    virtual HRESULT GetAllParameters(DS3DLISTENER* params) = 0;
    virtual HRESULT SetAllParameters(const DS3DLISTENER* params, DWORD apply) = 0;

protected:
    ~IDirectSound3DListener() = default;
};

struct IDirectSound3DBuffer : IUnknown {
    virtual HRESULT GetAllParameters(DS3DBUFFER* params) = 0;
    virtual HRESULT SetAllParameters(const DS3DBUFFER* params, DWORD apply) = 0;

protected:
    ~IDirectSound3DBuffer() = default;
};

struct IKsPropertySet : IUnknown {
    virtual HRESULT Get(REFGUID set, ULONG id, void* instance, ULONG instanceLength, void* data,
                        ULONG dataLength, ULONG* returned) = 0;
    virtual HRESULT Set(REFGUID set, ULONG id, void* instance, ULONG instanceLength, void* data,
                        ULONG dataLength) = 0;
    virtual HRESULT QuerySupport(REFGUID set, ULONG id, ULONG* support) = 0;

protected:
    ~IKsPropertySet() = default;
};

// Opens the default output device (the device GUID must be null). DSERR_NODRIVER when
// there is no usable output. Also exported as "dsound.dll" / "DirectSoundCreate".
HRESULT DirectSoundCreate(const GUID* device, IDirectSound** out, IUnknown* outer);
using LPDIRECTSOUNDCREATE = HRESULT (*)(const GUID*, IDirectSound**, IUnknown*);

// Makes "dsound.dll" known to LoadLibraryA. Called by DirectSoundCreate's module at
// start-up; callable again without harm.
void RegisterDirectSoundModule();

// Starts opening the process's sound output on a thread of its own, so that the first
// DirectSoundCreate finds it open. That call still waits about a second at most for the
// opening, and fails when there is no output. Call once the environment no longer changes.
void PrepareSoundOutput();

// The program is done with sound: the process's output closes on a thread of its own,
// the fades under way heard out first, while the rest of the process shuts down; the end
// of the process waits for it briefly, never for a sound server that does not answer.
void ReleaseSoundOutput();

// How the output renders 3D sound. Headphones: binaural (HRTF); Speakers: for its
// speakers; either wins over what the user wrote in OpenAL Soft's own settings (hrtf,
// stereo-mode). Automatic: as those settings say, else binaural exactly when the output
// the sound plays on is headphones or a headset. The choice applies at once, to a clip
// that plays too, without holding up the caller.
enum class SoundRendering { Automatic, Headphones, Speakers };
void SetSoundRendering(SoundRendering rendering);
SoundRendering GetSoundRendering();

// The binaural data set (HRTF set) to render with: a name GetHrtfSets gave; empty, or a
// name not on offer, is the built-in set. Applies like the rendering choice: at once, to a
// clip that plays too (which plays on), without holding up the caller.
void SetHrtfSet(const std::string& name);
// While held, the output renders binaural whatever the listener chose, as a listening test
// needs; the choice itself stays as it is and applies again once let go.
void HoldBinaural(bool hold);
std::string GetHrtfSet();
// The sets the output can render with as it is now (OpenAL Soft's sets at its rate), by
// the names listeners know them by, the built-in set first.
std::vector<std::string> GetHrtfSets();
// The set binaural sound is rendered with now, as the output reports it; empty while it
// renders none, and while the output changes (its sound is turned down until it is over).
std::string GetHrtfSetInUse();
