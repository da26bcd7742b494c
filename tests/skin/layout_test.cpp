#include <gtest/gtest.h>

#include <vector>

#include "platform/user/resources.h"
#include "skin/region_group.h"
#include "skin/skin_layout.h"
#include "tests/platform/gdi/bmp_builder.h"
#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/skin/test_skin.h"

using testskin::Tag;

namespace {

constexpr std::uint32_t kBlank = 0x00ABCDEF;

// Synthetic artwork of the real sizes; each pixel tells which bitmap and where it came from.
void RegisterArtwork() {
    static const bool done = [] {
        struct Art {
            UINT id;
            int index, w, h;
        };
        static std::vector<std::vector<std::uint8_t>> files;
        for (const Art& a : {Art{IDB_MAIN, 0, 640, 455}, Art{IDB_PANEL, 1, 294, 406}, Art{IDB_SHEET, 2, 473, 500}}) {
            testbmp::ImageLayout layout;
            layout.width = a.w;
            layout.height = a.h;
            layout.bits = 24;
            files.push_back(testbmp::Build(layout, [&](int x, int y) { return Tag(a.index, x, y); }));
            RegisterBitmapResource(a.id, files.back().data(), files.back().size());
        }
        return true;
    }();
    (void)done;
}

struct Row {
    int region;
    RECT dest;
    int normalBitmap;
    POINT normal;
    int selectedBitmap;  // -1: none
    POINT selected;
};

const Row kTable[] = {
    {1, {4, 50, 290, 442}, 1, {4, 7}, -1, {}},           {2, {23, 105, 61, 144}, 1, {20, 60}, 2, {5, 405}},
    {3, {72, 104, 110, 144}, 1, {69, 59}, 2, {46, 405}}, {4, {122, 104, 160, 144}, 1, {121, 59}, 2, {89, 406}},
    {5, {171, 104, 209, 144}, 1, {170, 59}, 2, {133, 406}}, {6, {220, 104, 258, 144}, 1, {220, 60}, 2, {427, 403}},
    {7, {21, 149, 102, 174}, 1, {20, 105}, 2, {328, 373}}, {8, {109, 151, 214, 169}, 1, {108, 107}, -1, {}},
    {9, {219, 150, 240, 170}, 1, {218, 107}, 2, {263, 450}}, {10, {241, 150, 262, 170}, 1, {240, 107}, 2, {290, 450}},
    {11, {31, 237, 68, 275}, 1, {31, 194}, 2, {178, 408}}, {12, {76, 237, 112, 275}, 1, {122, 194}, 2, {221, 408}},
    {13, {122, 237, 159, 275}, 1, {75, 194}, 2, {261, 406}}, {14, {167, 237, 204, 275}, 1, {166, 193}, 2, {7, 450}},
    {15, {212, 237, 249, 275}, 1, {211, 193}, 2, {48, 449}}, {16, {22, 331, 60, 371}, 1, {21, 287}, 2, {89, 449}},
    {17, {63, 331, 101, 371}, 1, {62, 286}, 2, {133, 448}}, {18, {108, 331, 146, 371}, 1, {107, 286}, 2, {218, 446}},
    {19, {149, 331, 187, 371}, 1, {150, 286}, 2, {432, 360}}, {20, {190, 331, 228, 371}, 1, {191, 286}, 2, {385, 403}},
    {21, {231, 331, 270, 371}, 1, {232, 286}, 2, {397, 448}}, {22, {72, 394, 133, 427}, 1, {73, 350}, 2, {306, 409}},
    {23, {150, 394, 211, 427}, 1, {151, 350}, 2, {325, 453}}, {24, {305, 51, 616, 443}, 2, {4, 5}, -1, {}},
    {25, {423, 76, 616, 99}, 2, {117, 30}, -1, {}},        {26, {423, 76, 614, 98}, 2, {118, 30}, -1, {}},
    {27, {559, 78, 613, 97}, 2, {332, 212}, -1, {}},       {28, {305, 99, 616, 412}, 2, {4, 53}, -1, {}},
    {29, {330, 126, 344, 140}, 2, {340, 247}, -1, {}},     {30, {330, 126, 344, 140}, 2, {372, 247}, -1, {}},
    {31, {540, 418, 610, 438}, 2, {238, 371}, -1, {}},     {32, {331, 184, 442, 205}, 2, {332, 184}, -1, {}},
    {33, {328, 31, 460, 55}, 2, {329, 32}, -1, {}},        {34, {330, 154, 458, 179}, 2, {331, 155}, -1, {}},
    {35, {329, 125, 456, 149}, 2, {330, 126}, -1, {}},     {36, {7, 7, 631, 43}, 0, {7, 7}, -1, {}},
    {37, {0, 0, 640, 455}, 0, {0, 0}, -1, {}},
};

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterArtwork();
        ASSERT_EQ(skin.Load(), 1);
        canvas.Fill([](int, int) { return kBlank; });
    }
    // Draws the region alone onto a blank window-sized canvas; the pixel at its top-left.
    std::uint32_t DrawnCorner(int region) {
        canvas.Fill([](int, int) { return kBlank; });
        skin.Draw(canvas.dc(), region, 0, 0);
        RECT r{};
        skin.GetRegionRect(region, &r);
        return canvas.at(r.left, r.top);
    }
    CSkinLayout skin;
    testgdi::MemDC canvas{640, 455};
};

