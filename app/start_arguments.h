// What the command line asks for: an auto-demo script, or files to play.
#pragma once

#include <string>
#include <vector>

struct StartArguments {
    bool script = false;             // the one argument names an auto-demo script
    std::vector<std::string> files;  // native absolute paths of audio files to play
};

// Whether a single argument names an auto-demo script rather than a file to play.
bool IsDemoScriptArgument(const char* argument);

// A single argument that names a script is the auto-demo, as it always was. Otherwise
// every argument is a file to play; one that is not an audio file the player reads is
// named on standard error and left out.
StartArguments ReadStartArguments(int argc, char** argv);
