// The sound module's routines and state, heard through the loopback device.
#include <unistd.h>

#include <cstring>

#include "platform/kernel/sync.h"
#include "tests/audio/sound/sound_module_fixture.h"

namespace {

using namespace sound_testing;

TEST_F(SoundModuleTest, OpeningFillsTheListenerRecordAndTheDistanceModelSetsItsFactors) {
    g_dsListenerParams.flDistanceFactor = 7.0f;  // whatever was there is replaced at opening
    OpenLikeThePlayer();
    ASSERT_NE(g_pDS, nullptr);
    ASSERT_NE(g_pDSListener, nullptr);
    DS3DLISTENER device{};
    device.dwSize = sizeof device;
    ASSERT_EQ(g_pDSListener->GetAllParameters(&device), DS_OK);
    EXPECT_EQ(std::memcmp(&device, &g_dsListenerParams, sizeof device), 0);
    EXPECT_EQ(device.flDopplerFactor, 1.0f);
    EXPECT_EQ(device.flRolloffFactor, 1.0f);
    EXPECT_EQ(device.flDistanceFactor, 1.0f);
    EXPECT_EQ(device.vOrientFront.z, 1.0f);
    EXPECT_EQ(device.vOrientTop.y, 1.0f);

    // Without a source the distances stay in the record until a load replaces it.
    EXPECT_EQ(g_dsBufferParams.flMinDistance, 1.0f);
    EXPECT_EQ(g_dsBufferParams.flMaxDistance, 50.0f);
    SetSourceParameters({1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(g_dsBufferParams.vPosition.z, 3.0f);
    EXPECT_EQ(g_dsBufferParams.vVelocity.x, 4.0f);

    ASSERT_EQ(Load(ToneClip("a.wav")), S_OK);
    EXPECT_EQ(g_dsBufferParams.dwSize, sizeof(DS3DBUFFER));
    EXPECT_EQ(g_dsBufferParams.flMaxDistance, 1000000000.0f);
    EXPECT_EQ(g_dsBufferParams.dwMode, DS3DMODE_HEADRELATIVE);
    EXPECT_EQ(g_dsBufferParams.vPosition.z, 0.0f);
    EXPECT_EQ(g_dwBufferBytes, static_cast<DWORD>(kRate));  // half a second of 16-bit mono
    DS3DBUFFER sent{};
    sent.dwSize = sizeof sent;
    ASSERT_EQ(g_pDS3DBuffer->GetAllParameters(&sent), DS_OK);
    EXPECT_EQ(sent.dwMode, DS3DMODE_HEADRELATIVE);
}

TEST_F(SoundModuleTest, RecordsOutliveClosingAndClosingTwiceIsHarmless) {
    OpenLikeThePlayer();
    ASSERT_EQ(Load(ToneClip("a.wav")), S_OK);
    SetSourceParameters({2, 0, 1}, {0, 0, 0});
    EXPECT_EQ(CloseSoundDevice(), S_OK);
    EXPECT_EQ(g_pDS, nullptr);
    EXPECT_EQ(g_pDSListener, nullptr);
    EXPECT_EQ(g_pDSBuffer, nullptr);
    EXPECT_EQ(g_pDS3DBuffer, nullptr);
    EXPECT_EQ(g_pWaveStream, nullptr);
    EXPECT_EQ(g_dsBufferParams.vPosition.x, 2.0f);
    EXPECT_EQ(g_dsListenerParams.flRolloffFactor, 1.0f);
    EXPECT_EQ(CloseSoundDevice(), S_OK);
    SetSourceParameters({1, 1, 1}, {0, 0, 0});  // nothing to send to, only the record
    EXPECT_EQ(g_dsBufferParams.vPosition.y, 1.0f);
}

TEST_F(SoundModuleTest, WithoutDeviceOrFileNothingLoadsAndPlayFails) {
    std::string path = ToneClip("a.wav");
    EXPECT_EQ(CreateSourceBuffer(&path[0]), DSERR_NODRIVER);
    EXPECT_EQ(g_pDSBuffer, nullptr);
    EXPECT_EQ(PlaySource(), E_FAIL);
    StopSource();
    EXPECT_EQ(RestoreSource(), S_OK);
    EXPECT_EQ(SendSourceListenerProperties(nullptr, 0), S_OK);

    OpenLikeThePlayer();
    EXPECT_EQ(Load(path + ".missing"), 1);
    EXPECT_EQ(g_pDSBuffer, nullptr);
    EXPECT_NE(g_pWaveStream, nullptr);  // kept until the next load or the close
    EXPECT_EQ(PlaySource(), E_FAIL);
}

TEST_F(SoundModuleTest, PlayLoopsRestartsWhenPlayingAndStopRewinds) {
    OpenLikeThePlayer();
    // A tenth of a second of tone at the start, then silence.
    const WAVEFORMATEX f = PcmFormat(kRate, 1, 16);
    const auto data = MakePcm(f, kRate, [](std::size_t i, int) {
        return i < kRate / 10 ? 0.5 * std::sin(2.0 * kPi * 500.0 * static_cast<double>(i) / kRate) : 0.0;
    });
    ASSERT_EQ(Load(Clip("click.wav", f, data)), S_OK);
    SetSourceParameters({0, 0, 1}, {0, 0, 0});
    EXPECT_LT(Level(Render(0.1)), 1e-5);  // loaded, silent until played

    ASSERT_EQ(PlaySource(), S_OK);
    EXPECT_GT(Level(Render(0.05)), 0.05);
    const auto later = Render(0.5);
    EXPECT_LT(Rms(later, 2, 0, kRate / 10, kRate / 3), 1e-4);  // in the silent part now
    ASSERT_EQ(PlaySource(), S_OK);        // restarts at once
    EXPECT_GT(Level(Render(0.05)), 0.05);
    Render(0.95);
    EXPECT_GT(Level(Render(0.05)), 0.05);  // and keeps looping

    StopSource();
    DWORD status = 0;
    ASSERT_EQ(g_pDSBuffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    EXPECT_LT(Rms(Render(0.1), 2, 0, kRate / 50, kRate / 20), 1e-5);  // silent once the fade is over
    ASSERT_EQ(PlaySource(), S_OK);
    EXPECT_GT(Level(Render(0.05)), 0.05);  // from the start again
}

// Whatever ends an audible clip - stop, a new load in its place, closing the device - it
// fades out in a few milliseconds rather than being cut, and a rewind does not jump.
TEST_F(SoundModuleTest, ClipsFadeOutInsteadOfBeingCutAndARewindDoesNotJump) {
    const auto playThenEnd = [this](const char* what, const std::function<void()>& end) {
        OpenLikeThePlayer();
        ASSERT_EQ(Load(ToneClip("tone.wav", 440.0)), S_OK);
        SetSourceParameters({-1, 0, 1}, {0, 0, 0});
        ASSERT_EQ(PlaySource(), S_OK);
        std::vector<float> out = Render(0.3);
        end();
        const std::vector<float> after = Render(0.1);
        out.insert(out.end(), after.begin(), after.end());
        const std::size_t stoppedAt = static_cast<std::size_t>(kRate * 3 / 10);
        EXPECT_LT(EndingDropDb(out, 2, 0, stoppedAt, kRate), -20.0) << what;
        EXPECT_LT(Rms(out, 2, 0, stoppedAt + kRate / 80, kRate / 20), 1e-5) << what << ": over within 12 ms";
        CloseSoundDevice();
    };
    playThenEnd("stop", [] { StopSource(); });
    playThenEnd("a new load", [this] { ASSERT_EQ(Load(ToneClip("other.wav", 300.0)), S_OK); });
    playThenEnd("closing the device", [] { CloseSoundDevice(); });

    OpenLikeThePlayer();
    ASSERT_EQ(Load(ToneClip("tone.wav", 440.0)), S_OK);
    SetSourceParameters({-1, 0, 1}, {0, 0, 0});
    ASSERT_EQ(PlaySource(), S_OK);
    std::vector<float> out = Render(0.1037);  // mid-wave
    const double wave = LargestStep(out, 2, 0, kRate / 20, kRate / 20);
    ASSERT_EQ(PlaySource(), S_OK);  // playing: rewinds
    const std::vector<float> after = Render(0.1);
    out.insert(out.end(), after.begin(), after.end());
    EXPECT_LT(LargestStep(out, 2, 0, kRate / 20, kRate / 10), 2.5 * wave);
    EXPECT_GT(Level(after), 0.05);
}

TEST_F(SoundModuleTest, SourcePositionDecidesTheEar) {
    OpenLikeThePlayer();
    ASSERT_EQ(Load(ToneClip("tone.wav")), S_OK);
    ASSERT_EQ(PlaySource(), S_OK);
    SetSourceParameters({3, 0, 0}, {0, 0, 0});
    Render(0.05);
    const auto right = Render(0.3);
    SetSourceParameters({-3, 0, 0}, {0, 0, 0});
    Render(0.05);
    const auto left = Render(0.3);
    EXPECT_GT(Level(right, 1), 2.0 * Level(right, 0));
    EXPECT_GT(Level(left, 0), 2.0 * Level(left, 1));
}

TEST_F(SoundModuleTest, NewLoadEndsTheOldClipAndUsesNewObjects) {
    OpenLikeThePlayer();
    const std::string path = ToneClip("tone.wav");
    ASSERT_EQ(Load(path), S_OK);
    ASSERT_EQ(PlaySource(), S_OK);
    SetSourceParameters({0, 0, 1}, {0, 0, 0});
    EXPECT_GT(Level(Render(0.1)), 0.05);
    const int live = dsound_test::LiveObjectCount();

    ASSERT_EQ(Load(path), S_OK);
    EXPECT_EQ(dsound_test::LiveObjectCount(), live);  // the old buffer is gone
    DWORD status = 1;
    ASSERT_EQ(g_pDSBuffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    EXPECT_LT(Rms(Render(0.1), 2, 0, kRate / 50, kRate / 20), 1e-5);  // once the old clip faded
    EXPECT_EQ(g_pWaveStream->m_ckData.cksize, g_dwBufferBytes);  // a fresh reader, rewound
    ASSERT_EQ(PlaySource(), S_OK);
    EXPECT_GT(Level(Render(0.1)), 0.02);
}

TEST_F(SoundModuleTest, LostBufferIsRestoredAndRefilledFromTheOpenReaderOnPlay) {
    OpenLikeThePlayer();
    ASSERT_EQ(Load(ToneClip("tone.wav")), S_OK);
    SetSourceParameters({0, 0, 1}, {0, 0, 0});
    ASSERT_EQ(PlaySource(), S_OK);
    EXPECT_GT(Level(Render(0.1)), 0.05);

    dsound_test::SimulateDisconnect();
    DWORD status = 0;
    ASSERT_EQ(g_pDSBuffer->GetStatus(&status), DS_OK);
    EXPECT_TRUE(status & DSBSTATUS_BUFFERLOST);
    EXPECT_LT(Level(Render(0.1)), 1e-6);

    dsound_test::SimulateReconnect();
    ASSERT_EQ(PlaySource(), S_OK);
    ASSERT_EQ(g_pDSBuffer->GetStatus(&status), DS_OK);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING);
    EXPECT_FALSE(status & DSBSTATUS_BUFFERLOST);
    // The data came back from the reader; the position and mode go with the next update.
    SetSourceParameters({0, 0, 1}, {0, 0, 0});
    EXPECT_GT(Level(Render(0.1)), 0.05);
}

TEST_F(SoundModuleTest, RestoreGivesUpAfterAboutASecondAndReportsTheLoss) {
    OpenLikeThePlayer();
    ASSERT_EQ(Load(ToneClip("tone.wav")), S_OK);
    dsound_test::SimulateDisconnect();
    const DWORD start = GetTickCount();
    EXPECT_EQ(PlaySource(), DSERR_BUFFERLOST);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 3000u);
}

TEST_F(SoundModuleTest, RestoreSucceedsWhenTheDeviceReturnsDuringTheRetries) {
    OpenLikeThePlayer();
    ASSERT_EQ(Load(ToneClip("tone.wav")), S_OK);
    dsound_test::SimulateDisconnect();
    HANDLE helper = CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
            Sleep(100);
            dsound_test::SimulateReconnect();
            return 0;
        },
        nullptr, 0, nullptr);
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(RestoreSource(), S_OK);
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
}

TEST_F(SoundModuleTest, DataTheFileDoesNotHoldIsNeverBufferedAndAFailedRefillIsSilenceAndSaysSo) {
    OpenLikeThePlayer();
    const WAVEFORMATEX f = PcmFormat(22050, 1, 8);
    const auto data = Tone(f, 400.0, 1.0, 0.9);  // more than the reader's own buffer holds
    // The data chunk claims twice what the file holds: no buffer is made for it.
    EXPECT_EQ(Load(Clip("short.wav", f, data, static_cast<long>(data.size() * 2))), 1);
    EXPECT_EQ(g_pDSBuffer, nullptr);
    // A clip whose file shrinks once it is loaded: the refill fails and leaves silence.
    const std::string path = Clip("shrinks.wav", f, data);
    ASSERT_EQ(Load(path), S_OK);
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    EXPECT_EQ(FillSourceBuffer(), E_FAIL);
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(g_pDSBuffer->Lock(0, g_dwBufferBytes, &p, &n, nullptr, nullptr, 0), DS_OK);
    std::vector<BYTE> held(static_cast<BYTE*>(p), static_cast<BYTE*>(p) + n);
    g_pDSBuffer->Unlock(p, n, nullptr, 0);
    for (BYTE b : held) ASSERT_EQ(b, 0x80);
    SetSourceParameters({0, 0, 1}, {0, 0, 0});
    ASSERT_EQ(PlaySource(), S_OK);
    EXPECT_LT(Level(Render(0.1)), 1e-4);
}

// 24 and 32 bits reach the output as float: a tone far below the 16-bit step is heard,
// at its own level; six channels are all mixed down, like stereo.
TEST_F(SoundModuleTest, WideSamplesReachTheOutputAsFloatAndEveryChannelIsMixedDown) {
    OpenLikeThePlayer();
    const auto levelOf = [this](const WAVEFORMATEX& f, const std::vector<std::uint8_t>& data) {
        EXPECT_EQ(Load(Clip("clip.wav", f, data)), S_OK) << f.wBitsPerSample << " bits";
        SetSourceParameters({0, 0, 1}, {0, 0, 0});
        PlaySource();
        Render(0.05);  // the clip before has faded out
        return Level(Render(0.2));
    };
    for (WORD bits : {24, 32}) {
        const WAVEFORMATEX f = PcmFormat(kRate, 2, bits);
        const double level = levelOf(f, Tone(f, 500.0, 0.5, 1e-5));
        EXPECT_TRUE(level > 2e-6 && level < 2e-5) << bits << " bits: " << level;
    }
    const WAVEFORMATEX mono = PcmFormat(kRate, 1, 16);
    const double reference = levelOf(mono, Tone(mono, 500.0, 0.5, 0.1));
    WAVEFORMATEX six = PcmFormat(kRate, 6, 16);
    six.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    const auto firstOfSix = MakePcm(six, kRate / 2, [](std::size_t i, int c) {
        return c == 0 ? 0.6 * std::sin(2.0 * kPi * 500.0 * static_cast<double>(i) / kRate) : 0.0;
    });
    EXPECT_NEAR(levelOf(six, firstOfSix) / reference, 1.0, 0.1);
}

TEST_F(SoundModuleTest, ListenerPropertiesGoThroughTheSourceAndLeaveNoReference) {
    OpenLikeThePlayer();
    // The head of the bathroom record; the rest is zero, which the effect clamps.
    std::int32_t fields[12] = {-1400, -200, 0, 0, 0, 500};
    const float floats[] = {0.0f, 1.49f, 0.6f};
    std::memcpy(&fields[2], floats, sizeof floats);
    EXPECT_EQ(SendSourceListenerProperties(fields, 48), S_OK);  // no source: nothing happens

    ASSERT_EQ(Load(ToneClip("tone.wav")), S_OK);
    EXPECT_EQ(SendSourceListenerProperties(fields, 48), S_OK);
    dsound_test::ReverbState state{};
    ASSERT_TRUE(dsound_test::LastReverb(g_pDS3DBuffer, &state));
    EXPECT_EQ(std::memcmp(state.record, fields, 48), 0);
    EXPECT_TRUE(state.effectAttached);
    EXPECT_LT(SendSourceListenerProperties(fields, 12), 0);
    // The buffer must go away with the close: TearDown counts the live objects.
}

}  // namespace