TEST_F(Layout, EveryRegionsPlaceAndImages) {
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.region);
        RECT r{};
        ASSERT_EQ(skin.GetRegionRect(row.region, &r), 1);
        EXPECT_TRUE(EqualRect(&r, &row.dest)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(skin.GetState(row.region), 1);
        EXPECT_EQ(DrawnCorner(row.region), Tag(row.normalBitmap, row.normal.x, row.normal.y));
        skin.SetState(row.region, 0);
        const std::uint32_t selected = DrawnCorner(row.region);
        if (row.selectedBitmap < 0) {
            EXPECT_EQ(selected, kBlank) << "no selected image";
        } else {
            EXPECT_EQ(selected, Tag(row.selectedBitmap, row.selected.x, row.selected.y));
        }
        skin.SetState(row.region, 1);
    }
}

TEST_F(Layout, RegionZeroStaysHiddenAndTheWorkSurfaceFitsTheSprite) {
    EXPECT_EQ(skin.GetState(0), 4);
    skin.Draw(canvas.dc(), 0, 0, 0);
    for (int x = 0; x < 640; x += 7) EXPECT_FALSE(skin.HitTest(0, x, x % 455));
    BITMAP work{};
    ASSERT_EQ(GetObjectA(skin.m_hbmWork, sizeof(work), &work), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(work.bmWidth, 14);
    EXPECT_EQ(work.bmHeight, 14);
}

class Groups : public Layout {
protected:
    void SetUp() override {
        Layout::SetUp();
        int panelList[23];
        for (int i = 0; i < 23; ++i) panelList[i] = i + 1;
        const int padList[] = {24, 25, 26, 27, 28, 31};
        panel.Init(23, panelList, &skin, owner, 4, 50);
        pad.Init(6, padList, &skin, owner, 305, 51);
    }
    int dummy = 0;
    CWnd* owner = reinterpret_cast<CWnd*>(&dummy);
    CRegionGroup panel, pad;
};

TEST_F(Groups, HitTestsInWindowCoordinates) {
    int hit = -1;
    EXPECT_EQ(panel.HitTest(0, 0, &hit), 0) << "bare background";
    ASSERT_EQ(panel.HitTest(23 - 4, 105 - 50, &hit), 1);
    EXPECT_EQ(hit, 2);
    EXPECT_EQ(panel.HitTest(61 - 4, 105 - 50, &hit), 0) << "right edge of region 2";
    ASSERT_EQ(panel.HitTest(150 - 4, 400 - 50, &hit), 1);
    EXPECT_EQ(hit, 23);

    ASSERT_EQ(pad.HitTest(540 - 305, 418 - 51, &hit), 1);
    EXPECT_EQ(hit, 31) << "exit over the pad background";
    ASSERT_EQ(pad.HitTest(609 - 305, 437 - 51, &hit), 1);
    EXPECT_EQ(hit, 31);
    ASSERT_EQ(pad.HitTest(400 - 305, 200 - 51, &hit), 1);
    EXPECT_EQ(hit, 28);
    ASSERT_EQ(pad.HitTest(500 - 305, 90 - 51, &hit), 1);
    EXPECT_EQ(hit, 26) << "image slot lies over the indicator background";
    ASSERT_EQ(pad.HitTest(580 - 305, 85 - 51, &hit), 1);
    EXPECT_EQ(hit, 27) << "badge is the later entry";
    EXPECT_EQ(pad.HitTest(310 - 305, 60 - 51, &hit), 0) << "frame";
    EXPECT_EQ(pad.HitTest(310 - 305, 425 - 51, &hit), 0) << "frame below the room";
    EXPECT_TRUE(pad.HitTestRegion(0, 0, 24));
    EXPECT_TRUE(pad.HitTestRegion(540 - 305, 418 - 51, 31));
    EXPECT_FALSE(pad.HitTestRegion(0, 0, 99));
}

TEST_F(Groups, PaintDrawsTheListInTheWindowsCoordinates) {
    testgdi::MemDC window(311, 392);
    window.Fill([](int, int) { return kBlank; });
    ASSERT_EQ(pad.Paint(window.dc()), 1);
    EXPECT_EQ(window.at(0, 0), Tag(2, 4, 5));
    EXPECT_EQ(window.at(540 - 305, 418 - 51), Tag(2, 238, 371)) << "exit drawn last, on top";
    EXPECT_EQ(window.at(400 - 305, 200 - 51), Tag(2, 4 + 95, 53 + 101)) << "room view";
    EXPECT_EQ(pad.Paint(nullptr), 0);
    EXPECT_EQ(pad.DrawRegion(window.dc(), 29), 1);  // not in the list, drawn all the same
    EXPECT_EQ(window.at(330 - 305, 126 - 51), Tag(2, 340, 247));
}

TEST_F(Groups, SelectOneHighlightsOnlyTheChosen) {
    const int environments[] = {16, 17, 18, 19, 20, 21};
    testgdi::MemDC window(286, 392);
    panel.SelectOne(window.dc(), 6, 2, environments);
    for (int r : environments) EXPECT_EQ(skin.GetState(r), r == 18 ? 0 : 1) << r;
    EXPECT_EQ(window.at(108 - 4, 331 - 50), Tag(2, 218, 446)) << "redrawn at once";
    EXPECT_EQ(window.at(22 - 4, 331 - 50), Tag(1, 21, 287));
    for (int chosen : {-1, 6}) {
        panel.SelectOne(window.dc(), 6, chosen, environments);
        for (int r : environments) EXPECT_EQ(skin.GetState(r), 1) << chosen << " " << r;
    }
    panel.SelectOne(nullptr, 6, 0, environments);
    EXPECT_EQ(skin.GetState(16), 1) << "no DC: nothing changes";
}

TEST_F(Groups, StateAndRectanglesPassThrough) {
    pad.SetState(27, 4);
    EXPECT_EQ(skin.GetState(27), 4);
    ASSERT_EQ(pad.CopyStateSources(26, 33), 1);
    RECT r{450, 250, 464, 264};
    pad.SetRegionRect(29, r);  // skin coordinates, not converted
    RECT back{};
    ASSERT_EQ(pad.GetRegionRect(29, &back), 1);
    EXPECT_TRUE(EqualRect(&r, &back));
    EXPECT_EQ(pad.GetRegionRect(38, &back), 0);
    EXPECT_EQ(DrawnCorner(26), Tag(2, 329, 32));
}

TEST(RegionGroup, EmptyGroupDrawsAndHitsNothing) {
    CRegionGroup group;
    int dummy = 0;
    CWnd* owner = reinterpret_cast<CWnd*>(&dummy);
    CSkinLayout skin;
    const int list[] = {1, 2};
    testgdi::MemDC dc(4, 4);
    for (int count : {0, -5}) {
        group.Init(count, list, &skin, owner, 0, 0);
        int hit = 0;
        EXPECT_EQ(group.Paint(dc.dc()), 0);
        EXPECT_EQ(group.HitTest(0, 0, &hit), 0);
        EXPECT_EQ(group.m_nCount, 0);
    }
    group.Init(2, list, nullptr, owner, 0, 0);
    EXPECT_EQ(group.m_pSkin, nullptr);
    group.Init(2, list, &skin, nullptr, 0, 0);
    EXPECT_EQ(group.m_pSkin, nullptr);
    group.Init(2, nullptr, &skin, owner, 0, 0);
    EXPECT_EQ(group.Paint(dc.dc()), 0);
}

}  // namespace
