// Device contexts over 32-bit surfaces, bitmaps, block transfers and rectangle helpers.
// Pixels are 0x00RRGGBB. Every transfer is clipped to its destination surface and to the
// DC's clip rectangle, and source reads outside the source surface are skipped, so no
// rectangle, however hostile, reads or writes outside a buffer.
#pragma once

#include "platform/kernel/types.h"

using COLORREF = DWORD;  // 0x00BBGGRR, as on the platform
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD DSna = 0x00220326;  // destination AND NOT source

// A memory DC starts with the platform's 1 x 1 default bitmap selected.
HDC CreateCompatibleDC(HDC reference);
// A 32-bit bitmap of the given size, all black.
HBITMAP CreateCompatibleBitmap(HDC reference, int width, int height);
// Selecting a bitmap into a memory DC returns the previous one; other objects are
// accepted and ignored (returned as they are), as the program selects only bitmaps.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteDC(HDC dc);
// A bitmap still selected into a DC is not deleted (FALSE), as on the platform.
BOOL DeleteObject(HGDIOBJ object);

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop);
// Nearest-neighbour scaling; negative sizes are refused (FALSE).
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop);

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
// Outside the DC's surface or clip: CLR_INVALID. SetPixel returns the colour it set.
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};
int GetObjectA(HGDIOBJ object, int size, void* out);

BOOL SetRect(RECT* r, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* r);
BOOL CopyRect(RECT* dst, const RECT* src);
BOOL OffsetRect(RECT* r, int dx, int dy);
BOOL InflateRect(RECT* r, int dx, int dy);
// FALSE and an empty (all zero) result when the rectangles do not overlap.
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);
// An empty rectangle does not count; FALSE and all zero when both are empty.
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* r, POINT p);
BOOL IsRectEmpty(const RECT* r);

// System colours: the three that LR_LOADMAP3DCOLORS maps its greys to, and those the
// host's native controls (list boxes, tool tips, message boxes, dialogs) are drawn in.
constexpr int COLOR_WINDOW = 5;         // list and entry backgrounds
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;     // the selected item
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_3DFACE = 15;        // dialogs and buttons
constexpr int COLOR_BTNFACE = COLOR_3DFACE;
constexpr int COLOR_3DSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;      // disabled text
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_3DHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;      // tool tips
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;      // links
COLORREF GetSysColor(int index);
// Sets the listed system colours for the whole process (there is no desktop shared with
// other programs to change) and the colours of their brushes. FALSE, changing nothing,
// for a bad element or a null array. Meant for start-up, before windows draw.
BOOL SetSysColors(int count, const int* elements, const COLORREF* values);

// The system colours' brushes: owned by the layer, never deleted.
struct HBRUSH__ {
    COLORREF color;
};
using HBRUSH = HBRUSH__*;
HBRUSH GetSysColorBrush(int index);
// Fills the rectangle (right and bottom exclusive), cut to the DC's surface and clip.
// Returns 0 for a bad DC, brush or rectangle pointer.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
