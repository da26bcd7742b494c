#include "app/start_arguments.h"

#include <strings.h>

#include <cstring>
#include <filesystem>

#include "audio/wave_stream.h"
#include "panels/user_notice.h"
#include "platform/kernel/module.h"

bool IsDemoScriptArgument(const char* argument) {
    const std::size_t length = argument ? std::strlen(argument) : 0;
    return length > 4 && strcasecmp(argument + length - 4, ".ini") == 0;
}

StartArguments ReadStartArguments(int argc, char** argv) {
    StartArguments start;
    if (argc == 2 && IsDemoScriptArgument(argv[1])) {
        start.script = true;
        return start;
    }
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(argv[i], error);
        std::string layer = LayerPath(path.string());
        if (!error && std::filesystem::is_regular_file(path, error) && ProbeWaveFile(layer.data()) != 0)
            start.files.push_back(path.string());
        else
            TellUser("%s is neither an audio file the player can read nor an auto-demo script (*.ini); it is left out.",
                     argv[i]);
    }
    return start;
}
