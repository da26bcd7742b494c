// The embedded files are well-formed BMPs of the sizes the skin expects, and the string
// table and dialog templates hold what the program looks up.
#include "platform/user/winuser.h"
#include "res/embedded.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "tests/res/bmp_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

const zor_res::EmbeddedFile& BitmapById(unsigned id) {
    std::size_t n = 0;
    const zor_res::EmbeddedFile* files = zor_res::Bitmaps(&n);
    for (std::size_t i = 0; i < n; ++i)
        if (files[i].id == id) return files[i];
    static const zor_res::EmbeddedFile none{0, nullptr, 0};
    return none;
}

TEST(EmbeddedBitmaps, AreEightBitPaletteImagesOfTheSkinSizes) {
    const std::map<unsigned, std::pair<int, int>> sizes{
        {IDB_PANEL, {294, 406}}, {IDB_SHEET, {473, 500}}, {IDB_MAIN, {640, 455}}};
    std::size_t n = 0;
    zor_res::Bitmaps(&n);
    EXPECT_EQ(n, sizes.size());
    for (const auto& [id, size] : sizes) {
        SCOPED_TRACE(id);
        const zor_res::EmbeddedFile& file = BitmapById(id);
        ASSERT_NE(file.data, nullptr);
        std::string error;
        const auto img = ReadBmp(file.data, file.size, &error);
        ASSERT_TRUE(img) << error;
        EXPECT_EQ(img->bitsPerPixel, 8);
        EXPECT_EQ(img->width, size.first);
        EXPECT_EQ(img->height, size.second);
        EXPECT_GT(img->palette.size(), 16u);
        // The loader swaps these three greys for system colours, which would repaint the art.
        for (const Rgb& c : img->palette)
            EXPECT_FALSE(c.r == c.g && c.g == c.b && (c.r == 128 || c.r == 192 || c.r == 223))
                << int(c.r) << " grey in the palette";
    }
}

TEST(EmbeddedBitmaps, IconIsATrueColourThirtyTwoSquare) {
    const zor_res::EmbeddedFile icon = zor_res::AppIcon();
    EXPECT_EQ(icon.id, IDI_MAINFRAME);
    std::string error;
    const auto img = ReadBmp(icon.data, icon.size, &error);
    ASSERT_TRUE(img) << error;
    EXPECT_EQ(img->width, 32);
    EXPECT_EQ(img->height, 32);
    EXPECT_GE(img->bitsPerPixel, 24);
    std::set<std::uint32_t> colours;
    for (const Rgb& c : img->pixels) colours.insert(c.r << 16 | c.g << 8 | c.b);
    EXPECT_GT(colours.size(), 20u) << "the icon is not a picture";
}

TEST(BmpReader, RejectsDamagedFiles) {
    const zor_res::EmbeddedFile& file = BitmapById(IDB_PANEL);
    std::string error;
    std::vector<std::uint8_t> copy(file.data, file.data + file.size);
    EXPECT_FALSE(ReadBmp(copy.data(), copy.size() - 1, &error));  // size field disagrees
    EXPECT_FALSE(ReadBmp(copy.data(), 20, &error));
    copy[0] = 'X';
    EXPECT_FALSE(ReadBmp(copy.data(), copy.size(), &error));
}

std::map<UINT, std::string> StringTable() {
    std::size_t n = 0;
    const zor_res::StringEntry* s = zor_res::Strings(&n);
    std::map<UINT, std::string> table;
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_TRUE(table.emplace(s[i].id, s[i].text ? s[i].text : "").second) << "id " << s[i].id << " twice";
    }
    return table;
}

TEST(StringTable, HoldsEveryTextTheProgramLoads) {
    const auto table = StringTable();
    for (UINT id : {101u, 104u, 148u, 106u, 107u, 108u, 109u, 110u, 111u, 112u, 113u, 114u, 115u, 124u, 128u,
                    142u, 147u, 143u, 131u}) {
        SCOPED_TRACE(id);
        const auto it = table.find(id);
        ASSERT_NE(it, table.end());
        EXPECT_FALSE(it->second.empty());
        // Load buffers of the program are 256 bytes.
        EXPECT_LT(it->second.size(), 256u);
    }
    EXPECT_NE(table.at(IDS_ABOUTBOX).find("Zor3DPlayer"), std::string::npos);
}

TEST(StringTable, ToolTipsNameDifferentButtons) {
    const auto table = StringTable();
    std::set<std::string> seen;
    for (UINT id : {106u, 107u, 108u, 109u, 110u, 111u, 112u, 113u, 114u, 115u, 124u, 128u, 142u, 147u, 143u, 131u})
        EXPECT_TRUE(seen.insert(table.at(id)).second) << "tool tip " << id << " repeats " << table.at(id);
}

TEST(DialogTemplates, AboutBoxAndMainDialog) {
    std::size_t n = 0;
    const zor_res::DialogEntry* d = zor_res::Dialogs(&n);
    std::map<UINT, DialogTemplate> dialogs;
    for (std::size_t i = 0; i < n; ++i) dialogs.emplace(d[i].id, d[i].tmpl);
    ASSERT_EQ(dialogs.count(IDD_ABOUTBOX), 1u);
    ASSERT_EQ(dialogs.count(IDD_MAIN), 1u);

    const DialogTemplate& about = dialogs.at(IDD_ABOUTBOX);
    EXPECT_STREQ(about.caption, "About Zor3DPlayer");
    ASSERT_NE(about.staticText, nullptr);
    EXPECT_GT(std::strlen(about.staticText), 20u);
    EXPECT_TRUE(about.okButton);

    const DialogTemplate& main = dialogs.at(IDD_MAIN);
    EXPECT_STREQ(main.caption, "Zor3DPlayer");
    EXPECT_EQ(main.width, 640);
    EXPECT_EQ(main.height, 455);
    EXPECT_STREQ(main.fontFace, "DejaVu Sans");
    EXPECT_EQ(main.pointSize, 9);
    EXPECT_EQ(main.style, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_FALSE(main.okButton);
}

}  // namespace
