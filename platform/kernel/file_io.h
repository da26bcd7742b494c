// Files opened for reading, the platform's way, and the current directory.
#pragma once

#include "platform/kernel/sync.h"
#include "platform/kernel/types.h"

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD FILE_SHARE_READ = 0x00000001u;
constexpr DWORD OPEN_EXISTING = 3;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Opens an existing regular file for reading (GENERIC_READ, OPEN_EXISTING; sharing,
// attributes and template are accepted and ignored); CloseHandle closes it. Never waits:
// a pipe, socket or device in the file's place would block the open or never end, so it
// is refused with ERROR_BAD_FILE_TYPE. Otherwise INVALID_HANDLE_VALUE with the reason in
// the last error: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED (a
// folder too, as on the platform, and a file without any read permission, whoever runs
// the program), ERROR_CANT_RESOLVE_FILENAME for a loop of links.
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// Reads up to toRead bytes at the file's position; *read is 0 at its end.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void* overlapped);

// The current directory in the layer's path form. Returns its length; when the buffer is
// too small, the size it needs (terminator included) and the buffer is left alone.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
