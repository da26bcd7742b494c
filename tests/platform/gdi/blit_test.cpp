#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/platform/gdi/gdi_test_util.h"

using testgdi::MemDC;

namespace {

std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>((y * 16 + x) * 0x010203) & 0xFFFFFF; }

TEST(BitBlt, RasterOperationsCombineSourceAndDestination) {
    MemDC src(2, 1), dst(2, 1);
    const std::uint32_t s[2] = {0x00F0F0F0, 0x000F00FF};
    const std::uint32_t d[2] = {0x00FF00FF, 0x00AAAAAA};
    struct Case {
        DWORD rop;
        std::uint32_t (*f)(std::uint32_t, std::uint32_t);
    } cases[] = {
        {SRCCOPY, [](std::uint32_t, std::uint32_t b) { return b; }},
        {SRCAND, [](std::uint32_t a, std::uint32_t b) { return a & b; }},
        {SRCPAINT, [](std::uint32_t a, std::uint32_t b) { return a | b; }},
        {SRCINVERT, [](std::uint32_t a, std::uint32_t b) { return a ^ b; }},
        {DSna, [](std::uint32_t a, std::uint32_t b) { return a & ~b & 0xFFFFFFu; }},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 2; ++i) src.at(i, 0) = s[i], dst.at(i, 0) = d[i];
        ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, c.rop));
        for (int i = 0; i < 2; ++i) EXPECT_EQ(dst.at(i, 0), c.f(d[i], s[i])) << std::hex << c.rop;
    }
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 0x00BB0226));  // not supported
}

// The sprite composition: sprite, mask black where opaque; result keeps the background
// only where the mask is white.
TEST(BitBlt, MaskedSpriteComposition) {
    MemDC sprite(2, 1), mask(2, 1), work(2, 1), room(2, 1);
    sprite.at(0, 0) = 0x00123456;
    sprite.at(1, 0) = 0x00ABCDEF;
    mask.at(0, 0) = 0x00000000;  // opaque
    mask.at(1, 0) = 0x00FFFFFF;  // transparent
    room.at(0, 0) = room.at(1, 0) = 0x00336699;
    BitBlt(work.dc(), 0, 0, 2, 1, sprite.dc(), 0, 0, SRCCOPY);
    BitBlt(work.dc(), 0, 0, 2, 1, mask.dc(), 0, 0, DSna);
    EXPECT_EQ(work.at(0, 0), 0x00123456u);
    EXPECT_EQ(work.at(1, 0), 0u);
    BitBlt(room.dc(), 0, 0, 2, 1, mask.dc(), 0, 0, SRCAND);
    BitBlt(room.dc(), 0, 0, 2, 1, work.dc(), 0, 0, SRCPAINT);
    EXPECT_EQ(room.at(0, 0), 0x00123456u);
    EXPECT_EQ(room.at(1, 0), 0x00336699u);
}

TEST(BitBlt, ClipsToDestinationAndSkipsMissingSource) {
    MemDC src(4, 4), dst(4, 4);
    src.Fill(Pattern);
    dst.Fill([](int, int) { return 0x00777777u; });
    // Destination partly off the left/top; source partly off its right edge.
    ASSERT_TRUE(BitBlt(dst.dc(), -1, -1, 4, 4, src.dc(), 1, 1, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int sx = x + 2, sy = y + 2;  // source pixel landing at (x, y)
            const bool written = x < 3 && y < 3 && sx < 4 && sy < 4;
            EXPECT_EQ(dst.at(x, y), written ? Pattern(sx, sy) : 0x00777777u) << x << "," << y;
        }
}

TEST(BitBlt, HostileRectanglesNeverTouchOutside) {
    MemDC src(8, 8), dst(8, 8);
    src.Fill(Pattern);
    const int values[] = {INT_MIN, INT_MIN + 1, -1000000, -9, -1, 0, 1, 7, 8, 1000000, INT_MAX - 1, INT_MAX};
    for (int a : values)
        for (int b : values)
            for (int c : values) {
                BitBlt(dst.dc(), a, b, c, c, src.dc(), b, a, SRCCOPY);
                BitBlt(dst.dc(), a, a, b, c, src.dc(), c, b, SRCPAINT);
                StretchBlt(dst.dc(), a, b, c, b, src.dc(), c, a, b, c, SRCCOPY);
                StretchBlt(dst.dc(), b, a, c, c, src.dc(), a, b, c, a, SRCAND);
            }
    // Whatever landed, it came from the source; the surfaces kept their size.
    EXPECT_EQ(dst.surface().pixels.size(), 64u);
    EXPECT_EQ(GetPixel(dst.dc(), 8, 0), CLR_INVALID);
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, -1, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_FALSE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, -4, 4, SRCCOPY));
}

// Every operation within one surface must read the source as it was before the call,
// whichever direction the areas overlap in.
TEST(BitBlt, OverlapWithinOneSurfaceReadsTheOriginal) {
    for (DWORD rop : {SRCCOPY, SRCINVERT, DSna})
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                MemDC m(8, 8);
                m.Fill(Pattern);
                const std::vector<std::uint32_t> before(m.surface().pixels.begin(), m.surface().pixels.end());
                ASSERT_TRUE(BitBlt(m.dc(), 2 + dx, 2 + dy, 4, 4, m.dc(), 2, 2, rop));
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x) {
                        const std::uint32_t s = before[(2 + y) * 8 + 2 + x];
                        const std::uint32_t d = before[(2 + dy + y) * 8 + 2 + dx + x];
                        const std::uint32_t want = rop == SRCCOPY ? s : rop == SRCINVERT ? (d ^ s) : (d & ~s & 0xFFFFFFu);
                        EXPECT_EQ(m.at(2 + dx + x, 2 + dy + y), want) << std::hex << rop << std::dec << " " << dx << "," << dy;
                    }
            }
}

