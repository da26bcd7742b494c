// INI profile functions with the platform's documented behaviour. Writes are atomic:
// a temporary file replaces the old one, so an interrupted write never loses it.
//
// How the layer settles what the platform leaves open:
// - File names are layer paths ('\' or '/'); one without a folder is relative to the
//   current directory. Every call reads the file afresh; nothing is cached.
// - Section and key names compare case-insensitively (ASCII) after trimming blanks, so a
//   key asked for as "MovingPath " finds "MovingPath" in the file. Values are trimmed and
//   lose one pair of matching single or double quotes. Lines starting with ';' or '#'
//   are comments. With sections of the same name, the first holding the key wins.
// - Both LF and CRLF files are read; a rewrite keeps the line ending of the file's first
//   line (new files get LF) and a leading UTF-8 byte-order mark.
// - GetPrivateProfileIntA: a leading decimal with optional sign, saturated to 32 bits;
//   the default when the key is missing or its value does not start with a number.
// - GetPrivateProfileStringA: the value (or the default, trailing blanks removed) cut to
//   size - 1 characters and always terminated; returns the characters copied. A null
//   section lists the section names, a null key the section's key names, each ended by
//   '\0' with a final extra '\0' (size - 2 when the list had to be cut).
// - GetPrivateProfileSectionA: every "key=value" line of the section (of each section of
//   that name, in file order), names and values as the reads above see them, in the same
//   list form; size - 2 means the list was cut and the caller should ask with more room.
// - WritePrivateProfileStringA: replaces a key's value in place, else adds it at the end
//   of its section, else adds the section at the end of the file; a null value deletes
//   the key, a null key the section. Names or values that would change how the file
//   parses (line breaks, '=' or a leading '[', ';', '#' in a key, ']' in a section) are
//   refused with FALSE, as is a file that exists but cannot be read and a read-only one;
//   the file is then left as it was. Writes of several processes to one file take turns,
//   each holding a lock on the file's folder across its read, change and replacement.
// - A file in a folder that is not the user's to write is kept as a per-user copy (see
//   profile_place.h); the program's paths stay as they are.
// - The last error says how the file went: ERROR_SUCCESS when it was read (or written),
//   ERROR_FILE_NOT_FOUND when there is none, the reason (ERROR_ACCESS_DENIED,
//   ERROR_DISK_FULL, ...) when it could not be read or replaced.
#pragma once

#include "platform/kernel/types.h"

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                               LPSTR buffer, DWORD size, LPCSTR fileName);
DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
