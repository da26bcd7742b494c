// The executable's own path, the layer's path form, and LoadLibrary over the layer's own
// modules (there is no dynamic loading of foreign code: a module is a table of entry points).
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "platform/kernel/types.h"

using FARPROC = void (*)();

// The executable's real path, with '/' turned into '\'. Returns the characters written
// (without the terminator); truncates to the buffer and always terminates when size > 0.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// The instance handle of the program itself (what AfxGetInstanceHandle gives).
HINSTANCE GetModuleHandleA(LPCSTR name);

// Layer path ('\' separators, no drive letter; '/' accepted too) to a native path.
std::string NativePath(const char* layerPath);
// Native path to the layer's form.
std::string LayerPath(const std::string& nativePath);

// The platform's multibyte-aware last-occurrence search. UTF-8 never puts an ASCII byte
// inside a multibyte sequence, so the last matching byte is the answer; kept as its own
// function so callers say what they mean.
unsigned char* _mbsrchr(const unsigned char* text, unsigned int c);

// A module the layer provides: its name ("dsound.dll") and its exported entry points.
// Registration is idempotent; names compare case-insensitively, as on the platform.
void RegisterLayerModule(const char* name, std::initializer_list<std::pair<const char*, FARPROC>> exports);

HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
