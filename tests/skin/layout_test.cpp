#include <gtest/gtest.h>

#include <vector>

#include "platform/user/resources.h"
#include "platform/user/winuser.h"
#include "skin/region_group.h"
#include "skin/skin_layout.h"
#include "tests/platform/gdi/bmp_builder.h"
#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/skin/skin_table.h"
#include "tests/skin/test_skin.h"

using skintable::kTable;
using skintable::Row;
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

// The bitmaps the program decodes ahead, while the toolkit starts, are the ones it would
// have loaded: the same images in the same places, and each skin gets its own.
TEST(SkinLoad, BitmapsDecodedAheadDrawTheSameAsOnesDecodedOnLoad) {
    RegisterArtwork();
    DecodeBitmapResourcesAhead(LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS);
    CSkinLayout ahead;
    CSkinLayout onLoad;
    ASSERT_EQ(ahead.Load(), 1);
    ASSERT_EQ(onLoad.Load(), 1);
    testgdi::MemDC first{640, 455};
    testgdi::MemDC second{640, 455};
    for (const Row& row : kTable) {
        first.Fill([](int, int) { return kBlank; });
        second.Fill([](int, int) { return kBlank; });
        ahead.Draw(first.dc(), row.region, 0, 0);
        onLoad.Draw(second.dc(), row.region, 0, 0);
        ASSERT_EQ(first.surface().pixels, second.surface().pixels) << "region " << row.region;
    }
    for (int i = 0; i < 3; ++i) EXPECT_NE(ahead.m_phbmBitmap[i], onLoad.m_phbmBitmap[i]) << "bitmap " << i;
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
