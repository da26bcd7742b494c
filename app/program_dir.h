// The folder of the program's own executable, in the layer's path form: the settings
// file, the auto-demo scripts and the MUSIC folder live there.
#pragma once

#include <cstddef>
#include <string>

std::string GetProgramDir();

// printf into a fixed buffer; text that would not fit leaves the buffer empty and
// gives false, so no path is ever silently cut into another path.
bool FormatPath(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Copies text that fits (with its terminator); otherwise empties the buffer, false.
bool CopyPath(char* buffer, std::size_t size, const char* text);
