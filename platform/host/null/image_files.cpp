// PNG (zlib stored blocks, no compression library needed) and 24-bit BMP writers.
#include <cstdio>
#include <memory>

#include "platform/host/null/null_host.h"

namespace null_host {

namespace {

using Bytes = std::vector<std::uint8_t>;

void Be32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}
void Le16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Le32(Bytes& out, std::uint32_t v) {
    Le16(out, v);
    Le16(out, v >> 16);
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const auto table = [] {
        std::vector<std::uint32_t> t(256);
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const Bytes& data) {
    std::uint32_t a = 1, b = 0;
    for (auto byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void Chunk(Bytes& out, const char* type, const Bytes& body) {
    Be32(out, static_cast<std::uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Be32(out, Crc32(typed.data(), typed.size()));
}

bool WriteAll(const std::string& path, const Bytes& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
}

bool Valid(int width, int height, const std::vector<std::uint32_t>& pixels) {
    return width > 0 && height > 0 && pixels.size() >= static_cast<std::size_t>(width) * height;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (!Valid(width, height, pixels)) return false;
    Bytes raw;  // filter byte 0 then RGB per row
    raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * width));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            raw.push_back(static_cast<std::uint8_t>(p >> 16));
            raw.push_back(static_cast<std::uint8_t>(p >> 8));
            raw.push_back(static_cast<std::uint8_t>(p));
        }
    }
    Bytes z{0x78, 0x01};
    constexpr std::size_t kBlock = 65535;
    for (std::size_t at = 0; at < raw.size() || at == 0; at += kBlock) {
        std::size_t n = std::min(kBlock, raw.size() - at);
        bool last = at + n >= raw.size();
        z.push_back(last ? 1 : 0);
        Le16(z, static_cast<std::uint32_t>(n));
        Le16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (last) break;
    }
    Be32(z, Adler32(raw));

    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Be32(header, static_cast<std::uint32_t>(width));
    Be32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return WriteAll(path, out);
}

bool WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (!Valid(width, height, pixels)) return false;
    std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    Bytes out{'B', 'M'};
    Le32(out, 54 + imageSize);
    Le32(out, 0);
    Le32(out, 54);
    Le32(out, 40);
    Le32(out, static_cast<std::uint32_t>(width));
    Le32(out, static_cast<std::uint32_t>(height));  // bottom-up
    Le16(out, 1);
    Le16(out, 24);
    Le32(out, 0);
    Le32(out, imageSize);
    Le32(out, 2835);
    Le32(out, 2835);
    Le32(out, 0);
    Le32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            out.push_back(static_cast<std::uint8_t>(p));
            out.push_back(static_cast<std::uint8_t>(p >> 8));
            out.push_back(static_cast<std::uint8_t>(p >> 16));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return WriteAll(path, out);
}

}  // namespace null_host
