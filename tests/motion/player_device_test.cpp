// The player on the loopback sound device: what its operations leave in the sound layer,
// the room records that reach the reverb engine, and the path file read at construction.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "audio/sound_module.h"
#include "motion/spatial_player.h"
#include "tests/support/dsound_hooks.h"
#include "tests/motion/temp_dir.h"
#include "tests/motion/wav_clip.h"

namespace {

class PlayerDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { dsound_test::UseLoopback(44100); }
    void TearDown() override {
        if (m_player != nullptr) {
            EXPECT_EQ(m_player->Close(), 0);
            delete m_player;
        }
        EXPECT_EQ(g_pDS, nullptr) << "Close releases the device";
        dsound_test::UseLoopback(0);
    }

    CSpatialPlayer* Build() {
        m_player = new CSpatialPlayer(nullptr);
        return m_player;
    }
    int LoadTone() {
        const std::string path = m_cwd.Path("tone.wav").string();
        WriteToneWav(path);
        std::string mutablePath = path;
        return m_player->LoadFile(&mutablePath[0]);
    }
    static bool Reverb(dsound_test::ReverbState* state) { return dsound_test::LastReverb(g_pDS3DBuffer, state); }

    ScopedTempCwd m_cwd;
    CSpatialPlayer* m_player = nullptr;
};

ReverbParams RecordOf(const dsound_test::ReverbState& state) {
    ReverbParams p;
    std::memcpy(&p, state.record, sizeof p);
    return p;
}

TEST_F(PlayerDeviceTest, ConstructionOpensTheDeviceAndLoadingChecksTheFile) {
    Build();
    ASSERT_NE(g_pDS, nullptr);
    std::string missing = m_cwd.Path("missing.wav").string();
    EXPECT_EQ(m_player->LoadFile(nullptr), 0);
    EXPECT_EQ(m_player->LoadFile(&missing[0]), 0);
    m_cwd.Write("text.wav", "RIFF but not really a wave file");
    std::string bogus = m_cwd.Path("text.wav").string();
    EXPECT_EQ(m_player->LoadFile(&bogus[0]), 0);
    EXPECT_EQ(g_pDS3DBuffer, nullptr);

    EXPECT_EQ(LoadTone(), 1);
    ASSERT_NE(g_pDS3DBuffer, nullptr);
    EXPECT_EQ(m_player->Play(), S_OK);
    m_player->SetPosition(Vec3{0.5f, 0.0f, -1.0f}, Vec3{1.0f, 2.0f, 3.0f});
    DS3DBUFFER params{};
    params.dwSize = sizeof params;
    ASSERT_EQ(g_pDS3DBuffer->GetAllParameters(&params), DS_OK);
    EXPECT_FLOAT_EQ(params.vPosition.x, 1.5f);
    EXPECT_FLOAT_EQ(params.vPosition.z, -3.0f);
    EXPECT_FLOAT_EQ(params.vVelocity.y, 2.0f) << "the velocity is passed on unscaled";
    m_player->Stop();
    DWORD status = 0;
    ASSERT_EQ(g_pDSBuffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
}

TEST_F(PlayerDeviceTest, BathroomRowReachesTheReverbEngineExactly) {
    Build();
    ASSERT_EQ(LoadTone(), 1);
    m_player->SetEnvironment(4);
    dsound_test::ReverbState state{};
    ASSERT_TRUE(Reverb(&state));
    EXPECT_TRUE(state.effectAttached);
    const ReverbParams p = RecordOf(state);
    EXPECT_EQ(p.lRoom, -1400);
    EXPECT_EQ(p.lRoomHF, -200);
    EXPECT_EQ(p.flRoomRolloffFactor, 0.0f);
    EXPECT_EQ(p.flDecayTime, 1.49f);
    EXPECT_EQ(p.flDecayHFRatio, 0.6f);
    EXPECT_EQ(p.lReflections, 500);
    EXPECT_EQ(p.flReflectionsDelay, 0.007f);
    EXPECT_EQ(p.lReverb, 1200);
    EXPECT_EQ(p.flReverbDelay, 0.011f);
    EXPECT_EQ(p.flDiffusion, 100.0f);
    EXPECT_EQ(p.flDensity, 60.0f);
    EXPECT_EQ(p.flHFReference, 5000.0f);
}

TEST_F(PlayerDeviceTest, RowsOutsideTheTableSendTheRoomOffRecord) {
    Build();
    ASSERT_EQ(LoadTone(), 1);
    for (unsigned int row : {28u, static_cast<unsigned int>(-1), 1000u}) {
        m_player->SetEnvironment(8);  // something else first, so the off record is seen to arrive
        m_player->SetEnvironment(row);
        dsound_test::ReverbState state{};
        ASSERT_TRUE(Reverb(&state));
        EXPECT_EQ(std::memcmp(state.record, &g_reverbOff, sizeof g_reverbOff), 0) << "row " << row;
        const ReverbParams p = RecordOf(state);
        EXPECT_EQ(p.lRoom, -10000);
        EXPECT_EQ(p.lRoomHF, 0);
        EXPECT_EQ(p.flReflectionsDelay, 0.02f);
        EXPECT_EQ(p.flReverbDelay, 0.04f);
        EXPECT_FALSE(state.effectAttached) << "the off record bypasses the effect";
    }
    m_player->SetEnvironment(27);
    dsound_test::ReverbState state{};
    ASSERT_TRUE(Reverb(&state));
    EXPECT_EQ(std::memcmp(state.record, &g_reverbPresets[27], 48), 0) << "the last row is still in the table";
}

TEST_F(PlayerDeviceTest, EnvironmentBeforeALoadSendsNothing) {
    Build();
    m_player->SetEnvironment(4);
    m_player->SetEnvironment(static_cast<unsigned int>(-1));
    ASSERT_EQ(LoadTone(), 1);
    dsound_test::ReverbState state{};
    EXPECT_FALSE(Reverb(&state)) << "nothing was kept back and applied to the new source";
}

TEST_F(PlayerDeviceTest, ConstructionReadsThePathFileOfTheCurrentDirectory) {
    m_cwd.Write("Path", "Recorded path v1\n2\nP0 25 0 -25\nQ 1 2 3 4\nP1 0 12.5 0\nQ 1 2 3 4\n");
    Build();
    ASSERT_EQ(m_player->m_pointCount, 2);
    m_player->SetPathMode(6);
    Vec3 v{};
    for (int round = 0; round < 2; ++round) {
        m_player->NextPosition(&v);
        EXPECT_EQ(v.x, 1.0f);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_EQ(v.z, -1.0f);
        m_player->NextPosition(&v);
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 0.5f);
        EXPECT_EQ(v.z, 0.0f);
    }
}

TEST_F(PlayerDeviceTest, NoPathFileMeansNoPoints) {
    Build();
    ASSERT_NE(g_pDS, nullptr);
    EXPECT_EQ(m_player->m_pointCount, 0);
    // A pipe, which would wait for a writer for ever, or a device that never ends, named
    // Path, is not a path file: the player is built at once without points.
    for (const char* device : {"fifo", "/dev/zero"}) {
        m_player->Close();
        delete m_player;
        std::filesystem::remove(m_cwd.Path("Path"));
        if (std::string(device) == "fifo")
            ASSERT_EQ(::mkfifo(m_cwd.Path("Path").c_str(), 0600), 0);
        else
            std::filesystem::create_symlink(device, m_cwd.Path("Path"));
        Build();
        EXPECT_EQ(m_player->m_pointCount, 0) << device;
    }
}

}  // namespace
