// OpenAL Soft 1.19's data set file: little-endian, "MinPHR02", one field, 24-bit
// coefficients for both ears, then the delays.
#include <cmath>
#include <cstring>

#include "platform/hrtf/hrir_set.h"

namespace hrtf {
namespace {

constexpr char kMagic[] = "MinPHR02";
constexpr std::size_t kMagicSize = 8;
constexpr std::uint8_t kSample24 = 1;
constexpr std::uint8_t kBothEars = 1;

void PutByte(std::string& out, unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); }

void PutLittle(std::string& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) PutByte(out, value >> (8 * i));
}

}  // namespace

std::string EncodeMhr(const OpenAlTable& table) {
    std::string out(kMagic, kMagicSize);
    PutLittle(out, table.rate, 4);
    PutByte(out, kSample24);
    PutByte(out, kBothEars);
    PutByte(out, table.irSize);
    PutByte(out, 1);  // one field: every direction at one distance
    PutLittle(out, table.distanceMm, 2);
    PutByte(out, static_cast<unsigned>(table.azimuthCounts.size()));
    for (std::uint8_t count : table.azimuthCounts) PutByte(out, count);
    for (float c : table.coefficients) {
        const long scaled = std::lround(static_cast<double>(c) * 8388608.0);
        const long clamped = scaled > 8388607 ? 8388607 : (scaled < -8388608 ? -8388608 : scaled);
        PutLittle(out, static_cast<unsigned>(clamped), 3);
    }
    for (std::uint8_t delay : table.delays) PutByte(out, delay);
    return out;
}

unsigned MhrRate(const std::string& bytes) {
    // Every version of the format so far puts the rate right after its eight-byte marker.
    if (bytes.size() < kMagicSize + 4 || std::memcmp(bytes.data(), "MinPHR", 6) != 0) return 0;
    unsigned rate = 0;
    for (int i = 3; i >= 0; --i) rate = (rate << 8) | static_cast<unsigned char>(bytes[kMagicSize + i]);
    return rate;
}

}  // namespace hrtf
