// The probe and reader on arbitrary bytes, as WAV or through the decoder of every other
// format: no crash, no read outside a buffer, and the reader's counts stay consistent
// with what the file declares.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/wave_stream.h"
#include "fuzz/fuzz_input_file.h"


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string file = WriteFuzzInput("fuzz-wave", data, size);
    ProbeWaveFile(file.data());

    CWaveStream stream;
    if (stream.Open(file.data()) != S_OK) return 0;
    const DWORD total = stream.m_ckData.cksize;
    // Reads are bounded by the file, so a lying size costs at most the file's length.
    const UINT chunk = static_cast<UINT>(size + 16);
    std::vector<BYTE> out(chunk);
    for (int pass = 0; pass < 2; ++pass) {
        DWORD seen = 0;
        for (int i = 0; i < 4; ++i) {
            UINT got = 0;
            DWORD before = stream.m_ckData.cksize;
            HRESULT hr = stream.Read(chunk, out.data(), &got);
            if (got > chunk || stream.m_ckData.cksize > before) std::abort();
            if (hr == S_OK) seen += got;
            if (hr != S_OK && got != 0) std::abort();
        }
        if (seen > total) std::abort();
        if (stream.Rewind() != S_OK || stream.m_ckData.cksize != total) std::abort();
    }
    return 0;
}
