// The binaural data sets OpenAL Soft can render with: where the user's own ones live, how
// a measured SOFA file becomes one, and what OpenAL Soft's names for them say.
#pragma once

#include <string>
#include <vector>

namespace hrtf {

// OpenAL Soft 1.19 renders with a set only at the output's own rate, so every import is
// written at both rates outputs run at.
constexpr unsigned kSetRates[] = {44100, 48000};

// OpenAL Soft's data folder for the user's own sets: $XDG_DATA_HOME/openal/hrtf, or
// ~/.local/share/openal/hrtf.
std::string UserSetFolder();

struct ImportResult {
    bool ok = false;
    std::string name;    // the new set's name, as the set list shows it
    std::string reason;  // when not ok: why, in words for the user
};

// Writes a SOFA file as a set named after the file, at every rate, into the folder (made
// when missing). Both files appear together or not at all; a set of the same name is
// replaced.
ImportResult ImportSofaFile(const std::string& sofaPath, const std::string& folder = UserSetFolder());

// The names of the sets imported into the folder, the most recently imported first.
std::vector<std::string> ImportedSetNames(const std::string& folder = UserSetFolder());

// What OpenAL Soft's name for a set tells: the name a listener knows it by (the rate it
// was written for taken off) and that rate; 0 when neither the name nor the file found
// under that name in OpenAL Soft's data folders tells it.
struct SetLabel {
    std::string name;
    unsigned rate = 0;
    bool builtIn = false;  // the set compiled into OpenAL Soft
};
SetLabel LabelOfSet(const std::string& openalName);

// Of OpenAL Soft's sets (by its names, in its order), those an output at the rate can
// render with (or may: their rate unknown), once per name, the built-in one first: each by
// its place in OpenAL Soft's list and the name a listener knows it by.
struct OfferedSet {
    int index;
    std::string name;
    bool builtIn;
};
std::vector<OfferedSet> SetsOnOffer(const std::vector<std::string>& openalNames, unsigned rate);

}  // namespace hrtf
