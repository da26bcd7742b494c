// A strict reader for the BMP files the program embeds, written independently of the
// generator so the tests check the files themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

struct BmpImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Rgb> palette;          // empty for true-colour images
    std::vector<std::uint8_t> index;   // palette index per pixel, top row first (8 bpp only)
    std::vector<Rgb> pixels;           // top row first

    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Returns the image, or nothing with a reason in `error`.
std::optional<BmpImage> ReadBmp(const std::uint8_t* data, std::size_t size, std::string* error);

// Mean absolute channel difference between two equally sized areas.
double MeanDifference(const BmpImage& a, int ax, int ay, const BmpImage& b, int bx, int by, int w, int h);