TEST(StretchBlt, NearestNeighbourScaling) {
    MemDC src(2, 2), dst(4, 6);
    src.Fill(Pattern);
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 6, src.dc(), 0, 0, 2, 2, SRCCOPY));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.at(x, y), Pattern(x / 2, y / 3));
    // Shrinking samples the pixel under each destination centre.
    MemDC big(4, 4), small(2, 2);
    big.Fill(Pattern);
    ASSERT_TRUE(StretchBlt(small.dc(), 0, 0, 2, 2, big.dc(), 0, 0, 4, 4, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(small.at(x, y), Pattern(2 * x + 1, 2 * y + 1));
}

TEST(StretchBlt, OneToOneMatchesBitBltForEveryOperation) {
    for (DWORD rop : {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, DSna}) {
        MemDC src(9, 7), a(9, 7), b(9, 7);
        src.Fill(Pattern);
        a.Fill([](int x, int y) { return Pattern(y, x) ^ 0x00F0F0F0u; });
        b.Fill([](int x, int y) { return Pattern(y, x) ^ 0x00F0F0F0u; });
        BitBlt(a.dc(), -2, 1, 8, 8, src.dc(), 3, -1, rop);
        StretchBlt(b.dc(), -2, 1, 8, 8, src.dc(), 3, -1, 8, 8, rop);
        EXPECT_EQ(a.surface().pixels, b.surface().pixels) << std::hex << rop;
    }
}

TEST(StretchBlt, OverlapReadsTheOriginalSource) {
    MemDC m(8, 8);
    m.Fill(Pattern);
    ASSERT_TRUE(StretchBlt(m.dc(), 0, 0, 8, 8, m.dc(), 2, 2, 4, 4, SRCCOPY));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(m.at(x, y), Pattern(2 + x / 2, 2 + y / 2));
}

TEST(SurfaceDC, OriginClipAndDirtyRectangles) {
    auto surface = std::make_shared<gdi::Surface>(20, 10);
    std::vector<RECT> dirty;
    HDC dc = gdi::CreateSurfaceDC(surface, POINT{5, 2}, RECT{5, 2, 12, 8}, [&](const RECT& r) { dirty.push_back(r); });
    // Only the clip holds `colour`; the rest of the surface is untouched.
    auto expectOnlyClip = [&](std::uint32_t colour) {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= 5 && x < 12 && y >= 2 && y < 8;
                EXPECT_EQ(surface->pixels[y * 20 + x], inside ? colour : 0u) << x << "," << y;
            }
    };
    MemDC src(30, 30);
    src.Fill([](int, int) { return 0x00FFFFFFu; });
    ASSERT_TRUE(BitBlt(dc, -3, -3, 30, 30, src.dc(), 0, 0, SRCCOPY));
    expectOnlyClip(0x00FFFFFFu);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_TRUE(EqualRect(&dirty[0], std::vector<RECT>{{5, 2, 12, 8}}.data()));

    // Reading a window DC goes through its origin; pixels outside its clip do not exist.
    EXPECT_EQ(SetPixel(dc, 1, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(surface->pixels[3 * 20 + 6], 0x00010203u);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 7, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc, -1, 0, RGB(9, 9, 9)), CLR_INVALID);
    ASSERT_EQ(dirty.size(), 2u);
    RECT pixel{6, 3, 7, 4};
    EXPECT_TRUE(EqualRect(&dirty[1], &pixel));

    // Nothing drawn, nothing reported.
    BitBlt(dc, 100, 100, 5, 5, src.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(dirty.size(), 2u);

    // A fill, even of the widest rectangle there is, stays inside the clip.
    RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    ASSERT_EQ(FillRect(dc, &huge, GetSysColorBrush(COLOR_3DFACE)), 1);
    expectOnlyClip(0x00D6D8DEu);
    ASSERT_EQ(dirty.size(), 3u);
    EXPECT_TRUE(EqualRect(&dirty[2], std::vector<RECT>{{5, 2, 12, 8}}.data()));
    RECT one{0, 0, 1, 1};
    ASSERT_EQ(FillRect(dc, &one, GetSysColorBrush(COLOR_WINDOW)), 1);
    EXPECT_EQ(surface->pixels[2 * 20 + 5], 0x00FFFFFFu) << "through the origin";
    EXPECT_EQ(FillRect(dc, nullptr, GetSysColorBrush(COLOR_WINDOW)), 0);
    EXPECT_EQ(FillRect(dc, &one, nullptr), 0);
    EXPECT_EQ(GetSysColorBrush(-1), nullptr);
    // A colour the program sets is its brush's from then on; a bad element sets nothing.
    const int elements[] = {COLOR_WINDOW, 99};
    const COLORREF colours[] = {RGB(13, 17, 24), RGB(255, 255, 255)};
    EXPECT_FALSE(SetSysColors(2, elements, colours));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), colours[1]);
    ASSERT_TRUE(SetSysColors(1, elements, colours) && FillRect(dc, &one, GetSysColorBrush(COLOR_WINDOW)));
    EXPECT_EQ(surface->pixels[2 * 20 + 5], 0x000D1118u);
    SetSysColors(1, elements, colours + 1);
    DeleteDC(dc);
    EXPECT_EQ(FillRect(dc, &one, GetSysColorBrush(COLOR_WINDOW)), 0) << "a deleted DC";
}

}  // namespace
