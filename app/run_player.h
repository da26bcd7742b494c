// The whole program as main() runs it, so that a bench can start the player exactly as
// a user does.
#pragma once

#include <functional>

// Runs the player to its end and returns the process's exit code. toolkitReady, when
// given, runs once the window toolkit is up and before any window exists.
int RunPlayer(int argc, char** argv, const std::function<void()>& toolkitReady = {});
