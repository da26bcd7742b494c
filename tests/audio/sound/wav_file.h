// A private temp folder for the sound module tests' clips (written by WriteWav).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/support/pcm_wav.h"

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

}  // namespace sound_testing
