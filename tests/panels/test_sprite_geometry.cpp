// Where the sprite lands for a view position, and which image the speaker indicator
// picks: pure functions of the pad, checked against the program's layout numbers.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "panels/position_pad.h"

namespace {

const RECT kRoom{305, 99, 616, 412};
const RECT kSprite{0, 0, 14, 14};

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rt, LONG b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rt);
    EXPECT_EQ(r.bottom, b);
}

TEST(SpriteRect, LayoutExamples) {
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0, 0, 0), 453, 248, 467, 262);
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0, 0.5f, 0), 450, 245, 471, 266);
    // Doubled near the bottom-right corner: (595, 391, 623, 419) trimmed by the room.
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 1, 1, -1), 595, 391, 616, 412);
}

TEST(SpriteRect, CornersTouchTheWalls) {
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, -1, 0, 1), 305, 99, 319, 113);
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 1, 0, -1), 602, 398, 616, 412);
}

TEST(SpriteRect, HeightScalesAroundTheCentre) {
    // Doubled in the middle: 28 x 28 centred on (460, 255).
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0, 1, 0), 446, 241, 474, 269);
    // y = -1 makes it vanish: the result is the empty rectangle.
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0.3f, -1, 0.2f), 0, 0, 0, 0);
}

TEST(SpriteRect, FarOutsideTheRoomIsEmptyOrTrimmed) {
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 5, 0, 0), 0, 0, 0, 0);
    const RECT r = ComputeSpriteRect(kRoom, kSprite, -1, 3, 1);
    EXPECT_EQ(r.left, kRoom.left);
    EXPECT_EQ(r.top, kRoom.top);
    EXPECT_LE(r.right, kRoom.right);
}

TEST(SpriteRect, PointsBeyondAnyRoomNeitherOverflowNorAppearInside) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float far : {1e9f, -1e9f, 3e38f, inf, -inf}) {
        ExpectRect(ComputeSpriteRect(kRoom, kSprite, far, 0, 0), 0, 0, 0, 0);
        ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0, 0, far), 0, 0, 0, 0);
    }
    // Grown past every wall, a sprite is trimmed to the whole room; shrunk past nothing,
    // it vanishes.
    for (float huge : {1e9f, inf}) ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0, huge, 0), 305, 99, 616, 412);
    ExpectRect(ComputeSpriteRect(kRoom, kSprite, 0, -1e9f, 0), 0, 0, 0, 0);
    for (const auto& [x, y, z] : {std::tuple{nan, 0.0f, 0.0f}, {0.0f, nan, 0.0f}, {0.0f, 0.0f, nan}})
        ExpectRect(ComputeSpriteRect(kRoom, kSprite, x, y, z), 0, 0, 0, 0);
}

TEST(SpeakerImage, TableByLowByte) {
    EXPECT_EQ(SpeakerImageRegion(DSSPEAKER_HEADPHONE), 32);
    EXPECT_EQ(SpeakerImageRegion(DSSPEAKER_STEREO), 33);
    EXPECT_EQ(SpeakerImageRegion(DSSPEAKER_QUAD), 34);
    EXPECT_EQ(SpeakerImageRegion(DSSPEAKER_SURROUND), 34);
    EXPECT_EQ(SpeakerImageRegion(DSSPEAKER_5POINT1), 35);
    EXPECT_EQ(SpeakerImageRegion(DSSPEAKER_7POINT1), 35) << "the nearest picture, not the last one shown";
    for (DWORD other : {DSSPEAKER_DIRECTOUT, DSSPEAKER_MONO, DWORD{0xFF}})
        EXPECT_EQ(SpeakerImageRegion(other), 26) << other;
    // The geometry byte above does not change the choice.
    EXPECT_EQ(SpeakerImageRegion(0x00050000u | DSSPEAKER_STEREO), 33);
    EXPECT_EQ(SpeakerImageRegion(0x0A00u | DSSPEAKER_5POINT1), 35);
}

}  // namespace
