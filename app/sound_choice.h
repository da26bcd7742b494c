// The listener's three ways to hear the sound, as the system menu offers them and the
// settings file keeps them.
#pragma once

#include "platform/dsound/dsound.h"
#include "platform/kernel/types.h"

struct SoundChoice {
    SoundRendering rendering;
    UINT command;   // system-menu id: a multiple of 16, clear of the about entry's 16..31
    UINT textId;    // string resource of its menu item
    const char* word;  // its value in the settings file
};

// In menu order; the first is the default.
extern const SoundChoice kSoundChoices[3];

const SoundChoice& SoundChoiceOf(SoundRendering rendering);
// The choice a system command picks (its low four bits ignored), or null.
const SoundChoice* SoundChoiceOfCommand(UINT id);
// A stored word, any case; anything else, or nothing, is automatic.
SoundRendering SoundRenderingOfWord(const char* word);
