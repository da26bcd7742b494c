// The formats the platform's decoder brings, read as the player reads a clip: the same
// samples as the codec's own decoder (or sox) gives, at the source's exact length so a
// loop meets its start, and a cut or damaged file refused, at once.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cmath>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wave_stream.h"
#include "tests/platform/kernel/temp_dir.h"
#include "tests/support/child_process.h"

namespace {

constexpr int kSourceFrames = 44100;  // 1 s of 441 Hz and 882 Hz: whole periods, so it loops

struct Format {
    const char* name;
    const char* extension;
    // Shell commands; {src} the source WAV, {enc} the encoded file, {ref} the reference decode.
    const char* encode;
    const char* reference;
    std::vector<const char*> tools;
    int bits;
    int rate;
    double tolerance;  // largest difference from the reference, full scale 1
    bool framed;       // damage inside is found, as in any codec with checked frames
};

const Format kFormats[] = {
    {"FLAC", "flac", "flac -s -f {src} -o {enc}", "flac -s -d -f {enc} -o {ref}", {"flac"}, 16, 44100, 0.0, true},
    {"Ogg Vorbis", "ogg", "oggenc -Q {src} -o {enc}", "oggdec -Q {enc} -o {ref}", {"oggenc", "oggdec"}, 16, 44100, 1e-4, true},
    {"Opus", "opus", "opusenc --quiet {src} {enc}", "opusdec --quiet --rate 48000 --float {enc} {ref}", {"opusenc", "opusdec"}, 16,
     48000, 1e-4, true},
    {"MP3", "mp3", "lame --quiet {src} {enc}", "mpg123 -q -w {ref} {enc}", {"lame", "mpg123"}, 16, 44100, 1e-4, true},
    {"float WAV", "wav", "sox {src} -e floating-point -b 32 {enc}", "cp {enc} {ref}", {}, 32, 44100, 1e-6, false},
    {"A-law WAV", "wav", "sox {src} -e a-law {enc}", "sox {enc} -b 16 {ref}", {}, 16, 44100, 0.0, false},
    {"MS ADPCM WAV", "wav", "sox {src} -e ms-adpcm {enc}", "sox {enc} -b 16 {ref}", {}, 16, 44100, 0.0, false},
};

std::string Fill(std::string command, const std::string& src, const std::string& enc, const std::string& ref) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{src}", src}, {"{enc}", enc}, {"{ref}", ref}})
        for (std::size_t at; (at = command.find(key)) != std::string::npos;) command.replace(at, key.size(), value);
    return command;
}

bool Shell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

// Samples of a WAV file of any encoding, through sox, as floats.
std::vector<float> SoxSamples(const std::string& wav, const TempDir& dir) {
    const std::string raw = dir.File("samples.f32");
    if (!Shell("sox " + wav + " -t f32 " + raw)) return {};
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    return out;
}

// The whole "data" chunk as the player loads it, and loads it again to refill a lost
// buffer, as floats; empty when refused or when the second reading differs.
std::vector<float> ReaderSamples(const std::string& file, WAVEFORMATEX* format) {
    std::string path = file;
    const DWORD size = ProbeWaveFile(path.data());
    CWaveStream stream;
    if (size == 0 || stream.Open(path.data()) != S_OK) return {};
    *format = *stream.m_pwfx;
    std::vector<BYTE> data(stream.m_ckData.cksize);
    std::vector<BYTE> again(data.size());
    UINT got = 0;
    UINT gotAgain = 0;
    if (stream.Read(static_cast<UINT>(data.size()), data.data(), &got) != S_OK || got != data.size()) return {};
    if (stream.Rewind() != S_OK || stream.Read(static_cast<UINT>(again.size()), again.data(), &gotAgain) != S_OK ||
        again != data)
        return {};
    const int bytes = format->wBitsPerSample / 8;
    std::vector<float> out(data.size() / static_cast<std::size_t>(bytes));
    for (std::size_t i = 0; i < out.size(); ++i) {
        std::int32_t v = 0;
        std::memcpy(reinterpret_cast<char*>(&v) + (4 - bytes), data.data() + i * bytes, static_cast<std::size_t>(bytes));
        out[i] = static_cast<float>(v / 2147483648.0);
    }
    return out;
}

