#include "platform/kernel/last_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

const char* SystemText(DWORD id) {
    switch (id) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return "The file does not exist.";
    case ERROR_PATH_NOT_FOUND: return "A folder on the path does not exist.";
    case ERROR_ACCESS_DENIED: return "Permission denied.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Not enough memory.";
    case ERROR_WRITE_PROTECT: return "The disk is read-only.";
    case ERROR_WRITE_FAULT: return "The disk could not be written.";
    case ERROR_READ_FAULT: return "The disk could not be read.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_DISK_FULL: return "The disk is full.";
    case ERROR_FILENAME_EXCED_RANGE: return "The name is too long.";
    case ERROR_BAD_FILE_TYPE: return "It is not a regular file.";
    case ERROR_FILE_TOO_LARGE: return "The file is too large.";
    case ERROR_CANT_RESOLVE_FILENAME: return "Its symbolic links go round in a loop.";
    default: return nullptr;
    }
}

}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EISDIR:
    case ENODEV:
    case ENXIO: return ERROR_BAD_FILE_TYPE;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EIO: return ERROR_WRITE_FAULT;
    default: return ERROR_GEN_FAILURE;
    }
}

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, void*) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char unknown[48];
    const char* text = SystemText(messageId);
    if (!text) {
        std::snprintf(unknown, sizeof unknown, "Error %lu.", static_cast<unsigned long>(messageId));
        text = unknown;
    }
    const std::size_t length = std::strlen(text) < size - 1 ? std::strlen(text) : size - 1;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}
