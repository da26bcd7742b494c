// The I3DL2 listener record through the property set: real reverb tails, the off
// record, and records the property set must refuse.
#include <cstring>

#include <gtest/gtest.h>

#include "platform/dsound/i3dl2_reverb.h"
#include "tests/platform/dsound/loopback_device.h"

namespace {

using namespace sound_testing;
using dsound_detail::I3DL2Record;

const I3DL2Record kHangar{-1400, -1200, 0.0f, 12.15f, 0.23f, -100, 0.13f, 250, 0.05f, 10.0f, 100.0f, 5000.0f};
const I3DL2Record kBathroom{-1400, -200, 0.0f, 1.49f, 0.6f, 500, 0.007f, 1200, 0.011f, 100.0f, 60.0f, 5000.0f};
const I3DL2Record kOff{-10000, 0, 0.0f, 1.0f, 0.5f, -10000, 0.02f, -10000, 0.04f, 100.0f, 100.0f, 5000.0f};

IKsPropertySet* PropertySetOf(IDirectSoundBuffer* buffer) {
    IDirectSound3DBuffer* b3d = LoopbackDevice::As3D(buffer);
    IKsPropertySet* set = nullptr;
    if (b3d) {
        b3d->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&set));
        b3d->Release();
    }
    return set;
}

HRESULT SendRecord(IKsPropertySet* set, I3DL2Record record, ULONG size = 48,
                   const GUID& id = DSPROPSETID_I3DL2_ListenerProperties, ULONG property = 0) {
    DWORD zero = 0;
    return set->Set(id, property, &zero, 0, &record, size);
}

// Level of what is still heard 2.5 to 3 s after a 0.1 s burst.
double TailAfterBurst(const I3DL2Record* record) {
    LoopbackDevice dev;
    const WAVEFORMATEX f = PcmFormat(kLoopbackRate, 1, 16);
    const auto burst = MakePcm(f, kLoopbackRate * 2, [](std::size_t i, int) {
        return i < kLoopbackRate / 10 ? 0.7 * std::sin(2.0 * kPi * 700.0 * static_cast<double>(i) / kLoopbackRate)
                                      : 0.0;
    });
    IDirectSoundBuffer* b = dev.MakeBuffer(f, burst);
    EXPECT_NE(b, nullptr);
    if (!b) return 0.0;
    LoopbackDevice::Place(b, {0, 0, 1});
    IKsPropertySet* set = PropertySetOf(b);
    EXPECT_NE(set, nullptr);
    if (record && set) {
        EXPECT_EQ(SendRecord(set, *record), S_OK);
    }
    if (set) set->Release();
    EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
    const std::vector<float> out = LoopbackDevice::Render(3.0);
    b->Release();
    return Rms(out, 2, 0, kLoopbackRate * 5 / 2, kLoopbackRate / 2);
}

TEST(ReverbRender, HangarRingsFarLongerThanBathroomAndOffLeavesNoTail) {
    const double hangar = TailAfterBurst(&kHangar);
    const double bathroom = TailAfterBurst(&kBathroom);
    const double off = TailAfterBurst(&kOff);
    const double dry = TailAfterBurst(nullptr);
    EXPECT_GT(hangar, 1e-3);
    EXPECT_GT(hangar, 100.0 * bathroom);
    EXPECT_LT(off, 1e-5);
    EXPECT_LT(dry, 1e-5);
}

// Stopped and released as the program does it, a source leaves the Hangar ringing for
// seconds; without a room there is silence as soon as its fade is over.
TEST(ReverbRender, TheHangarRingsOnAfterItsSourceStopsAndADryStopIsSilent) {
    const auto afterStop = [](const I3DL2Record* record) {
        LoopbackDevice dev;
        const WAVEFORMATEX f = PcmFormat(kLoopbackRate, 1, 16);
        IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 700.0, 0.5));
        EXPECT_NE(b, nullptr);
        if (!b) return std::vector<float>{};
        LoopbackDevice::Place(b, {0, 0, 1});
        IKsPropertySet* set = PropertySetOf(b);
        if (record && set) {
            EXPECT_EQ(SendRecord(set, *record), S_OK);
        }
        if (set) set->Release();
        EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        LoopbackDevice::Render(0.5);
        EXPECT_EQ(b->Stop(), DS_OK);
        EXPECT_EQ(b->SetCurrentPosition(0), DS_OK);
        b->Release();
        return LoopbackDevice::Render(2.5);
    };
    // Dry first: the output is the process's, and the Hangar would still ring in it.
    const std::vector<float> dry = afterStop(nullptr);
    const std::vector<float> hangar = afterStop(&kHangar);
    EXPECT_GT(Rms(hangar, 2, 0, kLoopbackRate * 2, kLoopbackRate / 2), 1e-3);
    EXPECT_LT(Rms(dry, 2, 0, kLoopbackRate / 50, kLoopbackRate * 2), 1e-6);
}

// A room that has died away, then binaural rendering switched on and off in place: the
// output is reset with the room's slot still there, and a room comes back afterwards.
TEST(ReverbRender, ARoomThatDiedAwaySurvivesChangesOfRendering) {
    LoopbackDevice dev;
    const WAVEFORMATEX f = PcmFormat(kLoopbackRate, 1, 16);
    IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 700.0, 0.5));
    ASSERT_NE(b, nullptr);
    IKsPropertySet* set = PropertySetOf(b);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    ASSERT_EQ(SendRecord(set, kBathroom), S_OK);
    LoopbackDevice::Render(0.3);
    ASSERT_EQ(SendRecord(set, kOff), S_OK);
    LoopbackDevice::Render(2.5);  // its ring is over
    for (SoundRendering choice : {SoundRendering::Headphones, SoundRendering::Speakers, SoundRendering::Headphones,
                                  SoundRendering::Automatic}) {
        SetSoundRendering(choice);
        LoopbackDevice::Render(0.1);
    }
    ASSERT_EQ(b->Stop(), DS_OK);
    ASSERT_EQ(SendRecord(set, kBathroom), S_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    LoopbackDevice::Render(0.3);
    ASSERT_EQ(b->Stop(), DS_OK);
    EXPECT_GT(Rms(LoopbackDevice::Render(0.5), 2, 0, kLoopbackRate / 5, kLoopbackRate / 10), 1e-3) << "no room";
    set->Release();
    b->Release();
}

