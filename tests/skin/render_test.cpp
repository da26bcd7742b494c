// The whole skin with the program's own artwork, painted into a real top-level window of
// the layer and read back from the display host, against a model painted straight from the
// decoded bitmaps. Snapshots of both looks are left beside the test for a person to see.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host/null/null_host.h"
#include "platform/user/winuser.h"
#include "res/embedded.h"
#include "res/program_resources.h"
#include "skin/skin_layout.h"
#include "tests/res/bmp_image.h"
#include "tests/skin/skin_table.h"

using skintable::kTable;
using skintable::Row;

namespace {

constexpr int kWidth = 640, kHeight = 455;
constexpr int kSprite = 29, kMask = 30;
constexpr RECT kSpriteAt{453, 248, 467, 262};  // the listener's place in the room view
constexpr RECT kSpriteSize{0, 0, 14, 14};

// The order a full repaint uses: background, title, both panels' contents, pad on top.
constexpr std::array<int, 35> kPaintOrder{37, 36, 1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                          17, 18, 19, 20, 21, 22, 23, 24, 28, 25, 26, 27, 31, 32, 33, 34, 35};

CSkinLayout* g_skin = nullptr;

LRESULT SkinViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT || !g_skin) return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    for (int region : kPaintOrder) g_skin->Draw(dc, region, 0, 0);
    g_skin->DrawSprite(dc, kSprite, kMask, &kSpriteAt, &kSpriteSize, 0, 0);
    EndPaint(window, &ps);
    return 0;
}

HWND CreateSkinView() {
    static const bool registered = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = SkinViewProc;
        cls.lpszClassName = "SkinView";
        return RegisterClassA(&cls) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExA(0, "SkinView", "skin", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                           nullptr, nullptr);
}

std::uint32_t Rgb24(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// A bitmap as the layer shows it: the three dialog greys stand for the system's 3D colours.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture Decode(UINT id) {
    std::size_t n = 0;
    const zor_res::EmbeddedFile* files = zor_res::Bitmaps(&n);
    for (std::size_t i = 0; i < n; ++i) {
        if (files[i].id != id) continue;
        std::string error;
        const auto image = ReadBmp(files[i].data, files[i].size, &error);
        if (!image) break;
        Picture p{image->width, image->height, {}};
        for (const Rgb& c : image->pixels) {
            std::uint32_t v = (c.r << 16) | (c.g << 8) | c.b;
            if (v == 0x808080) v = Rgb24(GetSysColor(COLOR_3DSHADOW));
            if (v == 0xC0C0C0) v = Rgb24(GetSysColor(COLOR_3DFACE));
            if (v == 0xDFDFDF) v = Rgb24(GetSysColor(COLOR_3DLIGHT));
            p.pixels.push_back(v);
        }
        return p;
    }
    ADD_FAILURE() << "bitmap " << id << " is not embedded or does not decode";
    return {};
}

const Row* RowOf(int region) {
    for (const Row& row : kTable)
        if (row.region == region) return &row;
    return nullptr;
}

// The window as it should look, painted pixel by pixel from the decoded bitmaps.
class Model {
public:
    Model() : bitmaps_{Decode(IDB_MAIN), Decode(IDB_PANEL), Decode(IDB_SHEET)}, canvas_(kWidth * kHeight, 0) {}

    // A region without an image for the state leaves what lies beneath it.
    void Paint(int state) {
        for (int region : kPaintOrder) {
            const Row* row = RowOf(region);
            ASSERT_NE(row, nullptr) << region;
            const int bitmap = state == 1 ? row->normalBitmap : row->selectedBitmap;
            if (bitmap < 0) continue;
            const POINT from = state == 1 ? row->normal : row->selected;
            Copy(bitmaps_[bitmap], from, row->dest);
        }
        // The sprite keeps the background where its mask is white and shows itself where black.
        const Row* sprite = RowOf(kSprite);
        const Row* mask = RowOf(kMask);
        ASSERT_TRUE(sprite && mask);
        const Picture& sheet = bitmaps_[2];
        for (int y = kSpriteAt.top; y < kSpriteAt.bottom; ++y)
            for (int x = kSpriteAt.left; x < kSpriteAt.right; ++x) {
                const int dx = x - kSpriteAt.left, dy = y - kSpriteAt.top;
                const std::uint32_t m = sheet.At(mask->normal.x + dx, mask->normal.y + dy);
                const std::uint32_t s = sheet.At(sprite->normal.x + dx, sprite->normal.y + dy);
                std::uint32_t& d = canvas_[static_cast<std::size_t>(y) * kWidth + x];
                d = (d & m) | (s & ~m & 0xFFFFFFu);
            }
    }

    std::uint32_t At(int x, int y) const { return canvas_[static_cast<std::size_t>(y) * kWidth + x]; }

private:
    void Copy(const Picture& from, POINT corner, const RECT& dest) {
        for (int y = dest.top; y < dest.bottom; ++y)
            for (int x = dest.left; x < dest.right; ++x) {
                const int sx = corner.x + x - dest.left, sy = corner.y + y - dest.top;
                if (sx < 0 || sy < 0 || sx >= from.width || sy >= from.height) continue;
                canvas_[static_cast<std::size_t>(y) * kWidth + x] = from.At(sx, sy);
            }
    }

    std::array<Picture, 3> bitmaps_;
    std::vector<std::uint32_t> canvas_;
};

class SkinRender : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProgramResources();
        ASSERT_EQ(skin.Load(), 1);
        g_skin = &skin;
        window = CreateSkinView();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        g_skin = nullptr;
    }

    void ShowState(int state) {
        for (int region = 1; region <= 37; ++region) skin.SetState(region, state);
        InvalidateRect(window, nullptr, FALSE);
        host.PumpUntilIdle();
    }

    // Every pixel of the window against the model; the regions that differ are named.
    void ExpectWindowMatches(const Model& model, const std::string& snapshot) {
        int wrong = 0;
        std::ostringstream where;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (host.Pixel(window, x, y) == model.At(x, y)) continue;
                if (wrong++ < 5) where << " (" << x << "," << y << ")";
            }
        EXPECT_EQ(wrong, 0) << "pixels differ from the artwork, first at" << where.str();
        for (const Row& row : kTable) {
            const int cx = (row.dest.left + row.dest.right) / 2, cy = (row.dest.top + row.dest.bottom) / 2;
            EXPECT_EQ(host.Pixel(window, cx, cy), model.At(cx, cy)) << "centre of region " << row.region;
        }
        EXPECT_TRUE(host.SavePng(window, snapshot));
    }

    null_host::NullHost host;
    CSkinLayout skin;
    HWND window = nullptr;
};

TEST_F(SkinRender, NormalThenSelectedLookMatchesTheArtworkEverywhere) {
    Model model;
    ShowState(1);
    model.Paint(1);
    ExpectWindowMatches(model, "skin_normal.png");

    // The selected look is drawn over the normal one, as a highlight is in the program.
    ShowState(0);
    model.Paint(0);
    ExpectWindowMatches(model, "skin_selected.png");
}

}  // namespace
