// INI profile functions with the platform's documented behaviour, and its profile cache:
// writes are held and reach the file together, in one atomic replacement (a temporary
// file renamed over the old one), when the program flushes them, so a save of many keys
// that is interrupted leaves the whole old file, never part of the new one.
//
// How the layer settles what the platform leaves open:
// - File names are layer paths ('\' or '/'); one without a folder is relative to the
//   current directory. A file without held writes is read afresh on every call.
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
//   refused with FALSE, as is a file that exists but cannot be read and a read-only one.
//   A write that is taken is held in the cache: this process's reads see it at once,
//   the file only once the cache is flushed.
// - WritePrivateProfileStringA(NULL, NULL, NULL, file) flushes the file's held writes in
//   one replacement (a null file: every file's), and is FALSE with the reason when that
//   failed; the held writes are dropped either way, so the file and its reads stay as
//   they were after a failure. What is still held when the process ends normally is
//   flushed then; a process that is killed leaves the file as it was. A flush holds a
//   lock on the file's folder across its read, change and replacement and applies the
//   held writes to what the file holds then, so processes writing to one file take turns
//   and none drops another's keys.
// - A file reached through symbolic links is written where the last one points, made
//   there if it does not exist yet; a loop of links is refused.
// - A file in a folder that is not the user's to write is kept as a per-user copy (see
//   profile_place.h); the program's paths stay as they are.
// - The last error says how the file went: ERROR_SUCCESS when it was read (or written),
//   ERROR_FILE_NOT_FOUND when there is none, the reason (ERROR_ACCESS_DENIED,
//   ERROR_DISK_FULL, ...) when it could not be read or replaced.
#pragma once

#include <string>

#include "platform/kernel/types.h"

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                               LPSTR buffer, DWORD size, LPCSTR fileName);
DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// Not the platform's: where a write of the file lands (the file itself, through its links,
// or the per-user copy), in the layer's path form, for messages that name it.
std::string ProfileFileLocation(LPCSTR fileName);
