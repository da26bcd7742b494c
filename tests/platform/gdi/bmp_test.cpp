#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/surface.h"
#include "tests/platform/gdi/bmp_builder.h"

namespace {

struct Decoded {
    explicit Decoded(const std::vector<std::uint8_t>& file, bool map = false)
        : bitmap(gdi::CreateBitmapFromBmp(file.data(), file.size(), map)) {}
    ~Decoded() { DeleteObject(bitmap); }
    std::uint32_t at(int x, int y) const {
        auto s = gdi::SurfaceOfBitmap(bitmap);
        return s->pixels[static_cast<std::size_t>(y) * s->width + x];
    }
    HBITMAP bitmap;
};

std::vector<std::uint32_t> Greys(int n) {
    std::vector<std::uint32_t> p;
    for (int i = 0; i < n; ++i) p.push_back(0x00010203u * static_cast<std::uint32_t>(i) + 0x00100000u);
    return p;
}

TEST(BmpDecode, EveryDepthAndRowOrder) {
    // Odd widths so that every depth needs row padding.
    for (int bits : {1, 4, 8, 24, 32})
        for (bool topDown : {false, true}) {
            testbmp::ImageLayout layout;
            layout.width = 5;
            layout.height = 3;
            layout.bits = bits;
            layout.topDown = topDown;
            const int colours = bits <= 8 ? (1 << bits) : 0;
            layout.palette = Greys(colours);
            auto value = [&](int x, int y) -> std::uint32_t {
                if (bits <= 8) return static_cast<std::uint32_t>(x + 2 * y) % colours;
                return static_cast<std::uint32_t>(0x00102030 * (x + 1) + 0x00050607 * y) & 0xFFFFFF;
            };
            Decoded d(testbmp::Build(layout, value));
            ASSERT_NE(d.bitmap, nullptr) << bits << " " << topDown;
            BITMAP info{};
            GetObjectA(d.bitmap, sizeof(info), &info);
            EXPECT_EQ(info.bmWidth, 5);
            EXPECT_EQ(info.bmHeight, 3);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const std::uint32_t want = bits <= 8 ? layout.palette[value(x, y)] : value(x, y);
                    EXPECT_EQ(d.at(x, y), want) << bits << " " << topDown << " " << x << "," << y;
                }
        }
}

TEST(BmpDecode, Map3DColoursReplacesTheThreeGreysOnly) {
    testbmp::ImageLayout layout;
    layout.width = 4;
    layout.bits = 8;
    layout.palette = {0x808080, 0xC0C0C0, 0xDFDFDF, 0x818181};
    auto file = testbmp::Build(layout, [](int x, int) { return static_cast<std::uint32_t>(x); });
    auto rgb = [](COLORREF c) {
        return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    };
    Decoded mapped(file, true);
    EXPECT_EQ(mapped.at(0, 0), rgb(GetSysColor(COLOR_3DSHADOW)));
    EXPECT_EQ(mapped.at(1, 0), rgb(GetSysColor(COLOR_3DFACE)));
    EXPECT_EQ(mapped.at(2, 0), rgb(GetSysColor(COLOR_3DLIGHT)));
    EXPECT_EQ(mapped.at(3, 0), 0x818181u);
    EXPECT_NE(mapped.at(1, 0), 0xC0C0C0u);
    Decoded plain(file, false);
    EXPECT_EQ(plain.at(1, 0), 0xC0C0C0u);

    // True-colour images have no palette to map: their pixels are mapped one by one.
    layout.bits = 24;
    layout.palette.clear();
    const std::uint32_t colours[] = {0x808080, 0xC0C0C0, 0xDFDFDF, 0x818181};
    Decoded deep(testbmp::Build(layout, [&](int x, int) { return colours[x]; }), true);
    EXPECT_EQ(deep.at(1, 0), rgb(GetSysColor(COLOR_3DFACE)));
    EXPECT_EQ(deep.at(3, 0), 0x818181u);
}

TEST(BmpDecode, IndicesPastAShortPaletteAreBlack) {
    testbmp::ImageLayout layout;
    layout.width = 3;
    layout.bits = 8;
    layout.palette = {0x00FF0000, 0x0000FF00};
    Decoded d(testbmp::Build(layout, [](int x, int) { return static_cast<std::uint32_t>(x * 100); }));
    ASSERT_NE(d.bitmap, nullptr);
    EXPECT_EQ(d.at(0, 0), 0x00FF0000u);
    EXPECT_EQ(d.at(1, 0), 0u);
    EXPECT_EQ(d.at(2, 0), 0u);
}

void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}

TEST(BmpDecode, MalformedImagesAreRefused) {
    testbmp::ImageLayout layout;
    layout.width = 6;
    layout.height = 4;
    layout.bits = 8;
    layout.palette = Greys(256);
    const auto good = testbmp::Build(layout, [](int x, int y) { return static_cast<std::uint32_t>(x * y); });
    ASSERT_NE(Decoded(good).bitmap, nullptr);
    const int before = gdi::LiveBitmapCount();

    auto refused = [&](std::vector<std::uint8_t> bad, const char* why) {
        EXPECT_EQ(gdi::CreateBitmapFromBmp(bad.data(), bad.size(), true), nullptr) << why;
    };
    auto edit = [&](std::size_t at, std::uint32_t value) {
        auto v = good;
        Put32(v, at, value);
        return v;
    };
    refused(edit(0, 0x00004D41), "signature");
    refused(edit(14, 12), "header size");
    refused(edit(14, 0xFFFFFFF0u), "header larger than file");
    refused(edit(18, 0), "zero width");
    refused(edit(18, 0x80000000u), "negative width");
    refused(edit(22, 0), "zero height");
    refused(edit(22, 0x80000000u), "most negative height");
    refused(edit(18, 100000), "huge width");
    refused(edit(26, 2 | (8u << 16)), "planes");
    refused(edit(26, 1 | (7u << 16)), "bit count");
    refused(edit(30, 1), "run-length compression");
    refused(edit(46, 257), "palette larger than the depth allows");
    refused(edit(10, 0xFFFFFFF0u), "pixel offset past the end");
    refused(edit(10, 4), "pixel offset inside the headers");
    refused(std::vector<std::uint8_t>(good.begin(), good.end() - 1), "one byte short");
    for (std::size_t n = 0; n < 54 + 1024; n += 7) refused(std::vector<std::uint8_t>(good.begin(), good.begin() + n), "cut");
    EXPECT_EQ(gdi::CreateBitmapFromBmp(nullptr, 100, false), nullptr);
    EXPECT_EQ(gdi::LiveBitmapCount(), before);

    // Every single-byte corruption of the headers either decodes or is refused; neither
    // may read outside the data (checked under the address sanitizer).
    for (std::size_t at = 0; at < 54; ++at)
        for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            auto v = good;
            v[at] = value;
            std::vector<std::uint8_t> exact(v);  // exactly sized copy
            DeleteObject(gdi::CreateBitmapFromBmp(exact.data(), exact.size(), true));
        }
    EXPECT_EQ(gdi::LiveBitmapCount(), before);
}

}  // namespace
