// The sound module opened on the loopback device, with clips written to a temp folder.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/sound_module.h"
#include "tests/support/dsound_hooks.h"
#include "tests/audio/sound/wav_file.h"
#include "tests/platform/dsound/signal.h"

namespace sound_testing {

constexpr int kRate = 44100;

class SoundModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        dsound_test::UseLoopback(kRate);
        m_liveBefore = dsound_test::LiveObjectCount();
    }
    void TearDown() override {
        EXPECT_EQ(CloseSoundDevice(), S_OK);
        EXPECT_EQ(dsound_test::LiveObjectCount(), m_liveBefore) << "a reference was left behind";
        dsound_test::UseLoopback(0);
    }

    // Opens the device as the player does.
    void OpenLikeThePlayer() {
        ASSERT_EQ(OpenSoundDevice(nullptr), S_OK);
        SetDistanceModel(1.0f, 1.0f, 1.0f, 50.0f);
    }

    std::string Clip(const std::string& name, const WAVEFORMATEX& format, const std::vector<std::uint8_t>& data,
                     long dataSizeClaim = -1) {
        const std::string path = m_folder.File(name);
        EXPECT_TRUE(WriteWav(path, format, data, dataSizeClaim));
        return path;
    }

    std::string ToneClip(const std::string& name, double hz = 500.0, double seconds = 0.5) {
        const WAVEFORMATEX f = PcmFormat(kRate, 1, 16);
        return Clip(name, f, Tone(f, hz, seconds));
    }

    static HRESULT Load(std::string path) { return LoadSourceBuffer(&path[0]); }

    static std::vector<float> Render(double seconds) {
        return dsound_test::RenderFrames(static_cast<std::size_t>(seconds * kRate));
    }
    static double Level(const std::vector<float>& out, int channel = 0) {
        return Rms(out, 2, channel, 0, out.size() / 2);
    }

private:
    TempFolder m_folder;
    int m_liveBefore = 0;
};

}  // namespace sound_testing
