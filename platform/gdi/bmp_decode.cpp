// BMP file images into 32-bit bitmaps. Every field is checked against the data before it
// is used; anything unexpected makes the whole image null rather than partly decoded.
#include <cstring>

#include "platform/gdi/objects.h"

namespace {

using gdi::detail::kMaxPixels;
using gdi::detail::kMaxSide;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_BITFIELDS = 3;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8)); }
    std::uint32_t U32(std::size_t at) const {
        return static_cast<std::uint32_t>(data_[at]) | (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[at + 2]) << 16) | (static_cast<std::uint32_t>(data_[at + 3]) << 24);
    }
    const std::uint8_t* At(std::size_t at) const { return data_ + at; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | b;
}

std::uint32_t Map3D(std::uint32_t p) {
    switch (p) {
        case 0x808080u: return gdi::detail::PixelOf(GetSysColor(COLOR_3DSHADOW));
        case 0xC0C0C0u: return gdi::detail::PixelOf(GetSysColor(COLOR_3DFACE));
        case 0xDFDFDFu: return gdi::detail::PixelOf(GetSysColor(COLOR_3DLIGHT));
        default: return p;
    }
}

struct Layout {
    int width;
    int height;  // rows, always positive
    bool topDown;
    int bits;
    std::size_t stride;
    std::size_t pixelsAt;
    std::size_t paletteAt;
    std::size_t paletteCount;
};

bool ReadLayout(const Reader& in, Layout* out) {
    if (!in.Has(0, kFileHeaderSize + kInfoHeaderSize)) return false;
    if (in.U16(0) != 0x4D42) return false;  // "BM"
    const std::uint32_t offBits = in.U32(10);
    const std::uint32_t headerSize = in.U32(14);
    if (headerSize < kInfoHeaderSize || !in.Has(kFileHeaderSize, headerSize)) return false;
    const auto width = static_cast<std::int32_t>(in.U32(18));
    const auto height = static_cast<std::int32_t>(in.U32(22));
    const std::uint16_t planes = in.U16(26);
    const std::uint16_t bits = in.U16(28);
    const std::uint32_t compression = in.U32(30);
    const std::uint32_t clrUsed = in.U32(46);

    if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return false;
    const long long rows = height < 0 ? -static_cast<long long>(height) : height;
    if (width > kMaxSide || rows > kMaxSide || static_cast<long long>(width) * rows > kMaxPixels) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;

    std::size_t afterHeader = kFileHeaderSize + headerSize;
    if (compression == BI_BITFIELDS && bits == 32) {
        // Only the plain X8R8G8B8 arrangement; the masks follow a 40-byte header.
        const std::size_t masksAt = kFileHeaderSize + 40;
        if (!in.Has(masksAt, 12)) return false;
        if (in.U32(masksAt) != 0x00FF0000u || in.U32(masksAt + 4) != 0x0000FF00u || in.U32(masksAt + 8) != 0x000000FFu)
            return false;
        if (headerSize == kInfoHeaderSize) afterHeader += 12;
    } else if (compression != BI_RGB) {
        return false;
    }

    std::size_t paletteCount = 0;
    if (bits <= 8) {
        const std::uint32_t maxColours = 1u << bits;
        if (clrUsed > maxColours) return false;
        paletteCount = clrUsed == 0 ? maxColours : clrUsed;
        if (!in.Has(afterHeader, paletteCount * 4)) return false;
    }

    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    if (offBits < kFileHeaderSize + kInfoHeaderSize || !in.Has(offBits, stride * static_cast<std::size_t>(rows)))
        return false;
    *out = {width, static_cast<int>(rows), height < 0, bits, stride, offBits, afterHeader, paletteCount};
    return true;
}

void DecodeRow(const Layout& l, const std::uint32_t* palette, const std::uint8_t* row,
               std::uint32_t* dst) {
    switch (l.bits) {
        case 8:
            // The table has all 256 entries, those past a short palette black.
            for (int x = 0; x < l.width; ++x) dst[x] = palette[row[x]];
            break;
        case 1:
        case 4: {
            const unsigned perByte = 8 / l.bits;
            const unsigned mask = (1u << l.bits) - 1;
            for (int x = 0; x < l.width; ++x) {
                const unsigned shift = (perByte - 1 - x % perByte) * l.bits;
                const unsigned index = (row[x / perByte] >> shift) & mask;
                // An index past a short palette is black, not a read past it.
                dst[x] = index < l.paletteCount ? palette[index] : 0;
            }
            break;
        }
        case 24:
            for (int x = 0; x < l.width; ++x) dst[x] = Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            break;
        case 32:
            for (int x = 0; x < l.width; ++x) dst[x] = Rgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
            break;
    }
}

}  // namespace

namespace gdi {

HBITMAP CreateBitmapFromBmp(const std::uint8_t* data, std::size_t size, bool map3DColors) {
    if (!data) return nullptr;
    const Reader in(data, size);
    Layout l{};
    if (!ReadLayout(in, &l)) return nullptr;

    std::uint32_t palette[256] = {};
    for (std::size_t i = 0; i < l.paletteCount; ++i) {
        const std::uint8_t* e = in.At(l.paletteAt + 4 * i);
        palette[i] = Rgb(e[2], e[1], e[0]);
    }
    // A paletted image maps its few colours once, not every pixel.
    const bool paletted = l.bits <= 8;
    if (map3DColors && paletted)
        for (auto& p : palette) p = Map3D(p);

    auto surface = std::make_shared<Surface>(l.width, l.height);
    for (int y = 0; y < l.height; ++y) {
        const int fileRow = l.topDown ? y : l.height - 1 - y;
        const std::uint8_t* row = in.At(l.pixelsAt + static_cast<std::size_t>(fileRow) * l.stride);
        DecodeRow(l, palette, row, surface->pixels.data() + static_cast<std::size_t>(y) * l.width);
    }
    if (map3DColors && !paletted)
        for (auto& p : surface->pixels) p = Map3D(p);
    return detail::AddBitmap(std::move(surface));
}

}  // namespace gdi
