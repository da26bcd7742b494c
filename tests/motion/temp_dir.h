// A fresh directory that is the process's current directory for one test, so the
// player's relative "Path" lookup sees only what the test put there.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class ScopedTempCwd {
public:
    ScopedTempCwd() {
        char pattern[] = "/tmp/zor_motion_XXXXXX";
        const char* made = mkdtemp(pattern);
        m_dir = made != nullptr ? made : "/tmp";
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir);
    }
    ~ScopedTempCwd() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
        if (m_dir != "/tmp") {
            std::filesystem::remove_all(m_dir, ignored);
        }
    }
    ScopedTempCwd(const ScopedTempCwd&) = delete;
    ScopedTempCwd& operator=(const ScopedTempCwd&) = delete;

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }
    std::filesystem::path Path(const std::string& name) const { return m_dir / name; }

private:
    std::filesystem::path m_dir;
    std::filesystem::path m_previous;
};
