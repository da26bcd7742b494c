// The sound module: one device, its listener, one 3D source, and two parameter records
// kept between calls. Process-wide state; one player uses it at a time.
#pragma once

#include "audio/vec3.h"
#include "audio/wave_stream.h"
#include "platform/dsound/dsound.h"

extern IDirectSound* g_pDS;
extern IDirectSound3DListener* g_pDSListener;
extern IDirectSoundBuffer* g_pDSBuffer;
extern IDirectSound3DBuffer* g_pDS3DBuffer;
extern CWaveStream* g_pWaveStream;
extern DWORD g_dwBufferBytes;
extern DS3DLISTENER g_dsListenerParams;
extern DS3DBUFFER g_dsBufferParams;

// The primary buffer's format: PCM, 2 channels, 22050 Hz, 16 bits.
extern const WAVEFORMATEX g_wfxPrimary;

HRESULT OpenSoundDevice(HWND window);
HRESULT CloseSoundDevice();
void SetDistanceModel(float doppler, float rolloff, float minDistance, float maxDistance);
void SetSourceParameters(const Vec3& position, const Vec3& velocity);

HRESULT CreateSourceBuffer(LPSTR fileName);
HRESULT FillSourceBuffer();
HRESULT LoadSourceBuffer(LPSTR fileName);
HRESULT PlaySource();
// Plays the source once from its start, as the listening test's bursts are played.
HRESULT PlaySourceOnce();
void StopSource();
HRESULT RestoreSource();

// Sends an I3DL2 listener record (DSPROPERTY_I3DL2LISTENER_ALL) through the property set
// of the current source's 3D buffer, and releases the property set again. Does nothing
// without a 3D buffer or property set; the status of Set is returned for the curious.
HRESULT SendSourceListenerProperties(void* record, ULONG size);
