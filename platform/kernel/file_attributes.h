// What a name in the file system is, the platform's way.
#pragma once

#include "platform/kernel/types.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x40;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// The attributes of a layer path, or INVALID_FILE_ATTRIBUTES with the reason in the last
// error (ERROR_FILE_NOT_FOUND when nothing has that name). Read-only means no write
// permission bit at all; a pipe, socket or device counts as a device.
DWORD GetFileAttributesA(LPCSTR fileName);
