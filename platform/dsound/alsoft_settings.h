// OpenAL Soft's own settings: what the user wrote in the files it reads, and what the layer
// hands it on top of them before it first reads them.
#pragma once

#include <optional>
#include <string>

namespace dsound_detail {

// What the user's files say about binaural rendering and the stream's size; nothing where
// a value is missing or "auto".
struct AlsoftSettings {
    std::optional<bool> hrtf;        // [general] hrtf = true / false
    std::optional<bool> headphones;  // [general] stereo-mode = headphones / speakers
    bool sizesStream = false;        // [general] period_size or periods
};

// Reads the settings from the text of one of OpenAL Soft's files over `settings`, so that
// later files win, as they do in OpenAL Soft.
void ParseAlsoftSettings(const std::string& text, AlsoftSettings* settings);

// The user's settings, read once per process from OpenAL Soft's files in its order: the
// system's, each XDG configuration folder's, ~/.alsoftrc, the user's XDG configuration
// folder's, the program folder's and $ALSOFT_CONF.
const AlsoftSettings& UserAlsoftSettings();

// Once, before the first call into OpenAL Soft: the layer decides binaural rendering
// itself (so the listener's explicit choice wins over the user's hrtf value, which still
// decides Automatic), and the stream mixes little ahead unless the user sized it.
void HandOverAlsoftSettings();

}  // namespace dsound_detail
