#include <gtest/gtest.h>

#include <climits>

#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/skin/test_skin.h"

using testgdi::MemDC;
using testskin::CTestSkin;
using testskin::Tag;

namespace {

constexpr std::uint32_t kBlank = 0x00ABCDEF;  // the target before drawing

struct Canvas : MemDC {
    Canvas(int w = 64, int h = 64) : MemDC(w, h) { Clear(); }
    void Clear() const { Fill([](int, int) { return kBlank; }); }
    int Drawn() const {
        int n = 0;
        for (std::uint32_t p : surface().pixels) n += p != kBlank;
        return n;
    }
};

TEST(Skin, StatesDecideWhatDraws) {
    CTestSkin skin(2, 4);
    Canvas c;
    skin.SetRegion(1, 4, 10, 10, 20, 20);
    skin.SetStateSource(1, 1, 0, 3, 4, 13, 14);
    skin.SetStateSource(1, 0, 1, 5, 5, 15, 15);
    EXPECT_EQ(skin.GetState(2), 4);  // new regions start hidden

    skin.Draw(c.dc(), 1, 0, 0);
    EXPECT_EQ(c.Drawn(), 0) << "hidden";
    skin.SetState(1, 1);
    skin.Draw(c.dc(), 1, 0, 0);
    EXPECT_EQ(c.Drawn(), 100);
    EXPECT_EQ(c.at(10, 10), Tag(0, 3, 4));
    EXPECT_EQ(c.at(19, 19), Tag(0, 12, 13));
    skin.SetState(1, 0);
    skin.Draw(c.dc(), 1, 0, 0);
    EXPECT_EQ(c.at(10, 10), Tag(1, 5, 5));

    for (int bad : {5, -1, INT_MIN}) {
        skin.SetState(1, bad);
        EXPECT_EQ(skin.GetState(1), 0) << bad;
    }
    // SetRegion stores whatever it is given; states without an image draw nothing.
    for (int state : {2, 3, 4, 7, -3}) {
        skin.SetRegion(1, state, 10, 10, 20, 20);
        EXPECT_EQ(skin.GetState(1), state);
        c.Clear();
        skin.Draw(c.dc(), 1, 0, 0);
        EXPECT_EQ(c.Drawn(), 0) << state;  // state 2 was never given a bitmap
    }
    // An index at or past the bitmap count, or negative, is no image.
    skin.SetState(1, 1);
    for (int bitmap : {2, 3, -1}) {
        skin.SetStateSource(1, 1, bitmap, 0, 0, 10, 10);
        skin.Draw(c.dc(), 1, 0, 0);
        EXPECT_EQ(c.Drawn(), 0) << bitmap;
    }
    skin.Draw(nullptr, 1, 0, 0);
}

TEST(Skin, OutOfRangeRegionsAreIgnored) {
    CTestSkin skin(1, 3);
    RECT r{1, 2, 3, 4};
    for (int bad : {3, 4, -1, INT_MIN, INT_MAX}) {
        skin.SetRegion(bad, 1, 0, 0, 5, 5);
        skin.SetRegionRect(bad, 0, 0, 5, 5);
        skin.SetStateSource(bad, 1, 0, 0, 0, 5, 5);
        skin.SetState(bad, 1);
        EXPECT_EQ(skin.GetRegionRect(bad, &r), 0);
        EXPECT_EQ(skin.CopyStateSources(bad, 0), 0);
        EXPECT_EQ(skin.CopyStateSources(0, bad), 0);
        EXPECT_EQ(skin.HitTest(bad, 1, 1), 0);
        EXPECT_EQ(skin.GetState(bad), -1);
    }
    RECT unchanged{1, 2, 3, 4};
    EXPECT_TRUE(EqualRect(&r, &unchanged));
    // States 3 and above, and negative ones, have no image to set.
    skin.SetRegion(0, 1, 0, 0, 4, 4);
    for (int state : {3, -1}) {
        skin.SetStateSource(0, state, 0, 0, 0, 4, 4);
    }
    Canvas c;
    skin.Draw(c.dc(), 0, 0, 0);
    EXPECT_EQ(c.Drawn(), 0);
}

TEST(Skin, HitTestEdges) {
    CTestSkin skin(1, 2);
    skin.SetRegion(1, 1, 10, 20, 30, 40);
    EXPECT_TRUE(skin.HitTest(1, 10, 20));
    EXPECT_TRUE(skin.HitTest(1, 29, 39));
    EXPECT_FALSE(skin.HitTest(1, 30, 25));
    EXPECT_FALSE(skin.HitTest(1, 15, 40));
    EXPECT_FALSE(skin.HitTest(1, 9, 25));
    EXPECT_FALSE(skin.HitTest(0, 0, 0));  // an untouched region is empty
}

TEST(Skin, DrawTakesItsSizeFromTheDestination) {
    CTestSkin skin(1, 2);
    Canvas c;
    skin.SetRegion(1, 1, 20, 30, 40, 45);           // 20 x 15
    skin.SetStateSource(1, 1, 0, 2, 3, 6, 5);       // 4 x 2: only the corner counts
    skin.Draw(c.dc(), 1, 8, 12);                    // offsets move the destination back
    EXPECT_EQ(c.Drawn(), 20 * 15);
    EXPECT_EQ(c.at(12, 18), Tag(0, 2, 3));
    EXPECT_EQ(c.at(31, 32), Tag(0, 21, 17));
    EXPECT_EQ(c.at(11, 18), kBlank);
}

TEST(Skin, DrawClippedOnlyInsideTheRegion) {
    CTestSkin skin(1, 2);
    Canvas c;
    skin.SetRegion(1, 1, 10, 10, 40, 40);
    skin.SetStateSource(1, 1, 0, 5, 6, 35, 36);
    RECT clip{20, 22, 26, 25};
    skin.DrawClipped(c.dc(), 1, &clip, 4, 2);
    EXPECT_EQ(c.Drawn(), 6 * 3);
    EXPECT_EQ(c.at(16, 20), Tag(0, 15, 18));  // clip corner, in source terms
    EXPECT_EQ(c.at(21, 22), Tag(0, 20, 20));

    // One pixel out of the region on any side: nothing at all.
    const RECT out[] = {{9, 20, 20, 30}, {20, 9, 30, 20}, {20, 20, 41, 30}, {20, 20, 30, 41}};
    for (const RECT& k : out) {
        c.Clear();
        skin.DrawClipped(c.dc(), 1, &k, 0, 0);
        EXPECT_EQ(c.Drawn(), 0) << k.left << "," << k.top << "," << k.right << "," << k.bottom;
    }
    RECT whole{10, 10, 40, 40};
    skin.DrawClipped(c.dc(), 1, &whole, 0, 0);
    EXPECT_EQ(c.Drawn(), 900);
    skin.DrawClipped(c.dc(), 1, nullptr, 0, 0);
}

TEST(Skin, CopyStateSourcesKeepsTheTargetsPlaceAndState) {
    CTestSkin skin(2, 3);
    skin.SetRegion(1, 1, 0, 0, 10, 10);
    skin.SetStateSource(1, 0, 1, 30, 31, 40, 41);
    skin.SetStateSource(1, 1, 0, 7, 8, 17, 18);
    skin.SetRegion(2, 0, 20, 20, 24, 22);
    ASSERT_EQ(skin.CopyStateSources(2, 1), 1);
    EXPECT_EQ(skin.GetState(2), 0);
    RECT r;
    skin.GetRegionRect(2, &r);
    RECT place{20, 20, 24, 22};
    EXPECT_TRUE(EqualRect(&r, &place));
    Canvas c;
    skin.Draw(c.dc(), 2, 0, 0);
    EXPECT_EQ(c.at(20, 20), Tag(1, 30, 31));
    skin.SetState(2, 1);
    skin.Draw(c.dc(), 2, 0, 0);
    EXPECT_EQ(c.at(23, 21), Tag(0, 10, 9));
}

// Sprite opaque where the mask is black; a 2 x 2 sprite drawn at natural size and doubled.
TEST(Skin, SpriteThroughItsMask) {
    CTestSkin skin(1, 3, 8);
    const std::uint32_t sprite[4] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};
    const std::uint32_t mask[4] = {0, 0x00FFFFFF, 0, 0x00FFFFFF};  // left column opaque
    for (int i = 0; i < 4; ++i) {
        skin.Pixel(0, 1 + i % 2, 1 + i / 2) = sprite[i];
        skin.Pixel(0, 5 + i % 2, 5 + i / 2) = mask[i];
    }
    skin.SetRegion(1, 1, 0, 0, 2, 2);
    skin.SetStateSource(1, 1, 0, 1, 1, 3, 3);
    skin.SetRegion(2, 1, 0, 0, 2, 2);
    skin.SetStateSource(2, 1, 0, 5, 5, 7, 7);
    RECT natural{0, 0, 2, 2};

