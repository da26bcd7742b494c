// Writes small RIFF/WAVE files for the sound module tests, in a private temp folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/mmio/mmsystem.h"

namespace sound_testing {

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/zor_sound_XXXXXX";
        if (mkdtemp(pattern)) m_path = pattern;
    }
    ~TempFolder() {
        for (const std::string& f : m_files) std::remove(f.c_str());
        if (!m_path.empty()) rmdir(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) {
        m_files.push_back(m_path + "/" + name);
        return m_files.back();
    }

private:
    std::string m_path;
    std::vector<std::string> m_files;
};

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

// A canonical PCM file. dataSizeClaim, when given, is written as the data chunk's size
// instead of the real one (to make files that end inside their data).
inline bool WriteWav(const std::string& path, const WAVEFORMATEX& f, const std::vector<std::uint8_t>& data,
                     long dataSizeClaim = -1) {
    std::vector<std::uint8_t> out;
    const std::uint32_t dataSize = dataSizeClaim >= 0 ? static_cast<std::uint32_t>(dataSizeClaim)
                                                      : static_cast<std::uint32_t>(data.size());
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLe(out, 4 + 8 + 16 + 8 + dataSize + (dataSize & 1), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, f.wFormatTag, 2);
    PutLe(out, f.nChannels, 2);
    PutLe(out, f.nSamplesPerSec, 4);
    PutLe(out, f.nAvgBytesPerSec, 4);
    PutLe(out, f.nBlockAlign, 2);
    PutLe(out, f.wBitsPerSample, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, dataSize, 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace sound_testing
