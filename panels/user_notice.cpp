#include "panels/user_notice.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "platform/kernel/last_error.h"
#include "platform/kernel/profile.h"

std::string ShownPath(const char* layerPath) {
    std::string shown = layerPath ? layerPath : "";
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return shown;
}

std::string ErrorText(DWORD error) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    return text;
}

void TellUser(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "Zor3DPlayer: %s\n", line);
    std::fflush(stderr);
}

void TellSettingsNotSaved(const char* settingsPath, DWORD error) {
    TellUser("the settings could not be saved in %s: %s", ShownPath(ProfileFileLocation(settingsPath).c_str()).c_str(),
             ErrorText(error).c_str());
}
