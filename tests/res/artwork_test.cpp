// The artwork reads as the skin uses it: an exact sprite mask, clearly lit selected
// buttons, a listener in the middle of the room, no ghost edges around the buttons, and a
// distinct picture per speaker configuration that keeps the pad's frame whole.
#include "res/embedded.h"
#include "res/resource_ids.h"
#include "tests/res/bmp_image.h"
#include "tests/res/skin_places.h"

#include <gtest/gtest.h>

#include <map>
#include <queue>
#include <string>

namespace {

const BmpImage& Bitmap(unsigned id) {
    static std::map<unsigned, BmpImage> cache;
    auto it = cache.find(id);
    if (it == cache.end()) {
        std::size_t n = 0;
        const zor_res::EmbeddedFile* files = zor_res::Bitmaps(&n);
        for (std::size_t i = 0; i < n; ++i)
            if (files[i].id == id) {
                std::string error;
                auto img = ReadBmp(files[i].data, files[i].size, &error);
                EXPECT_TRUE(img) << error;
                it = cache.emplace(id, img ? *img : BmpImage{}).first;
            }
    }
    return it->second;
}

bool IsBlack(Rgb c) { return c == Rgb{0, 0, 0}; }
bool IsWhite(Rgb c) { return c == Rgb{255, 255, 255}; }
int Luma(Rgb c) { return (c.r * 3 + c.g * 6 + c.b) / 10; }

constexpr int kSpriteX = 340, kSpriteY = 247, kMaskX = 372, kMaskY = 247, kSpriteSize = 14;

TEST(SpriteMask, IsPureBlackAndWhiteWithOneRoundBlob) {
    const BmpImage& sheet = Bitmap(IDB_SHEET);
    ASSERT_EQ(sheet.width, 473);
    int black = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < kSpriteSize; ++y)
        for (int x = 0; x < kSpriteSize; ++x) {
            const Rgb c = sheet.At(kMaskX + x, kMaskY + y);
            ASSERT_TRUE(IsBlack(c) || IsWhite(c)) << "grey mask pixel at " << x << "," << y;
            if (IsBlack(c)) {
                ++black;
                if (firstX < 0) firstX = x, firstY = y;
            }
        }
    // The corners are transparent and the centre opaque: a blob, not a square.
    EXPECT_TRUE(IsWhite(sheet.At(kMaskX, kMaskY)));
    EXPECT_TRUE(IsWhite(sheet.At(kMaskX + 13, kMaskY + 13)));
    EXPECT_TRUE(IsBlack(sheet.At(kMaskX + 7, kMaskY + 7)));
    EXPECT_GT(black, kSpriteSize * kSpriteSize / 2);
    EXPECT_LT(black, kSpriteSize * kSpriteSize);

    // All black pixels are one 4-connected piece.
    std::vector<bool> seen(kSpriteSize * kSpriteSize, false);
    std::queue<std::pair<int, int>> todo;
    todo.push({firstX, firstY});
    seen[firstY * kSpriteSize + firstX] = true;
    int reached = 0;
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop();
        ++reached;
        const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            if (nx < 0 || ny < 0 || nx >= kSpriteSize || ny >= kSpriteSize) continue;
            if (seen[ny * kSpriteSize + nx] || !IsBlack(sheet.At(kMaskX + nx, kMaskY + ny))) continue;
            seen[ny * kSpriteSize + nx] = true;
            todo.push({nx, ny});
        }
    }
    EXPECT_EQ(reached, black) << "the mask has holes or islands";
}

TEST(SpriteMask, CoversExactlyTheLitPartOfTheSprite) {
    const BmpImage& sheet = Bitmap(IDB_SHEET);
    for (int y = 0; y < kSpriteSize; ++y)
        for (int x = 0; x < kSpriteSize; ++x) {
            const Rgb sprite = sheet.At(kSpriteX + x, kSpriteY + y);
            if (IsBlack(sheet.At(kMaskX + x, kMaskY + y))) {
                EXPECT_GT(Luma(sprite), 60) << "dark opaque sprite pixel at " << x << "," << y;
            }
        }
}

TEST(Buttons, SelectedLookDiffersClearlyFromNormal) {
    const BmpImage& panel = Bitmap(IDB_PANEL);
    const BmpImage& sheet = Bitmap(IDB_SHEET);
    ASSERT_EQ(panel.width, 294);
    for (const Place& p : kPanelPlaces) {
        if (p.selectedX < 0) continue;
        SCOPED_TRACE(p.region);
        // The selected picture must fit in the sheet with the destination's size.
        ASSERT_LE(p.selectedX + p.Width(), sheet.width);
        ASSERT_LE(p.selectedY + p.Height(), sheet.height);
        const double diff =
            MeanDifference(panel, p.normalX, p.normalY, sheet, p.selectedX, p.selectedY, p.Width(), p.Height());
        EXPECT_GT(diff, 12.0);
    }
}

