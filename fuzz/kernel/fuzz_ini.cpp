// The INI reader and writer on arbitrary file content: reads must not crash, and a key
// just written must read back while the rest of the file keeps parsing, and flushing it
// must leave a file that reads the same.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "platform/kernel/profile.h"


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = WriteFuzzInput("fuzz-ini", data, size);
    char buf[260];
    const char* sections[] = {"ZOR3DPLAYER", "Counter", "AutoDemo1", "", " s "};
    const char* keys[] = {"3DSOUNDDEMO_SOURCE", "DemoCounter", "MovingPath ", "k", ""};
    for (const char* s : sections)
        for (const char* k : keys) {
            GetPrivateProfileIntA(s, k, -7, file.c_str());
            DWORD n = GetPrivateProfileStringA(s, k, "def", buf, sizeof buf, file.c_str());
            if (n >= sizeof buf || buf[n] != '\0') std::abort();
        }
    GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, file.c_str());
    GetPrivateProfileStringA("ZOR3DPLAYER", nullptr, "", buf, 7, file.c_str());
    for (DWORD room : {DWORD{2}, DWORD{9}, DWORD{sizeof buf}}) {
        const DWORD n = GetPrivateProfileSectionA("ZOR3DPLAYER", buf, room, file.c_str());
        if (n >= room || buf[n] != '\0') std::abort();
    }

    char before[260];
    GetPrivateProfileStringA("ZOR3DPLAYER", "3DSOUNDDEMO_SOURCE", "none", before, sizeof before, file.c_str());
    if (WritePrivateProfileStringA("ZOR3DPLAYER", "FUZZKEY", "value 1", file.c_str())) {
        GetPrivateProfileStringA("zor3dplayer", "fuzzkey", "", buf, sizeof buf, file.c_str());
        if (std::strcmp(buf, "value 1") != 0) std::abort();
        WritePrivateProfileStringA("ZOR3DPLAYER", "FUZZKEY", nullptr, file.c_str());
        GetPrivateProfileStringA("ZOR3DPLAYER", "FUZZKEY", "gone", buf, sizeof buf, file.c_str());
        if (std::strcmp(buf, "gone") != 0) std::abort();
        // The held writes land now, not over the next input, and leave the rest as it read.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
        GetPrivateProfileStringA("ZOR3DPLAYER", "3DSOUNDDEMO_SOURCE", "none", buf, sizeof buf, file.c_str());
        if (std::strcmp(buf, before) != 0) std::abort();
    }
    return 0;
}
