// The device object, its buffers and interfaces: what is accepted, what is refused,
// what they report before anything is set, and how references balance.
#include <gtest/gtest.h>

#include "platform/kernel/module.h"
#include "tests/platform/dsound/loopback_device.h"

namespace {

using namespace sound_testing;

DSBUFFERDESC SourceDesc(WAVEFORMATEX* format, DWORD bytes, DWORD size = DSBUFFERDESC_PLATFORM_SIZE) {
    DSBUFFERDESC d{};
    d.dwSize = size;
    d.dwFlags = 0x8112;
    d.dwBufferBytes = bytes;
    d.lpwfxFormat = format;
    return d;
}

TEST(DeviceObjects, TheNullBackendIsAUsableOutputAndTheModuleIsRegistered) {
    dsound_test::UseLoopback(0);
    const int before = dsound_test::LiveObjectCount();
    RegisterDirectSoundModule();  // as the program does at start-up
    HMODULE module = LoadLibraryA("DSOUND.DLL");
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<LPDIRECTSOUNDCREATE>(GetProcAddress(module, "DirectSoundCreate"));
    ASSERT_NE(create, nullptr);
    IDirectSound* ds = nullptr;
    ASSERT_EQ(create(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    EXPECT_EQ(ds->SetCooperativeLevel(nullptr, 9), DSERR_INVALIDPARAM);
    DWORD speakers = 0xFF;
    EXPECT_EQ(ds->GetSpeakerConfig(&speakers), DS_OK);
    EXPECT_EQ(DSSPEAKER_CONFIG(speakers), DSSPEAKER_STEREO);
    EXPECT_EQ(ds->Release(), 0u);
    EXPECT_EQ(dsound_test::LiveObjectCount(), before);
    FreeLibrary(module);

    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectSoundCreate(&other, &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
}

TEST(DeviceObjects, ReferencesBalanceAndTheListenerKeepsThePrimaryAlive) {
    const int before = dsound_test::LiveObjectCount();
    {
        LoopbackDevice dev;
        ASSERT_NE(dev.listener, nullptr);
        EXPECT_EQ(dev.primary->AddRef(), 3u);  // the listener is the primary's second reference
        EXPECT_EQ(dev.primary->Release(), 2u);
        EXPECT_EQ(dev.primary->Release(), 1u);
        dev.primary = nullptr;
        DS3DLISTENER l{};
        l.dwSize = sizeof l;
        EXPECT_EQ(dev.listener->GetAllParameters(&l), DS_OK);  // still alive

        const WAVEFORMATEX f = PcmFormat(22050, 1, 16);
        IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 300, 0.1));
        ASSERT_NE(b, nullptr);
        IDirectSound3DBuffer* b3d = LoopbackDevice::As3D(b);
        ASSERT_NE(b3d, nullptr);
        IKsPropertySet* set = nullptr;
        ASSERT_EQ(b3d->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&set)), S_OK);
        IDirectSound3DListener* wrong = nullptr;
        EXPECT_EQ(b->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&wrong)), E_NOINTERFACE);
        EXPECT_EQ(wrong, nullptr);
        EXPECT_EQ(set->Release(), 2u);
        EXPECT_EQ(b->Release(), 1u);
        EXPECT_EQ(b3d->Release(), 0u);

        // The device object can go first; a buffer it made still works until released.
        b = dev.MakeBuffer(f, Tone(f, 300, 0.1));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(dev.ds->Release(), 0u);
        dev.ds = nullptr;
        EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        EXPECT_EQ(b->Release(), 0u);
    }
    EXPECT_EQ(dsound_test::LiveObjectCount(), before);
}

