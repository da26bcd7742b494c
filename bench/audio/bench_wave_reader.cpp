// Reading a whole 64 MiB data chunk through CWaveStream against a plain memcpy of the
// same number of bytes, in one run, so the ratio of the two throughputs is what counts.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wave_stream.h"

namespace {

constexpr std::uint32_t kDataBytes = 64u * 1024u * 1024u;

void PutU32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

// One 64 MiB stereo 16-bit file for the whole run, removed at exit.
class BenchFile {
public:
    BenchFile() {
        char pattern[] = "/tmp/bench-wave-XXXXXX";
        int fd = ::mkstemp(pattern);
        m_path = pattern;
        std::string head = "RIFF";
        PutU32(head, 4 + 24 + 8 + kDataBytes);
        head += "WAVEfmt ";
        PutU32(head, 16);
        PutU16(head, 1);
        PutU16(head, 2);
        PutU32(head, 44100);
        PutU32(head, 44100 * 4);
        PutU16(head, 4);
        PutU16(head, 16);
        head += "data";
        PutU32(head, kDataBytes);
        std::vector<char> body(kDataBytes);
        for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 2654435761u >> 24);
        FILE* f = ::fdopen(fd, "wb");
        std::fwrite(head.data(), 1, head.size(), f);
        std::fwrite(body.data(), 1, body.size(), f);
        std::fclose(f);
    }
    ~BenchFile() { ::unlink(m_path.c_str()); }
    char* path() { return m_path.data(); }

private:
    std::string m_path;
};

BenchFile& File() {
    static BenchFile file;
    return file;
}

void BM_WaveStreamRead(benchmark::State& state) {
    CWaveStream stream;
    if (stream.Open(File().path()) != S_OK) {
        state.SkipWithError("cannot open the bench file");
        return;
    }
    std::vector<BYTE> out(kDataBytes);
    for (auto _ : state) {
        stream.Rewind();
        UINT got = 0;
        stream.Read(kDataBytes, out.data(), &got);
        if (got != kDataBytes) state.SkipWithError("short read");
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kDataBytes);
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<BYTE> in(kDataBytes, 1), out(kDataBytes);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), kDataBytes);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kDataBytes);
}

BENCHMARK(BM_WaveStreamRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