TEST(Buttons, NormalLooksAreDistinctPictures) {
    const BmpImage& panel = Bitmap(IDB_PANEL);
    for (std::size_t i = 0; i < kPanelPlaces.size(); ++i)
        for (std::size_t j = i + 1; j < kPanelPlaces.size(); ++j) {
            const Place& a = kPanelPlaces[i];
            const Place& b = kPanelPlaces[j];
            if (a.Width() != b.Width() || a.Height() != b.Height()) continue;
            EXPECT_GT(MeanDifference(panel, a.normalX, a.normalY, panel, b.normalX, b.normalY, a.Width(), a.Height()), 3.0)
                << "regions " << a.region << " and " << b.region << " look the same";
        }
}

// Region 1 shows the whole panel, so each button's picture also appears in the background,
// a few pixels away from where the button draws it. Around every button the background
// must show only plain panel surface, or a faint copy of the button peeks out.
TEST(Buttons, BackgroundAroundEachButtonIsPlain) {
    const BmpImage& panel = Bitmap(IDB_PANEL);
    auto inSomeButton = [](int x, int y) {
        for (const Place& p : kPanelPlaces)
            if (x >= p.left && x < p.right && y >= p.top && y < p.bottom) return true;
        return false;
    };
    auto background = [&](int sx, int sy) {
        return panel.At(sx - kPanelLeft + kPanelSourceX, sy - kPanelTop + kPanelSourceY);
    };
    const Rgb surface = background(kPanelLeft + 10, 296 + 43);  // between two rows
    for (const Place& p : kPanelPlaces) {
        for (int y = p.top - 2; y < p.bottom + 2; ++y)
            for (int x = p.left - 2; x < p.right + 2; ++x) {
                if (inSomeButton(x, y)) continue;
                EXPECT_EQ(background(x, y), surface)
                    << "region " << p.region << ": background shows button art at " << x << "," << y;
            }
    }
}

TEST(RoomView, ListenerSitsInTheMiddle) {
    const BmpImage& sheet = Bitmap(IDB_SHEET);
    // Region 28 shows the sheet from (4, 53), 311 x 313.
    const int cx = 4 + 311 / 2, cy = 53 + 313 / 2;
    const Rgb floor = sheet.At(4 + 40, 53 + 60);
    const Rgb centre = sheet.At(cx, cy);
    EXPECT_GT(std::abs(Luma(centre) - Luma(floor)), 60) << "no listener at the centre";
    // And it is small: well away from the centre the floor shows again.
    EXPECT_LT(std::abs(Luma(sheet.At(cx + 40, cy + 40)) - Luma(floor)), 25);
}

TEST(SpeakerIndicator, EachConfigurationHasItsOwnPicture) {
    const BmpImage& sheet = Bitmap(IDB_SHEET);
    struct Image { int x, y, w; };
    // Sources of regions 32..35 with their destination widths; the indicator shows 22 rows.
    const Image images[] = {{332, 184, 111}, {329, 32, 132}, {331, 155, 128}, {330, 126, 127}};
    const int rows = 22;
    // The empty band as region 25 shows it.
    for (const Image& a : images) {
        EXPECT_GT(MeanDifference(sheet, a.x, a.y, sheet, 117, 30, 100, rows), 2.0) << "blank picture at " << a.y;
        for (const Image& b : images)
            if (&a != &b) {
                EXPECT_GT(MeanDifference(sheet, a.x, a.y, sheet, b.x, b.y, 100, rows), 4.0);
            }
    }
    // The badge is a picture on the band too.
    EXPECT_GT(MeanDifference(sheet, 332, 212, sheet, 117, 32, 54, 19), 8.0);
    // The band and the room view reach the pad's edges (screen columns 305 and 615): the
    // pad's frame runs on through them, and through region 25's copy of the band.
    const Rgb frame = sheet.At(4 + 310, 5 + 20);
    for (int y = 30; y < 53 + 313; ++y) {
        EXPECT_EQ(sheet.At(4 + 615 - 305, y), frame) << "the right frame is cut at row " << y;
        EXPECT_EQ(sheet.At(y < 53 ? 117 + 615 - 423 : 4, y), frame) << "region 25 or the room cuts it at row " << y;
    }
}

}  // namespace