TEST(DeviceObjects, ParametersReportThePlatformDefaultsBeforeAnythingIsSet) {
    LoopbackDevice dev;
    DS3DLISTENER l{};
    l.dwSize = sizeof l;
    ASSERT_EQ(dev.listener->GetAllParameters(&l), DS_OK);
    EXPECT_EQ(l.vPosition.x, 0.0f);
    EXPECT_EQ(l.vOrientFront.z, 1.0f);
    EXPECT_EQ(l.vOrientTop.y, 1.0f);
    EXPECT_EQ(l.flDistanceFactor, 1.0f);
    EXPECT_EQ(l.flRolloffFactor, 1.0f);
    EXPECT_EQ(l.flDopplerFactor, 1.0f);

    const WAVEFORMATEX f = PcmFormat(22050, 1, 16);
    IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 300, 0.1));
    ASSERT_NE(b, nullptr);
    IDirectSound3DBuffer* b3d = LoopbackDevice::As3D(b);
    DS3DBUFFER p{};
    p.dwSize = sizeof p;
    ASSERT_EQ(b3d->GetAllParameters(&p), DS_OK);
    EXPECT_EQ(p.dwInsideConeAngle, 360u);
    EXPECT_EQ(p.dwOutsideConeAngle, 360u);
    EXPECT_EQ(p.vConeOrientation.z, 1.0f);
    EXPECT_EQ(p.lConeOutsideVolume, 0);
    EXPECT_EQ(p.flMinDistance, 1.0f);
    EXPECT_EQ(p.flMaxDistance, 1000000000.0f);
    EXPECT_EQ(p.dwMode, 0u);

    // Refused records change nothing.
    DS3DBUFFER bad = p;
    bad.flMinDistance = -1.0f;
    EXPECT_EQ(b3d->SetAllParameters(&bad, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
    bad = p;
    bad.vPosition.x = std::nanf("");
    EXPECT_EQ(b3d->SetAllParameters(&bad, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
    bad = p;
    bad.dwSize = 60;
    EXPECT_EQ(b3d->SetAllParameters(&bad, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
    DS3DLISTENER badListener = l;
    badListener.flDistanceFactor = 0.0f;
    EXPECT_EQ(dev.listener->SetAllParameters(&badListener, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
    DS3DBUFFER after{};
    after.dwSize = sizeof after;
    ASSERT_EQ(b3d->GetAllParameters(&after), DS_OK);
    EXPECT_EQ(std::memcmp(&after, &p, sizeof p), 0);

    // Deferred settings apply at once, like immediate ones.
    p.vPosition = {1, 2, 3};
    EXPECT_EQ(b3d->SetAllParameters(&p, DS3D_DEFERRED), DS_OK);
    ASSERT_EQ(b3d->GetAllParameters(&after), DS_OK);
    EXPECT_EQ(after.vPosition.z, 3.0f);
    b3d->Release();
    b->Release();
}

TEST(DeviceObjects, EveryPlayablePcmFormatMakesA3DBufferAndOthersAreRefused) {
    LoopbackDevice dev;
    for (DWORD rate : {8000u, 11025u, 22050u, 44100u, 48000u, 96000u})
        for (WORD channels : {1, 2})
            for (WORD bits : {8, 16, 24, 32}) {
                WAVEFORMATEX f = PcmFormat(rate, channels, bits);
                DSBUFFERDESC d = SourceDesc(&f, f.nAvgBytesPerSec / 10);
                IDirectSoundBuffer* b = nullptr;
                EXPECT_EQ(dev.ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK) << rate << " " << channels << " " << bits;
                if (b) b->Release();
            }
    const auto refused = [&](WAVEFORMATEX f, DWORD bytes = 4000, DWORD size = DSBUFFERDESC_PLATFORM_SIZE) {
        DSBUFFERDESC d = SourceDesc(&f, bytes, size);
        IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(1);
        const HRESULT hr = dev.ds->CreateSoundBuffer(&d, &b, nullptr);
        EXPECT_EQ(b, nullptr);
        return hr;
    };
    WAVEFORMATEX f = PcmFormat(22050, 1, 16);
    EXPECT_EQ(refused(PcmFormat(7999, 1, 16)), DSERR_BADFORMAT);
    EXPECT_EQ(refused(PcmFormat(96001, 1, 16)), DSERR_BADFORMAT);
    EXPECT_EQ(refused(PcmFormat(22050, 3, 16)), DSERR_BADFORMAT);
    EXPECT_EQ(refused(PcmFormat(22050, 1, 12)), DSERR_BADFORMAT);
    WAVEFORMATEX odd = f;
    odd.nBlockAlign = 3;
    EXPECT_EQ(refused(odd), DSERR_BADFORMAT);
    odd = f;
    odd.nAvgBytesPerSec += 1;
    EXPECT_EQ(refused(odd), DSERR_BADFORMAT);
    odd = f;
    odd.wFormatTag = 3;
    EXPECT_EQ(refused(odd), DSERR_BADFORMAT);
    EXPECT_EQ(refused(f, 2), DSERR_INVALIDPARAM);
    EXPECT_EQ(refused(f, 4000, 20), DSERR_INVALIDPARAM);
    DSBUFFERDESC full = SourceDesc(&f, 4000, sizeof(DSBUFFERDESC));
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(dev.ds->CreateSoundBuffer(&full, &b, nullptr), DS_OK);
    ASSERT_NE(b, nullptr);

    // Lock covers the requested span, wrapping at the end; Unlock checks the pointers.
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(3000, 2000, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(n2, 1000u);
    EXPECT_EQ(static_cast<char*>(p1) - static_cast<char*>(p2), 3000);
    char outside[4];
    EXPECT_EQ(b->Unlock(outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DSERR_INVALIDCALL);
    EXPECT_EQ(b->Lock(4000, 10, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetCurrentPosition(4000), DSERR_INVALIDPARAM);
    b->Release();
}

TEST(DeviceObjects, SpeakerConfigFollowsTheLoopbackLayoutAndHrtf) {
    struct Case {
        dsound_test::LoopbackLayout layout;
        bool hrtf;
        DWORD expected;
    };
    using L = dsound_test::LoopbackLayout;
    for (const Case& c : {Case{L::Mono, false, DSSPEAKER_MONO}, Case{L::Stereo, false, DSSPEAKER_STEREO},
                          Case{L::Quad, false, DSSPEAKER_QUAD}, Case{L::Surround51, false, DSSPEAKER_5POINT1},
                          Case{L::Surround71, false, DSSPEAKER_7POINT1}, Case{L::Stereo, true, DSSPEAKER_HEADPHONE}}) {
        dsound_test::UseLoopbackLayout(kLoopbackRate, c.layout, c.hrtf);
        IDirectSound* ds = nullptr;
        ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
        DSBUFFERDESC d{};
        d.dwSize = DSBUFFERDESC_PLATFORM_SIZE;
        d.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
        IDirectSoundBuffer* primary = nullptr;
        ASSERT_EQ(ds->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
        DWORD config = 0xFF;
        EXPECT_EQ(ds->GetSpeakerConfig(&config), DS_OK);
        EXPECT_EQ(config, c.expected) << static_cast<int>(c.layout) << " hrtf " << c.hrtf;
        primary->Release();
        ds->Release();
    }
    dsound_test::UseLoopback(0);
}

TEST(DeviceObjects, ASpeakerProbeNextToAPlayingClipDoesNotDisturbIt) {
    LoopbackDevice dev;
    const WAVEFORMATEX f = PcmFormat(kLoopbackRate, 1, 16);
    IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 1000.0, 0.25));
    ASSERT_NE(b, nullptr);
    LoopbackDevice::Place(b, {0, 0, 1});
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const double steady = Rms(LoopbackDevice::Render(0.1), 2, 0, 0, kLoopbackRate / 10);
    for (int poll = 0; poll < 10; ++poll) {
        IDirectSound* probe = nullptr;
        ASSERT_EQ(DirectSoundCreate(nullptr, &probe, nullptr), DS_OK);
        EXPECT_EQ(probe->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
        DWORD config = 0;
        EXPECT_EQ(probe->GetSpeakerConfig(&config), DS_OK);
        EXPECT_EQ(config, DSSPEAKER_STEREO);
        EXPECT_EQ(probe->Release(), 0u);
        const auto out = LoopbackDevice::Render(0.05);
        EXPECT_NEAR(Rms(out, 2, 0, 0, out.size() / 2), steady, steady * 0.05) << "poll " << poll;
    }
    b->Release();
}

}  // namespace
