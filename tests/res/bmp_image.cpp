#include "tests/res/bmp_image.h"

#include <cstdlib>

namespace {

std::uint32_t U32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::optional<BmpImage> Fail(std::string* error, const char* why) {
    *error = why;
    return std::nullopt;
}

}  // namespace

std::optional<BmpImage> ReadBmp(const std::uint8_t* data, std::size_t size, std::string* error) {
    constexpr std::size_t kFileHeader = 14;
    if (size < kFileHeader + 40) return Fail(error, "shorter than its headers");
    if (data[0] != 'B' || data[1] != 'M') return Fail(error, "no BM signature");
    if (U32(data + 2) != size) return Fail(error, "file size field disagrees with the data");
    const std::uint32_t bitsOffset = U32(data + 10);
    const std::uint8_t* info = data + kFileHeader;
    const std::uint32_t infoSize = U32(info);
    if (infoSize < 40 || kFileHeader + infoSize > size) return Fail(error, "bad info header size");
    BmpImage img;
    img.width = static_cast<std::int32_t>(U32(info + 4));
    const std::int32_t rawHeight = static_cast<std::int32_t>(U32(info + 8));
    if (U16(info + 12) != 1) return Fail(error, "planes is not 1");
    img.bitsPerPixel = U16(info + 14);
    if (U32(info + 16) != 0) return Fail(error, "compressed");
    if (img.width <= 0 || rawHeight == 0) return Fail(error, "empty image");
    const bool bottomUp = rawHeight > 0;
    img.height = std::abs(rawHeight);
    if (img.bitsPerPixel != 8 && img.bitsPerPixel != 24 && img.bitsPerPixel != 32)
        return Fail(error, "unsupported depth");
    if (img.bitsPerPixel == 8) {
        std::uint32_t colours = U32(info + 32);
        if (colours == 0) colours = 256;
        if (colours > 256) return Fail(error, "palette larger than 256");
        const std::size_t at = kFileHeader + infoSize;
        if (at + colours * 4 > bitsOffset) return Fail(error, "palette overlaps the pixels");
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::uint8_t* q = data + at + i * 4;
            img.palette.push_back({q[2], q[1], q[0]});
        }
    }
    const std::size_t stride = ((static_cast<std::size_t>(img.width) * img.bitsPerPixel + 31) / 32) * 4;
    if (bitsOffset > size || stride * img.height > size - bitsOffset) return Fail(error, "pixel data cut short");
    img.pixels.resize(static_cast<std::size_t>(img.width) * img.height);
    if (img.bitsPerPixel == 8) img.index.resize(img.pixels.size());
    for (int y = 0; y < img.height; ++y) {
        const std::uint8_t* row = data + bitsOffset + stride * (bottomUp ? img.height - 1 - y : y);
        for (int x = 0; x < img.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * img.width + x;
            if (img.bitsPerPixel == 8) {
                if (row[x] >= img.palette.size()) return Fail(error, "pixel index outside the palette");
                img.index[at] = row[x];
                img.pixels[at] = img.palette[row[x]];
            } else {
                const std::uint8_t* q = row + x * (img.bitsPerPixel / 8);
                img.pixels[at] = {q[2], q[1], q[0]};
            }
        }
    }
    return img;
}

double MeanDifference(const BmpImage& a, int ax, int ay, const BmpImage& b, int bx, int by, int w, int h) {
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb p = a.At(ax + x, ay + y), q = b.At(bx + x, by + y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum / (3.0 * w * h);
}