class DecodedFormats : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override {
        std::vector<const char*> tools = GetParam().tools;
        tools.push_back("sox");
        for (const char* tool : tools)
            if (test_support::FindOnPath(tool).empty()) GTEST_SKIP() << tool << " is not installed (tools/bootstrap.sh --tests)";
        src = dir.File("source.wav");
        enc = dir.File(std::string("clip.") + GetParam().extension);
        ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 -b 16 " + src + " synth 1 sine 441 sine 882 vol 0.5"));
        ASSERT_TRUE(Shell(Fill(GetParam().encode, src, enc, "")));
    }
    TempDir dir;
    std::string src;
    std::string enc;
};

TEST_P(DecodedFormats, ReadAsTheReferenceDecodesItAtTheSourcesLength) {
    const Format& f = GetParam();
    const std::string ref = dir.File("reference.wav");
    ASSERT_TRUE(Shell(Fill(f.reference, src, enc, ref)));
    const std::vector<float> expected = SoxSamples(ref, dir);
    WAVEFORMATEX format{};
    const std::vector<float> got = ReaderSamples(enc, &format);
    EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.wBitsPerSample, f.bits);
    EXPECT_EQ(static_cast<int>(format.nSamplesPerSec), f.rate);
    ASSERT_EQ(got.size(), expected.size());
    double worst = 0;
    for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::fabs(double{got[i]} - expected[i]));
    EXPECT_LE(worst, f.tolerance + 1.0 / 32768) << "largest difference from the reference";

    // The source's exact length (block codecs may pad), so the last sample leads back to
    // the first as smoothly as any sample leads to the next.
    if (f.encode == kFormats[6].encode) return;
    const std::size_t frames = got.size() / 2;
    EXPECT_EQ(frames, static_cast<std::size_t>(kSourceFrames) * f.rate / 44100);
    for (int c = 0; c < 2; ++c) {
        double largest = 0;
        for (std::size_t i = 1; i < frames; ++i) largest = std::max(largest, std::fabs(double{got[i * 2 + c]} - got[(i - 1) * 2 + c]));
        // Lossy codecs blur the edges a little.
        EXPECT_LE(std::fabs(double{got[c]} - got[(frames - 1) * 2 + c]), largest * 1.5) << "channel " << c;
    }
}

TEST_P(DecodedFormats, CutOrDamagedFileIsRefusedAtOnce) {
    std::ifstream in(enc, std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), {});
    std::string damaged = whole;
    for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 2000 && i < damaged.size(); ++i)
        damaged[i] = static_cast<char>(i * 37);
    std::vector<std::string> bad = {whole.substr(0, whole.size() * 6 / 10)};
    if (GetParam().framed) bad.push_back(damaged);
    for (const std::string& bytes : bad) {
        const std::string path = dir.Write(std::string("bad.") + GetParam().extension, bytes);
        const auto start = std::chrono::steady_clock::now();
        WAVEFORMATEX format{};
        EXPECT_TRUE(ReaderSamples(path, &format).empty()) << (bytes.size() < whole.size() ? "cut" : "damaged");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

// A header that claims far more sound than a file of its size could hold is refused
// before anyone sizes a buffer by it: here 200 million frames (800 MB) in a FLAC of 90 kB.
TEST(DecodedFormatClaims, MoreThanTheFileCouldHoldIsRefusedAtOnce) {
    if (test_support::FindOnPath("sox").empty() || test_support::FindOnPath("flac").empty())
        GTEST_SKIP() << "sox and flac are not installed (tools/bootstrap.sh --tests)";
    TempDir dir;
    const std::string path = dir.File("claims.flac");
    ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 -b 16 " + dir.File("s.wav") + " synth 1 sine 441 vol 0.5 && flac -s -f " +
                      dir.File("s.wav") + " -o " + path));
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    // STREAMINFO's total sample count: the low 36 bits of the 8 bytes at 18 ("fLaC", the
    // block header, then 10 bytes of block and frame sizes).
    unsigned char field[8];
    file.seekg(18);
    file.read(reinterpret_cast<char*>(field), sizeof field);
    const std::uint64_t frames = 200000000;
    for (int i = 0; i < 4; ++i) field[7 - i] = static_cast<unsigned char>(frames >> (8 * i));
    field[3] = static_cast<unsigned char>((field[3] & 0xF0) | ((frames >> 32) & 0x0F));
    file.seekp(18);
    file.write(reinterpret_cast<const char*>(field), sizeof field);
    file.close();
    std::string layer = path;
    EXPECT_EQ(ProbeWaveFile(layer.data()), 0u);
    CWaveStream stream;
    EXPECT_EQ(stream.Open(layer.data()), E_FAIL);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodedFormats, ::testing::ValuesIn(kFormats), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
});

}  // namespace
