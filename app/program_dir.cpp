#include "app/program_dir.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/kernel/module.h"

std::string GetProgramDir() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    unsigned char* slash = _mbsrchr(reinterpret_cast<unsigned char*>(path), '\\');
    if (slash) *slash = '\0';
    return path;
}

bool FormatPath(char* buffer, std::size_t size, const char* format, ...) {
    if (!buffer || size == 0) return false;
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(buffer, size, format, args);
    va_end(args);
    if (needed < 0 || static_cast<std::size_t>(needed) >= size) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

bool CopyPath(char* buffer, std::size_t size, const char* text) {
    if (!buffer || size == 0) return false;
    const std::size_t length = text ? strnlen(text, size) : 0;
    if (length >= size) {
        buffer[0] = '\0';
        return false;
    }
    if (length) std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return true;
}
