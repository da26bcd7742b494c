// Whether the output renders binaural (HRTF): the listener's choice, what the user wrote in
// OpenAL Soft's own settings, and whether the output the sound plays on is headphones.
#pragma once

#include <optional>
#include <string>

#include "platform/dsound/dsound.h"

namespace dsound_detail {

// The two of OpenAL Soft's settings that decide binaural rendering, as the user left them
// in the files OpenAL Soft reads; nothing where a value is missing or "auto".
struct AlsoftSettings {
    std::optional<bool> hrtf;        // [general] hrtf = true / false
    std::optional<bool> headphones;  // [general] stereo-mode = headphones / speakers
};

// Reads the settings from the text of one of OpenAL Soft's configuration files over
// `settings`, so that later files win, as they do in OpenAL Soft.
void ParseAlsoftSettings(const std::string& text, AlsoftSettings* settings);

// The user's settings, read once per process from OpenAL Soft's own files in its order:
// the system's, each XDG configuration folder's, ~/.alsoftrc, the user's XDG
// configuration folder's, the program folder's and $ALSOFT_CONF.
const AlsoftSettings& UserAlsoftSettings();

// The user's settings win over the listener's choice, which wins over the output.
bool WantsHrtf(SoundRendering choice, const AlsoftSettings& user, bool outputIsHeadphones);

}  // namespace dsound_detail
