// The readers under fuzz take file names, so each input is written to one reusable
// temporary file first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Writes the input over the process's temporary file (made once, named after the
// prefix) and returns the file's path.
inline std::string WriteFuzzInput(const char* prefix, const std::uint8_t* data, std::size_t size) {
    static const std::string path = [prefix] {
        std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
        int fd = ::mkstemp(pattern.data());
        if (fd >= 0) ::close(fd);
        return pattern;
    }();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}
