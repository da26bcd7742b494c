// `zor3dplayer --import-hrtf FILE.sofa`: the system menu's SOFA import from a terminal.
#pragma once

// The process's exit code when the command line asks for an import (0 imported, the
// set's name the last line on standard output; 2 and the reason on standard error), or
// -1 when it does not, and the player starts as usual.
int RunHrtfImportCommand(int argc, char** argv);
