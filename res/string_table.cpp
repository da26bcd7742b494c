#include "res/string_table.h"

#include "platform/user/winuser.h"
#include "res/resource_ids.h"

namespace zor_res {
namespace {

const StringEntry kStrings[] = {
    {IDS_ABOUTBOX, "About Zor3DPlayer..."},
    {IDS_LOADERROR, "cannot be played: it is not an audio file the player reads (WAV, FLAC, Ogg Vorbis, Opus, "
                    "MP3) in a form the sound device accepts, or it is damaged or too large."},
    {IDS_FILEMISSING, "cannot be played: the file is missing."},
    {IDS_FILEDENIED, "cannot be played: you are not allowed to read it."},
    {IDS_NOAUDIO, "No audio device was found. Connect speakers or headphones and start Zor3DPlayer again."},
    {IDS_SOUND_AUTOMATIC, "Sound for: automatic"},
    {IDS_SOUND_HEADPHONES, "Headphones (binaural 3D)"},
    {IDS_SOUND_SPEAKERS, "Speakers"},
    {IDS_TIP_LOOPY, "Loopy music (1)"},
    {IDS_TIP_DRUMS, "Drums (2)"},
    {IDS_TIP_HELICOPTER, "Helicopter (3)"},
    {IDS_TIP_HIGHHEELS, "High heels (4)"},
    {IDS_TIP_DEMO, "Demo jingle (5)"},
    {IDS_TIP_MANUAL, "Manual (M) - drag the source, or move it with the arrow keys"},
    {IDS_TIP_HORIZONTAL, "Horizontal circle (H)"},
    {IDS_TIP_VERTICAL, "Vertical circle (V)"},
    {IDS_TIP_FLYBY, "Fly-by (F)"},
    {IDS_TIP_INSECT, "Insect (I)"},
    {IDS_TIP_BATHROOM, "Bathroom (B)"},
    {IDS_TIP_CONCERTHALL, "Concert hall (C)"},
    {IDS_TIP_SEWERPIPE, "Sewer pipe (S)"},
    {IDS_TIP_KTV, "KTV, a karaoke room (K)"},
    {IDS_TIP_UNDERWATER, "Underwater (U)"},
    {IDS_TIP_HANGAR, "Hangar (G)"},
    {IDS_TIP_CUSTOM, "Custom (6) - plays the file chosen in the list; Tab reaches the list"},
    {IDS_TIP_CUSTOM_NOFILE, "Custom (6) - no file chosen yet: add an audio file with + (or drop one on the "
                            "window), then pick it in the list"},
    {IDS_TIP_ADDFILE, "Add an audio file to the list (+ or Insert)"},
    {IDS_TIP_REMOVEFILE, "Remove the chosen file from the list (- or Delete)"},
    {IDS_TIP_PLAY, "Play (Space)"},
    {IDS_TIP_STOP, "Stop (Space)"},
    {IDS_TIP_EXIT, "Exit (Ctrl+Q) - your choices are kept for next time"},
    {IDS_TIP_SPEAKERS, "What the sound device plays on: headphones, two, four or six speakers"},
    {IDS_CUE_EMPTYLIST, "Add with +"},
    {IDS_CUE_PICKFILE, "Pick a file"},
    {IDS_NOTPLAYABLE, "These files cannot be played: they are not audio files the player reads (WAV, FLAC, Ogg "
                      "Vorbis, Opus, MP3), or they are damaged or too large."},
    {IDS_HRTF_HEADING, "Binaural head (HRTF set) for headphones:"},
    {IDS_HRTF_IMPORT, "Import HRTF (SOFA file)…"},
    {IDS_HRTF_IMPORTED, "The HRTF set \"%s\" was imported and is now in use on headphones."},
    {IDS_HRTF_NOTIMPORTED, "%s cannot be imported: %s.\n\nThe set in use has not changed."},
    {IDS_EARTEST, "Test my ears…"},
    {IDS_EARTEST_CAPTION, "Test my ears"},
    {IDS_EARTEST_INTRO,
     "Put on your headphones.\n\nYou will hear %d short bursts of noise, one at a time, each from a hidden "
     "direction around your head. After each one, click in the listening room where you heard it: the top of the "
     "room is in front of you, the bottom behind you, and your head is in the middle.\n\nThe test compares %d "
     "binaural sets (HRTF sets) and chooses the one that lets you place the sounds best. Esc or Exit ends it "
     "early."},
    {IDS_EARTEST_INTRO_ONE,
     "Put on your headphones.\n\nYou will hear %d short bursts of noise, one at a time, each from a hidden "
     "direction around your head. After each one, click in the listening room where you heard it: the top of the "
     "room is in front of you, the bottom behind you, and your head is in the middle.\n\nOnly the built-in "
     "binaural set (HRTF set) is on offer, so the test shows how well you place sounds with it. Import others with "
     "\"Import HRTF (SOFA file)…\" and test again to find the one that fits you best. Esc or Exit ends it "
     "early."},
    {IDS_EARTEST_NOBINAURAL, "The sound output cannot play binaural 3D at the moment (OpenAL Soft renders it only "
                             "on a stereo output at 44.1 or 48 kHz), so the test cannot run."},
    {IDS_EARTEST_PROGRESS, "Burst %d of %d: click in the room where you heard it"},
    {IDS_EARTEST_RESULTS, "Your results after %d bursts:\n\n%s\nThe best for your ears: %s. It is now in use on "
                          "headphones."},
};

constexpr const char* kAboutText =
    "Zor3DPlayer\n"
    "Version 002\n\n"
    "Demonstrates positional 3D audio: one clip moves around your head along the path you "
    "choose, in the room you choose.\n\n"
    "Headphones give the best effect: when the output says it is headphones or a headset, the "
    "sound is binaural (3D over two ears) by itself. To choose, right-click the window: "
    "\"Sound for\" automatic, headphones (binaural 3D) or speakers. The sound follows the "
    "output your desktop plays on. The same menu chooses the binaural head (HRTF set), imports "
    "your own from a SOFA file, and tests which one fits your ears.";

const DialogEntry kDialogs[] = {
    {IDD_ABOUTBOX, {"About Zor3DPlayer", 400, 250, "DejaVu Sans", 9, WS_POPUP | WS_CAPTION | WS_SYSMENU, kAboutText, true}},
    {IDD_MAIN, {"Zor3DPlayer", 640, 455, "DejaVu Sans", 9, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX}},
};

}  // namespace

const StringEntry* Strings(std::size_t* count) {
    *count = sizeof kStrings / sizeof kStrings[0];
    return kStrings;
}

const DialogEntry* Dialogs(std::size_t* count) {
    *count = sizeof kDialogs / sizeof kDialogs[0];
    return kDialogs;
}

}  // namespace zor_res
