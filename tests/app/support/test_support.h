// Helpers the program's window tests share: pumping the message queue, test clips,
// files beside the test binary.
#pragma once

#include <functional>
#include <string>

#include "platform/kernel/types.h"

namespace app_test {

// Dispatches pending messages for the given time.
void Pump(int milliseconds);
// Dispatches until the condition holds or the time-out passes; the condition's result.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs);

// A mono 16-bit PCM sine at 22050 Hz.
void WriteWave(const std::string& nativePath, double seconds, double frequency);

// The test binary's folder (native form) and the same in the layer's form.
std::string NativeProgramDir();
std::string ProgramDir();
// Writes the five built-in clips into MUSIC beside the test binary, once.
void EnsureMusic();
std::string ReadFile(const std::string& nativePath);
void WriteFile(const std::string& nativePath, const std::string& text);
void RemoveFile(const std::string& nativePath);
bool FileExists(const std::string& nativePath);

}  // namespace app_test
