// Where a profile file is kept. A file in a folder that is not the user's to write (a
// system-wide install) gets a per-user copy in $XDG_CONFIG_HOME/<program>/, the way the
// platform keeps per-user copies of files written into protected folders: the copy is
// read once it exists, the file itself otherwise, and every write goes to the copy.
#pragma once

#include <string>

#include "platform/kernel/types.h"

namespace kernel {

struct ProfilePlace {
    std::string read;   // native path a read takes its bytes from
    std::string write;  // native path a write replaces
    bool userCopy = false;
};

ProfilePlace PlaceOfProfile(LPCSTR fileName);

// Makes the user copy's folder exist (nothing for a file written where it is); the errno
// of the failure otherwise.
bool PrepareWrite(const ProfilePlace& place, int* error);

}  // namespace kernel
