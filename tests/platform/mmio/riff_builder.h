// Byte-by-byte builders for hand-made RIFF files in tests.
#pragma once

#include <cstdint>
#include <string>

namespace riff {

inline std::string U16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
inline std::string U32(std::uint32_t v) { return U16(static_cast<std::uint16_t>(v & 0xFFFF)) + U16(static_cast<std::uint16_t>(v >> 16)); }

// id, size, body and a pad byte for an odd body. The declared size can be given apart
// from the body to build lying files.
inline std::string Chunk(const std::string& id, const std::string& body, bool pad = true) {
    std::string out = id + U32(static_cast<std::uint32_t>(body.size())) + body;
    if (pad && (body.size() & 1)) out += '\0';
    return out;
}
inline std::string ChunkDeclaring(const std::string& id, std::uint32_t declared, const std::string& body) {
    return id + U32(declared) + body;
}
inline std::string Form(const std::string& id, const std::string& type, const std::string& body) {
    return Chunk(id, type + body);
}
inline std::string Riff(const std::string& type, const std::string& body) { return Form("RIFF", type, body); }
inline std::string List(const std::string& type, const std::string& body) { return Form("LIST", type, body); }

// The 16-byte head of a "fmt " chunk.
inline std::string FormatHead(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
}
inline std::string PcmFmt(std::uint16_t channels = 2, std::uint32_t rate = 44100, std::uint16_t bits = 16) {
    return Chunk("fmt ", FormatHead(1, channels, rate, bits));
}
// The 40-byte extensible "fmt " chunk; sub-format 1 is PCM, 3 float.
inline std::string ExtensibleFmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                 std::uint32_t subFormat = 1) {
    return Chunk("fmt ", FormatHead(0xFFFE, channels, rate, bits) + U16(22) + U16(bits) + U32(0) + U32(subFormat) +
                             U16(0) + U16(0x10) + std::string("\x80\x00\x00\xAA\x00\x38\x9B\x71", 8));
}

}  // namespace riff
