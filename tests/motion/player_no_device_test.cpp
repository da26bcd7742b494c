// A player built where no sound device opens (the test runs with a back end that does
// not exist) is still a working object: every call answers, nothing reaches sound.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audio/sound_module.h"
#include "motion/spatial_player.h"
#include "tests/motion/temp_dir.h"
#include "tests/motion/wav_clip.h"

namespace {

TEST(PlayerWithoutDevice, AnswersEveryCallSafely) {
    ScopedTempCwd cwd;
    cwd.Write("Path", "a b c 1 P 25 25 25 Q 1 2 3 4");
    WriteToneWav(cwd.Path("tone.wav").string());

    CSpatialPlayer player(nullptr);
    EXPECT_EQ(g_pDS, nullptr);
    EXPECT_EQ(player.m_pointCount, 0) << "the path file is read only with a device";

    std::string clip = cwd.Path("tone.wav").string();
    player.LoadFile(&clip[0]);
    EXPECT_EQ(g_pDS3DBuffer, nullptr);
    EXPECT_LT(player.Play(), 0);
    player.SetEnvironment(4);
    player.SetEnvironment(static_cast<unsigned int>(-1));
    player.SetPosition(Vec3{0.5f, 0.0f, 0.5f}, Vec3{1.0f, 0.0f, 0.0f});
    Vec3 out{};
    player.GetPosition(&out);
    EXPECT_NEAR(out.x, 0.5f, 1e-7f);

    for (int mode = -1; mode <= 7; ++mode) {
        player.SetPathMode(mode);
        for (int tick = 0; tick < 3000; ++tick) {
            player.NextPosition(&out);
            ASSERT_TRUE(std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z)) << mode;
            ASSERT_LE(std::fabs(out.x), 1.5f) << mode;
            ASSERT_LE(std::fabs(out.z), 1.5f) << mode;
        }
    }
    player.Stop();
    EXPECT_EQ(player.Close(), 0);
    EXPECT_EQ(player.Close(), 0) << "closing twice is harmless";
}

}  // namespace