    Canvas c(16, 16);
    RECT dest{13, 14, 15, 16};
    skin.DrawSprite(c.dc(), 1, 2, &dest, &natural, 10, 10);
    EXPECT_EQ(c.Drawn(), 0) << "no work surface yet";
    skin.MakeWork(2, 2);
    skin.DrawSprite(c.dc(), 1, 2, &dest, &natural, 10, 10);
    EXPECT_EQ(c.at(3, 4), sprite[0]);
    EXPECT_EQ(c.at(3, 5), sprite[2]);
    EXPECT_EQ(c.at(4, 4), kBlank);  // transparent: the background shows
    EXPECT_EQ(c.Drawn(), 2);

    c.Clear();
    RECT doubled{0, 0, 4, 4};
    skin.DrawSprite(c.dc(), 1, 2, &doubled, &natural, 0, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(c.at(x, y), x < 2 ? sprite[(y / 2) * 2] : kBlank) << x << "," << y;

    // Any region that shows nothing stops the whole draw.
    c.Clear();
    skin.SetState(2, 4);
    skin.DrawSprite(c.dc(), 1, 2, &doubled, &natural, 0, 0);
    EXPECT_EQ(c.Drawn(), 0);
}

TEST(Skin, DestructionReleasesEveryObject) {
    const int dcs = gdi::LiveDCCount(), bitmaps = gdi::LiveBitmapCount();
    {
        CTestSkin skin(3, 5);
        skin.MakeWork(14, 14);
        EXPECT_EQ(gdi::LiveDCCount(), dcs + 4);
        EXPECT_EQ(gdi::LiveBitmapCount(), bitmaps + 4);
    }
    EXPECT_EQ(gdi::LiveDCCount(), dcs);
    EXPECT_EQ(gdi::LiveBitmapCount(), bitmaps);
}

TEST(Skin, HostileRectanglesDrawSafely) {
    CTestSkin skin(1, 2, 16);
    Canvas c(16, 16);
    skin.SetRegion(1, 1, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    skin.SetStateSource(1, 1, 0, INT_MAX, INT_MIN, INT_MIN, INT_MAX);
    skin.MakeWork(14, 14);
    skin.Draw(c.dc(), 1, INT_MIN, INT_MAX);
    RECT clip{INT_MIN, 0, INT_MAX, 5};
    skin.DrawClipped(c.dc(), 1, &clip, INT_MAX, INT_MIN);
    RECT size{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    skin.DrawSprite(c.dc(), 1, 1, &clip, &size, INT_MIN, INT_MIN);
    EXPECT_EQ(c.surface().pixels.size(), 256u);
}

}  // namespace
