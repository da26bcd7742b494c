#include "tools/synth/wav_writer.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

void PutU32(std::vector<char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU16(std::vector<char>& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void PutTag(std::vector<char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::int16_t ToPcm(float v) {
    const float clamped = std::fmax(-1.0f, std::fmin(1.0f, v));
    return static_cast<std::int16_t>(std::lround(clamped * 32767.0f));
}

}  // namespace

bool WriteMonoWav16(const std::string& path, const LoopBuffer& clip) {
    const std::uint32_t rate = static_cast<std::uint32_t>(clip.Rate());
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(clip.Size() * 2);
    std::vector<char> bytes;
    bytes.reserve(44 + dataBytes);
    PutTag(bytes, "RIFF");
    PutU32(bytes, 36 + dataBytes);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);  // PCM
    PutU16(bytes, 1);  // mono
    PutU32(bytes, rate);
    PutU32(bytes, rate * 2);
    PutU16(bytes, 2);
    PutU16(bytes, 16);
    PutTag(bytes, "data");
    PutU32(bytes, dataBytes);
    for (float v : clip.Samples()) PutU16(bytes, static_cast<std::uint16_t>(ToPcm(v)));

    // Written beside the target and renamed, so a build never leaves half a clip.
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}
