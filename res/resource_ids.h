// Ids of the program's resources: dialog templates, icon, bitmaps and strings.
#pragma once

#include "platform/kernel/types.h"
// The three skin bitmaps (IDB_PANEL 129, IDB_SHEET 130, IDB_MAIN 131) are declared with
// the skin that uses them.
#include "skin/skin_layout.h"

// Dialog templates.
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDD_MAIN = 102;

// The application icon.
constexpr UINT IDI_MAINFRAME = 128;

// Message texts.
constexpr UINT IDS_ABOUTBOX = 101;   // system-menu entry that opens the about box
constexpr UINT IDS_LOADERROR = 104;  // shown after the path of a clip that cannot be played
constexpr UINT IDS_FILEMISSING = 105;  // shown after the path of a clip that does not exist
constexpr UINT IDS_FILEDENIED = 116;   // shown after the path of a clip the user may not read
constexpr UINT IDS_NOAUDIO = 148;    // no audio device at start-up
// The system menu's choice of how the sound is rendered.
constexpr UINT IDS_SOUND_AUTOMATIC = 149;
constexpr UINT IDS_SOUND_HEADPHONES = 150;
constexpr UINT IDS_SOUND_SPEAKERS = 151;

// Tool tips of the control panel's buttons: the five built-in clips...
constexpr UINT IDS_TIP_LOOPY = 106;
constexpr UINT IDS_TIP_DRUMS = 107;
constexpr UINT IDS_TIP_HELICOPTER = 108;
constexpr UINT IDS_TIP_HIGHHEELS = 109;
constexpr UINT IDS_TIP_DEMO = 110;
// ...the five motion paths...
constexpr UINT IDS_TIP_MANUAL = 111;
constexpr UINT IDS_TIP_HORIZONTAL = 112;
constexpr UINT IDS_TIP_VERTICAL = 113;
constexpr UINT IDS_TIP_FLYBY = 114;
constexpr UINT IDS_TIP_INSECT = 115;
// ...and the six rooms.
constexpr UINT IDS_TIP_BATHROOM = 124;
constexpr UINT IDS_TIP_CONCERTHALL = 128;
constexpr UINT IDS_TIP_HANGAR = 131;
constexpr UINT IDS_TIP_SEWERPIPE = 142;
constexpr UINT IDS_TIP_UNDERWATER = 143;
constexpr UINT IDS_TIP_KTV = 147;

// Tool tips of the other controls, and the custom list's hints.
constexpr UINT IDS_TIP_CUSTOM = 160;        // Custom, with a file to play
constexpr UINT IDS_TIP_CUSTOM_NOFILE = 161;  // Custom, with none chosen: says how to add one
constexpr UINT IDS_TIP_ADDFILE = 162;
constexpr UINT IDS_TIP_REMOVEFILE = 163;
constexpr UINT IDS_TIP_PLAY = 164;
constexpr UINT IDS_TIP_STOP = 165;
constexpr UINT IDS_TIP_EXIT = 166;
constexpr UINT IDS_TIP_SPEAKERS = 167;
constexpr UINT IDS_CUE_EMPTYLIST = 168;     // shown in the empty custom list
constexpr UINT IDS_CUE_PICKFILE = 169;      // shown in the list while nothing is selected
constexpr UINT IDS_NOTPLAYABLE = 170;       // heads the files given to the player that it cannot play

// The binaural data sets in the system menu: their import and the listening test.
constexpr UINT IDS_HRTF_HEADING = 180;      // greyed item above the sets
constexpr UINT IDS_HRTF_IMPORT = 181;       // system-menu entry
constexpr UINT IDS_HRTF_IMPORTED = 182;     // format: the set's name
constexpr UINT IDS_HRTF_NOTIMPORTED = 183;  // format: the file, the reason
constexpr UINT IDS_EARTEST = 184;           // system-menu entry
constexpr UINT IDS_EARTEST_CAPTION = 185;
constexpr UINT IDS_EARTEST_INTRO = 186;     // format: bursts, sets
constexpr UINT IDS_EARTEST_INTRO_ONE = 190; // format: bursts; only the built-in set on offer
constexpr UINT IDS_EARTEST_NOBINAURAL = 187;
constexpr UINT IDS_EARTEST_PROGRESS = 188;  // format: this burst, bursts
constexpr UINT IDS_EARTEST_RESULTS = 189;   // format: the bursts, one line per set, the best set
