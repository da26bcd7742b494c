// A sound device with its listener, for layer tests: on the in-process loopback output, or
// with a rate of 0 on the real default output.
#pragma once

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dsound/dsound.h"
#include "tests/support/dsound_hooks.h"
#include "tests/platform/dsound/signal.h"

namespace sound_testing {

constexpr int kLoopbackRate = 44100;

class LoopbackDevice {
public:
    // Binaural: the output is headphones.
    explicit LoopbackDevice(int rate = kLoopbackRate, bool binaural = false) {
        dsound_test::UseLoopbackLayout(rate, dsound_test::LoopbackLayout::Stereo, binaural);
        EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
        if (!ds) return;
        DSBUFFERDESC desc{};
        desc.dwSize = DSBUFFERDESC_PLATFORM_SIZE;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
        if (primary) primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener));
    }
    ~LoopbackDevice() {
        if (listener) listener->Release();
        if (primary) primary->Release();
        if (ds) ds->Release();
        dsound_test::UseLoopback(0);
    }
    LoopbackDevice(const LoopbackDevice&) = delete;
    LoopbackDevice& operator=(const LoopbackDevice&) = delete;

    // A static 3D buffer holding the data, written through Lock/Unlock.
    IDirectSoundBuffer* MakeBuffer(const WAVEFORMATEX& format, const std::vector<std::uint8_t>& data,
                                   DWORD flags = 0x8112) {
        WAVEFORMATEX f = format;
        DSBUFFERDESC desc{};
        desc.dwSize = DSBUFFERDESC_PLATFORM_SIZE;
        desc.dwFlags = flags;
        desc.dwBufferBytes = static_cast<DWORD>(data.size());
        desc.lpwfxFormat = &f;
        IDirectSoundBuffer* buffer = nullptr;
        if (ds->CreateSoundBuffer(&desc, &buffer, nullptr) != DS_OK) return nullptr;
        Fill(buffer, data);
        return buffer;
    }

    static void Fill(IDirectSoundBuffer* buffer, const std::vector<std::uint8_t>& data) {
        void* p = nullptr;
        DWORD n = 0;
        ASSERT_EQ(buffer->Lock(0, static_cast<DWORD>(data.size()), &p, &n, nullptr, nullptr, 0), DS_OK);
        ASSERT_EQ(n, data.size());
        std::memcpy(p, data.data(), n);
        EXPECT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);
    }

    static IDirectSound3DBuffer* As3D(IDirectSoundBuffer* buffer) {
        IDirectSound3DBuffer* b3d = nullptr;
        buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&b3d));
        return b3d;
    }

    // Places a 3D buffer head-relative at a position, with the given distances.
    static void Place(IDirectSoundBuffer* buffer, D3DVECTOR position, D3DVECTOR velocity = {0, 0, 0},
                      float minDistance = 1.0f, float maxDistance = 1000000000.0f) {
        IDirectSound3DBuffer* b3d = As3D(buffer);
        ASSERT_NE(b3d, nullptr);
        DS3DBUFFER p{};
        p.dwSize = sizeof p;
        ASSERT_EQ(b3d->GetAllParameters(&p), DS_OK);
        p.vPosition = position;
        p.vVelocity = velocity;
        p.flMinDistance = minDistance;
        p.flMaxDistance = maxDistance;
        p.dwMode = DS3DMODE_HEADRELATIVE;
        EXPECT_EQ(b3d->SetAllParameters(&p, DS3D_IMMEDIATE), DS_OK);
        b3d->Release();
    }

    static std::vector<float> Render(double seconds, int rate = kLoopbackRate) {
        return dsound_test::RenderFrames(static_cast<std::size_t>(seconds * rate));
    }

    IDirectSound* ds = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    IDirectSound3DListener* listener = nullptr;
};

}  // namespace sound_testing
