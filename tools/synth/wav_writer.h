// Writes a loop as a mono 16-bit PCM RIFF WAVE file.
#pragma once

#include <string>

#include "tools/synth/loop_buffer.h"

bool WriteMonoWav16(const std::string& path, const LoopBuffer& clip);
