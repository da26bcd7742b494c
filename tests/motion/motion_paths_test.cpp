// The motion generator, mode by mode, checked against the positions the program's paths
// are known to produce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "motion/spatial_player.h"
#include "platform/kernel/crt_rand.h"
#include "tests/motion/temp_dir.h"

namespace {

class MotionTest : public ::testing::Test {
protected:
    ScopedTempCwd m_cwd;  // no stray "Path" file
    CSpatialPlayer m_player{nullptr};

    void TearDown() override { m_player.Close(); }

    Vec3 Next() {
        Vec3 out{-99.0f, -99.0f, -99.0f};
        m_player.NextPosition(&out);
        return out;
    }
};

void ExpectVec(const Vec3& v, float x, float y, float z, float tolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST_F(MotionTest, HorizontalCircleStartsNextToAheadAndClosesAfter500Ticks) {
    m_player.SetPathMode(1);
    ExpectVec(Next(), 0.0067019f, 0.0f, 0.5332912f, 2e-7f);
    EXPECT_EQ(m_player.m_tick, 1);
    for (int i = 2; i <= 500; ++i) {
        const Vec3 v = Next();
        ASSERT_EQ(v.y, 0.0f) << "tick " << i;
        ASSERT_NEAR(std::hypot(v.x, v.z), 0.53333336f, 1e-6f) << "tick " << i;
        if (i == 125) {
            ExpectVec(v, 0.53333336f, 0.0f, 0.0f, 1e-6f);  // a quarter turn: to the right
        }
    }
    EXPECT_EQ(m_player.m_tick, 0);
    Vec3 last{};
    m_player.GetPosition(&last);
    EXPECT_EQ(last.x, 0.0f);
    EXPECT_EQ(last.y, 0.0f);
    EXPECT_EQ(last.z, 0.53333336f);
}

TEST_F(MotionTest, VerticalCircleStaysInTheEarPlane) {
    m_player.SetPathMode(2);
    ExpectVec(Next(), 0.0067019f, 0.5332912f, 0.0f, 2e-7f);
    float lowest = 1.0f;
    for (int i = 2; i <= 500; ++i) {
        const Vec3 v = Next();
        ASSERT_EQ(v.z, 0.0f) << "tick " << i;
        lowest = std::fmin(lowest, v.y);
    }
    EXPECT_NEAR(lowest, -0.53333336f, 1e-6f);  // it passes below the listener too
}

TEST_F(MotionTest, FlyByPassesInFrontThenThroughBehindAndThroughAgain) {
    m_player.SetPathMode(3);
    ExpectVec(Next(), -0.9996573f, 0.0f, 1.0f, 2e-7f);
    for (int i = 2; i <= 119; ++i) Next();
    EXPECT_EQ(m_player.m_tick, 119);
    EXPECT_EQ(m_player.m_leg, 1) << "the first leg lasts 119 ticks";

    const Vec3 tick120 = Next();
    EXPECT_EQ(m_player.m_pos.x, 3.0f);
    EXPECT_EQ(tick120.z, tick120.x) << "leg 1 crosses through the listener";

    for (int i = 121; i <= 239; ++i) Next();
    EXPECT_EQ(m_player.m_tick, 239);
    EXPECT_EQ(m_player.m_leg, 2);
    const Vec3 behind = Next();
    EXPECT_EQ(m_player.m_pos.z, -3.0f);
    EXPECT_EQ(behind.x, -1.0f) << "tick 0 of the swing is the far left";

    for (int i = 241; i <= 359; ++i) Next();
    EXPECT_EQ(m_player.m_leg, 3);
    const Vec3 back = Next();
    EXPECT_EQ(back.z, -back.x) << "leg 3 crosses the other way";

    for (int i = 361; i <= 479; ++i) Next();
    EXPECT_EQ(m_player.m_leg, 0) << "after leg 3 comes leg 0";
    EXPECT_EQ(Next().z, 1.0f);
}

// Radius <= 0 and direction flips, by tick number, over two full spiral periods.
TEST_F(MotionTest, SpiralTurnsAtTheStatedTicksWithSinglePrecisionStorage) {
    m_player.SetPathMode(5);
    std::vector<int> inward;
    std::vector<int> flips;
    Vec3 previous{};
    for (int tick = 1; tick <= 8400; ++tick) {
        const int radiusDir = m_player.m_radiusDir;
        const Vec3 v = Next();
        if (radiusDir < 0 && m_player.m_radiusDir > 0) {
            inward.push_back(tick);
            if (tick == 1000) {
                EXPECT_NEAR(m_player.m_radius, -0.000017f, 1e-6f);
            }
        }
        if (radiusDir > 0 && m_player.m_radiusDir < 0) {
            flips.push_back(tick);
            EXPECT_EQ(v.x, previous.x) << "a flip tick holds the position, tick " << tick;
            EXPECT_EQ(v.y, previous.y);
            EXPECT_EQ(v.z, previous.z);
            if (tick == 2100) {
                EXPECT_NEAR(m_player.m_radius, 3.3f, 1e-5f);
                EXPECT_NEAR(m_player.m_height, -1.65f, 1e-5f);
            }
            if (tick == 4200) {
                EXPECT_EQ(m_player.m_radius, 3.0f);
                EXPECT_EQ(m_player.m_height, 1.5f);
            }
        }
        if (tick == 2000) {
            EXPECT_EQ(m_player.m_height, -1.4999998f) << "not yet at the end, so no flip at radius 3";
        }
        previous = v;
    }
    EXPECT_EQ(inward, (std::vector<int>{1000, 3200, 5200, 7400}));
    EXPECT_EQ(flips, (std::vector<int>{2100, 4200, 6300, 8400}));
}

TEST_F(MotionTest, PathPointsPlayInOrderAndCycle) {
    m_player.m_pointCount = 3;
    for (int i = 0; i < 3; ++i) {
        m_player.m_pathX[i] = 0.1f * (i + 1);
        m_player.m_pathY[i] = -0.2f * (i + 1);
        m_player.m_pathZ[i] = 0.3f * (i + 1);
    }
    m_player.SetPosition(Vec3{0.5f, 0.5f, 0.5f}, Vec3{});
    m_player.SetPathMode(6);
    for (int i : {0, 1, 2, 0, 1}) {
        const Vec3 v = Next();
        EXPECT_EQ(v.x, m_player.m_pathX[i]);
        EXPECT_EQ(v.y, m_player.m_pathY[i]);
        EXPECT_EQ(v.z, m_player.m_pathZ[i]);
    }
    Vec3 held{};
    m_player.GetPosition(&held);
    EXPECT_NEAR(held.x, 0.5f, 1e-7f) << "mode 6 leaves storing the point to SetPosition";
}

TEST_F(MotionTest, PathModeWithoutPointsRestsAtTheListener) {
    m_player.SetPathMode(6);
    for (int i = 0; i < 3; ++i) ExpectVec(Next(), 0.0f, 0.0f, 0.0f, 0.0f);
    m_player.m_pointCount = 2;
    m_player.m_pointIndex = 1000;  // out of reach: starts over instead of reading past the arrays
    ExpectVec(Next(), m_player.m_pathX[0], m_player.m_pathY[0], m_player.m_pathZ[0], 0.0f);
}

TEST_F(MotionTest, ManualAndUnknownModesHoldThePosition) {
    for (int mode : {0, -1, 7, 1000}) {
        m_player.SetPosition(Vec3{0.25f, -0.5f, 0.75f}, Vec3{});
        m_player.SetPathMode(mode);
        Vec3 held{};
        m_player.GetPosition(&held);
        const Vec3 v = Next();
        EXPECT_EQ(v.x, held.x) << "mode " << mode;
        EXPECT_EQ(v.y, held.y);
        EXPECT_EQ(v.z, held.z);
        EXPECT_NEAR(v.z, 0.75f, 1e-7f);
    }
}

TEST_F(MotionTest, ViewUnitsRoundTripExactlyAndPathChangesDoNotMoveTheSource) {
    m_player.SetPosition(Vec3{1.0f, 1.0f, 1.0f}, Vec3{5.0f, 0.0f, 0.0f});
    EXPECT_EQ(m_player.m_pos.x, 3.0f);
    Vec3 out{};
    EXPECT_EQ(m_player.GetPosition(&out), &out);
    ExpectVec(out, 1.0f, 1.0f, 1.0f, 0.0f);

    m_player.SetPathMode(1);
    for (int i = 0; i < 37; ++i) Next();
    Vec3 before{};
    m_player.GetPosition(&before);
    for (int mode : {2, 3, 4, 5, 6, 0}) {
        m_player.SetPathMode(mode);
        m_player.GetPosition(&out);
        EXPECT_EQ(out.x, before.x) << "mode " << mode;
        EXPECT_EQ(out.y, before.y);
        EXPECT_EQ(out.z, before.z);
    }
    EXPECT_EQ(m_player.GetPosition(nullptr), nullptr);
}

TEST_F(MotionTest, InsectStartsTwoUnitsAheadAtRest) {
    m_player.SetPathMode(4);
    EXPECT_EQ(m_player.m_insectPos.x, 0.0f);
    EXPECT_EQ(m_player.m_insectPos.y, 0.0f);
    EXPECT_EQ(m_player.m_insectPos.z, 2.0f);
    EXPECT_EQ(m_player.m_insectVel.z, 0.0f);
    EXPECT_EQ(m_player.m_insectStep, 0.03f);
    EXPECT_EQ(m_player.m_damping, 0.98019868f);
}

TEST_F(MotionTest, InsectTargetsStayInTheirBoxAndOffTheListenersHead) {
    m_player.SetPathMode(4);
    int movedOff = 0;
    for (unsigned int seed = 1; seed <= 20000; ++seed) {
        msvcrt::srand(seed);
        m_player.PickInsectTarget();
        const Vec3 t = m_player.m_insectTarget;
        ASSERT_LE(std::fabs(t.x), 2.0f);
        ASSERT_LE(std::fabs(t.y), 0.5f);
        ASSERT_LE(std::fabs(t.z), 2.0f);
        const float length = std::sqrt(t.x * t.x + t.y * t.y + t.z * t.z);
        if (t.z == 0.3f && std::sqrt(t.x * t.x + t.y * t.y) < 0.3f) {
            ++movedOff;
        } else {
            ASSERT_GE(length, 0.3f) << "seed " << seed;
        }
        const Vec3 p = m_player.m_insectPos;
        EXPECT_NEAR(m_player.m_targetDist,
                    std::sqrt((t.x - p.x) * (t.x - p.x) + (t.y - p.y) * (t.y - p.y) + (t.z - p.z) * (t.z - p.z)),
                    1e-6f);
    }
    EXPECT_GT(movedOff, 0) << "some seed must draw a target near the head";
}

TEST_F(MotionTest, InsectStepWeighsAttractionAgainstThePushFromTheListener) {
    m_player.SetPathMode(4);
    m_player.m_insectPos = Vec3{0.0f, 0.0f, 2.0f};
    m_player.m_insectVel = Vec3{0.0f, 0.0f, 0.0f};
    m_player.m_insectTarget = Vec3{0.0f, 0.0f, 3.0f};
    m_player.m_targetDist = 1.0f;
    m_player.StepInsect();
    // F = 1 toward the target + 3 h with h = 1 / (1 + 4 / 0.09): both along +z.
    const double force = 1.0 + 3.0 / (1.0 + 4.0 / 0.09);
    EXPECT_NEAR(m_player.m_insectVel.z, 0.03 * force, 1e-7);
    EXPECT_NEAR(m_player.m_insectPos.z, 2.0 + 0.03 * 0.03 * force, 1e-6);
    EXPECT_EQ(m_player.m_insectTarget.z, 3.0f) << "still more than half the way to go";

    m_player.m_targetDist = 3.0f;  // now less than half of the original distance is left
    m_player.StepInsect();
    EXPECT_NE(m_player.m_insectTarget.z, 3.0f);
}

TEST_F(MotionTest, InsectStepSurvivesTheDegeneratePlaces) {
    m_player.SetPathMode(4);
    m_player.m_insectPos = Vec3{0.0f, 0.0f, 0.0f};     // on the listener
    m_player.m_insectTarget = Vec3{0.0f, 0.0f, 0.0f};  // and on its target
    m_player.m_targetDist = 0.0f;
    m_player.StepInsect();
    EXPECT_TRUE(std::isfinite(m_player.m_insectPos.x) && std::isfinite(m_player.m_insectPos.z));
    EXPECT_TRUE(std::isfinite(m_player.m_targetDist));
    const Vec3 v = Next();
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

TEST_F(MotionTest, InsectOutputIsClampedWithHalfHeightAboveAndBelow) {
    m_player.SetPathMode(4);
    m_player.m_insectVel = Vec3{0.0f, 0.0f, 0.0f};
    m_player.m_insectTarget = Vec3{0.0f, 0.0f, 0.0f};
    m_player.m_targetDist = 1000.0f;
    m_player.m_insectPos = Vec3{10.0f, 10.0f, -10.0f};
    ExpectVec(Next(), 1.0f, 0.5f, -1.0f, 1e-7f);
    EXPECT_GT(m_player.m_insectPos.x, 9.0f) << "the flight itself is not clamped";
    m_player.m_insectPos = Vec3{-10.0f, -10.0f, 10.0f};
    ExpectVec(Next(), -1.0f, -0.5f, 1.0f, 1e-7f);
    // Between the room's limit and the clamp the height passes through scaled by 0.9.
    m_player.m_insectPos = Vec3{0.0f, 3.2f, 0.0f};
    const Vec3 inBand = Next();
    EXPECT_NEAR(inBand.y, 0.9f * m_player.m_insectPos.y / 3.0f, 1e-6f);
    EXPECT_GT(inBand.y, 0.5f);
}

TEST_F(MotionTest, InsectOutputIsTheFlightTimesTheSinglePrecisionNineTenths) {
    // The factor is 0.90000004 (0x3F666667), one unit in the last place above 0.9f; a
    // product of two floats is exact in double, so rounding it once gives the float product.
    const std::uint32_t bits = 0x3F666667u;
    float factor = 0.0f;
    std::memcpy(&factor, &bits, sizeof factor);
    m_player.SetPathMode(4);
    msvcrt::srand(7u);
    m_player.PickInsectTarget();
    for (int i = 0; i < 200; ++i) {
        Next();
        const Vec3 p = m_player.m_insectPos;
        ASSERT_EQ(m_player.m_pos.x, static_cast<float>(static_cast<double>(factor) * p.x)) << "tick " << i;
        ASSERT_EQ(m_player.m_pos.y, static_cast<float>(static_cast<double>(factor) * p.y)) << "tick " << i;
        ASSERT_EQ(m_player.m_pos.z, static_cast<float>(static_cast<double>(factor) * p.z)) << "tick " << i;
    }
}

TEST_F(MotionTest, InsectFlightStaysInTheRoomForAHundredThousandTicks) {
    m_player.SetPathMode(4);
    msvcrt::srand(20240601u);
    m_player.PickInsectTarget();
    float farthest = 0.0f;
    for (int i = 0; i < 100000; ++i) {
        const Vec3 v = Next();
        ASSERT_TRUE(std::fabs(v.x) <= 1.0f && std::fabs(v.y) <= 1.0f && std::fabs(v.z) <= 1.0f) << i;
        const Vec3 p = m_player.m_insectPos;
        farthest = std::fmax(farthest, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    }
    EXPECT_LT(farthest, 4.0f);
    EXPECT_GT(farthest, 1.0f) << "it does fly around";
}

}  // namespace