TEST(ReverbRender, TheLastAcceptedRecordIsKeptAndOffDetachesTheEffect) {
    LoopbackDevice dev;
    const WAVEFORMATEX f = PcmFormat(22050, 1, 16);
    IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 440.0, 0.5));
    ASSERT_NE(b, nullptr);
    IDirectSound3DBuffer* b3d = LoopbackDevice::As3D(b);
    IKsPropertySet* set = PropertySetOf(b);
    ASSERT_NE(set, nullptr);
    dsound_test::ReverbState state{};
    EXPECT_FALSE(dsound_test::LastReverb(b3d, &state));

    ASSERT_EQ(SendRecord(set, kBathroom), S_OK);
    ASSERT_TRUE(dsound_test::LastReverb(b3d, &state));
    EXPECT_EQ(std::memcmp(state.record, &kBathroom, 48), 0);
    EXPECT_TRUE(state.effectAttached);

    // Refused records change nothing.
    EXPECT_LT(SendRecord(set, kHangar, 47), 0);
    EXPECT_LT(SendRecord(set, kHangar, 52), 0);
    EXPECT_LT(SendRecord(set, kHangar, 48, IID_IDirectSound), 0);
    EXPECT_LT(SendRecord(set, kHangar, 48, DSPROPSETID_I3DL2_ListenerProperties, 3), 0);
    DWORD zero = 0;
    EXPECT_LT(set->Set(DSPROPSETID_I3DL2_ListenerProperties, 0, &zero, 0, nullptr, 48), 0);
    ASSERT_TRUE(dsound_test::LastReverb(b3d, &state));
    EXPECT_EQ(std::memcmp(state.record, &kBathroom, 48), 0);

    ASSERT_EQ(SendRecord(set, kOff), S_OK);
    ASSERT_TRUE(dsound_test::LastReverb(b3d, &state));
    EXPECT_EQ(std::memcmp(state.record, &kOff, 48), 0);
    EXPECT_FALSE(state.effectAttached);

    ULONG support = 0;
    EXPECT_EQ(set->QuerySupport(DSPROPSETID_I3DL2_ListenerProperties, 0, &support), S_OK);
    EXPECT_EQ(support, KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET);
    set->Release();
    b3d->Release();
    b->Release();
}

TEST(ReverbRender, AbsurdRecordsAreClampedAndStillPlay) {
    LoopbackDevice dev;
    const WAVEFORMATEX f = PcmFormat(22050, 1, 16);
    IDirectSoundBuffer* b = dev.MakeBuffer(f, Tone(f, 440.0, 0.5));
    ASSERT_NE(b, nullptr);
    IKsPropertySet* set = PropertySetOf(b);
    ASSERT_NE(set, nullptr);
    I3DL2Record wild{2000000000, -2000000000, -5.0f, 1e30f, -1.0f, 100000, 99.0f, 7777777, -3.0f, 1e9f, -50.0f, 0.0f};
    std::memcpy(&wild.flDecayHFRatio, "\xff\xff\xff\x7f", 4);  // NaN
    EXPECT_EQ(SendRecord(set, wild), S_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    const std::vector<float> out = LoopbackDevice::Render(0.5);
    for (float v : out) ASSERT_TRUE(std::isfinite(v));
    set->Release();
    b->Release();
}

TEST(ReverbConversion, UnitsAndRangesOfTheEffect) {
    using dsound_detail::ToReverbSettings;
    const auto s = ToReverbSettings(kHangar);
    EXPECT_NEAR(s.gain, std::pow(10.0, -1400 / 2000.0), 1e-6);
    EXPECT_NEAR(s.gainHF, std::pow(10.0, -1200 / 2000.0), 1e-6);
    EXPECT_FLOAT_EQ(s.decayTime, 12.15f);
    EXPECT_FLOAT_EQ(s.diffusion, 0.10f);
    EXPECT_FLOAT_EQ(s.density, 1.0f);
    EXPECT_FLOAT_EQ(s.hfReference, 5000.0f);
    EXPECT_FLOAT_EQ(s.lateReverbDelay, 0.05f);

    I3DL2Record wild = kHangar;
    wild.lRoom = 5000;             // above unity gain
    wild.flDecayTime = 100.0f;     // above 20 s
    wild.flReflectionsDelay = 1;   // above 0.3 s
    wild.flDiffusion = -20.0f;
    wild.flHFReference = 1.0f;     // below 1 kHz
    std::memcpy(&wild.flDensity, "\x00\x00\xc0\x7f", 4);  // NaN takes the default
    const auto c = ToReverbSettings(wild);
    EXPECT_FLOAT_EQ(c.gain, 1.0f);
    EXPECT_FLOAT_EQ(c.decayTime, 20.0f);
    EXPECT_FLOAT_EQ(c.reflectionsDelay, 0.3f);
    EXPECT_FLOAT_EQ(c.diffusion, 0.0f);
    EXPECT_FLOAT_EQ(c.hfReference, 1000.0f);
    EXPECT_FLOAT_EQ(c.density, 1.0f);
}

}  // namespace
