#include <gtest/gtest.h>

#include "platform/gdi/surface.h"

namespace {

TEST(GdiObjects, SelectionAndReleaseBalance) {
    const int dcs = gdi::LiveDCCount(), bitmaps = gdi::LiveBitmapCount();
    HDC screen = gdi::CreateScreenDC();
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
    ASSERT_TRUE(dc && bitmap);
    EXPECT_EQ(gdi::LiveDCCount(), dcs + 2);
    EXPECT_EQ(gdi::LiveBitmapCount(), bitmaps + 1);

    // A new memory DC draws the 1 x 1 default image.
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), CLR_INVALID);

    HGDIOBJ old = SelectObject(dc, bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(gdi::SurfaceOfDC(dc), gdi::SurfaceOfBitmap(bitmap));
    EXPECT_EQ(SetPixel(dc, 2, 1, RGB(10, 20, 30)), RGB(10, 20, 30));
    EXPECT_EQ(gdi::SurfaceOfBitmap(bitmap)->pixels[5], 0x000A141Eu);

    // One DC at a time; a selected bitmap cannot be deleted.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(dc, old), bitmap);
    EXPECT_NE(SelectObject(other, bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(other));  // releases the selection
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));  // stale handle
    EXPECT_EQ(gdi::SurfaceOfBitmap(bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_TRUE(DeleteDC(screen));

    EXPECT_EQ(gdi::LiveDCCount(), dcs);
    EXPECT_EQ(gdi::LiveBitmapCount(), bitmaps);
}

TEST(GdiObjects, StaleAndForeignHandlesAreRefused) {
    int local = 0;
    HDC fake = reinterpret_cast<HDC>(&local);
    EXPECT_FALSE(BitBlt(fake, 0, 0, 1, 1, fake, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(fake, 0, 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(fake, &local), nullptr);
    EXPECT_FALSE(DeleteObject(&local));
    EXPECT_EQ(GetObjectA(&local, sizeof(BITMAP), nullptr), 0);
    // Objects that are not bitmaps are passed through by a memory DC.
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, &local), &local);
    DeleteDC(dc);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, -1, 5), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 1 << 20, 1 << 20), nullptr);
}

TEST(GdiObjects, GetObjectDescribesBitmaps) {
    HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 14, 9);
    BITMAP info{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info), nullptr), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info) - 1, &info), 0);
    ASSERT_EQ(GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 14);
    EXPECT_EQ(info.bmHeight, 9);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidthBytes, 56);
    DeleteObject(bitmap);
}

TEST(Rect, PlatformSemantics) {
    RECT a, b, r;
    SetRect(&a, 0, 0, 10, 10);
    SetRect(&b, 5, 5, 15, 15);
    ASSERT_TRUE(IntersectRect(&r, &a, &b));
    RECT want{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&r, &want));

    // Touching edges do not overlap: right and bottom are exclusive.
    SetRect(&b, 10, 0, 20, 10);
    r = {1, 2, 3, 4};
    EXPECT_FALSE(IntersectRect(&r, &a, &b));
    RECT zero{0, 0, 0, 0};
    EXPECT_TRUE(EqualRect(&r, &zero));

    // Union ignores empty rectangles wherever they are.
    RECT empty{100, 100, 100, 200};
    ASSERT_TRUE(UnionRect(&r, &a, &empty));
    EXPECT_TRUE(EqualRect(&r, &a));
    ASSERT_TRUE(UnionRect(&r, &empty, &b));
    EXPECT_TRUE(EqualRect(&r, &b));
    ASSERT_TRUE(UnionRect(&r, &a, &b));
    RECT both{0, 0, 20, 10};
    EXPECT_TRUE(EqualRect(&r, &both));
    EXPECT_FALSE(UnionRect(&r, &empty, &empty));
    EXPECT_TRUE(EqualRect(&r, &zero));

    EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
    EXPECT_FALSE(PtInRect(&a, POINT{5, 10}));
    RECT inverted{10, 10, 0, 0};
    EXPECT_TRUE(IsRectEmpty(&inverted));
    EXPECT_FALSE(IntersectRect(&r, &inverted, &a));

    OffsetRect(&a, -3, 4);
    RECT moved{-3, 4, 7, 14};
    EXPECT_TRUE(EqualRect(&a, &moved));
    InflateRect(&a, 2, -1);
    RECT grown{-5, 5, 9, 13};
    EXPECT_TRUE(EqualRect(&a, &grown));
    SetRectEmpty(&a);
    EXPECT_TRUE(IsRectEmpty(&a));
    CopyRect(&a, &b);
    EXPECT_TRUE(EqualRect(&a, &b));
    EXPECT_FALSE(EqualRect(&a, nullptr));
}

}  // namespace
