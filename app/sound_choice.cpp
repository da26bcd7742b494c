#include "app/sound_choice.h"

#include <strings.h>

#include "res/resource_ids.h"

const SoundChoice kSoundChoices[3] = {
    {SoundRendering::Automatic, 32, IDS_SOUND_AUTOMATIC, "automatic"},
    {SoundRendering::Headphones, 48, IDS_SOUND_HEADPHONES, "headphones"},
    {SoundRendering::Speakers, 64, IDS_SOUND_SPEAKERS, "speakers"},
};

const SoundChoice& SoundChoiceOf(SoundRendering rendering) {
    for (const SoundChoice& choice : kSoundChoices)
        if (choice.rendering == rendering) return choice;
    return kSoundChoices[0];
}

const SoundChoice* SoundChoiceOfCommand(UINT id) {
    // The system keeps the low four bits of a system command for itself.
    for (const SoundChoice& choice : kSoundChoices)
        if ((id & 0xFFF0u) == choice.command) return &choice;
    return nullptr;
}

SoundRendering SoundRenderingOfWord(const char* word) {
    for (const SoundChoice& choice : kSoundChoices)
        if (word && strcasecmp(word, choice.word) == 0) return choice.rendering;
    return SoundRendering::Automatic;
}
