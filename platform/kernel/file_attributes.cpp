#include "platform/kernel/file_attributes.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/kernel/module.h"

DWORD GetFileAttributesA(LPCSTR fileName) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    if (::stat(NativePath(fileName).c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (!S_ISREG(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DEVICE;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    SetLastError(ERROR_SUCCESS);
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}
