// Builds BMP file images in memory for tests: any depth the decoder takes, either row order.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace testbmp {

struct ImageLayout {
    int width = 1;
    int height = 1;
    int bits = 8;
    bool topDown = false;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB; for 1, 4 and 8 bits
};

// value(x, y) is a palette index for 1, 4 and 8 bits, else 0x00RRGGBB; y counts from the top.
inline std::vector<std::uint8_t> Build(const ImageLayout& s, const std::function<std::uint32_t(int, int)>& value) {
    auto put16 = [](std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
        v[at] = static_cast<std::uint8_t>(x);
        v[at + 1] = static_cast<std::uint8_t>(x >> 8);
    };
    auto put32 = [&](std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
        put16(v, at, x);
        put16(v, at + 2, x >> 16);
    };
    const std::size_t stride = ((static_cast<std::size_t>(s.width) * s.bits + 31) / 32) * 4;
    const std::size_t paletteBytes = s.bits <= 8 ? s.palette.size() * 4 : 0;
    const std::size_t offBits = 14 + 40 + paletteBytes;
    std::vector<std::uint8_t> v(offBits + stride * static_cast<std::size_t>(s.height), 0);
    v[0] = 'B';
    v[1] = 'M';
    put32(v, 2, static_cast<std::uint32_t>(v.size()));
    put32(v, 10, static_cast<std::uint32_t>(offBits));
    put32(v, 14, 40);
    put32(v, 18, static_cast<std::uint32_t>(s.width));
    put32(v, 22, static_cast<std::uint32_t>(s.topDown ? -s.height : s.height));
    put16(v, 26, 1);
    put16(v, 28, static_cast<std::uint32_t>(s.bits));
    put32(v, 46, s.bits <= 8 ? static_cast<std::uint32_t>(s.palette.size()) : 0);
    for (std::size_t i = 0; s.bits <= 8 && i < s.palette.size(); ++i) {
        const std::uint32_t c = s.palette[i];
        v[54 + 4 * i] = static_cast<std::uint8_t>(c);
        v[54 + 4 * i + 1] = static_cast<std::uint8_t>(c >> 8);
        v[54 + 4 * i + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    for (int y = 0; y < s.height; ++y) {
        const int fileRow = s.topDown ? y : s.height - 1 - y;
        std::uint8_t* row = v.data() + offBits + static_cast<std::size_t>(fileRow) * stride;
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t p = value(x, y);
            if (s.bits <= 8) {
                const int perByte = 8 / s.bits;
                const int shift = (perByte - 1 - x % perByte) * s.bits;
                row[x / perByte] = static_cast<std::uint8_t>(row[x / perByte] | (p << shift));
            } else {
                const int bytes = s.bits / 8;
                row[bytes * x] = static_cast<std::uint8_t>(p);
                row[bytes * x + 1] = static_cast<std::uint8_t>(p >> 8);
                row[bytes * x + 2] = static_cast<std::uint8_t>(p >> 16);
            }
        }
    }
    return v;
}

}  // namespace testbmp
