// What the program tells whoever reads its standard error: the things that go wrong with
// no box to show them, so a user at a terminal or a headless run can tell why.
#pragma once

#include <string>

#include "platform/kernel/types.h"

// A path the way its user knows it: the layer's '\' separators are its own.
std::string ShownPath(const char* layerPath);

// The system's text for an error code, as the last error gives it.
std::string ErrorText(DWORD error);

// One line, "Zor3DPlayer: " and the formatted text.
void TellUser(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The settings did not reach their file: where the profile functions keep it, and why.
void TellSettingsNotSaved(const char* settingsPath, DWORD error);
