#include "platform/kernel/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/kernel/kernel_object.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/module.h"

namespace {

struct File : kernel::KernelObject {
    explicit File(int descriptor) : KernelObject(Kind::File), fd(descriptor) {}
    ~File() override { ::close(fd); }
    int fd;
};

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD creationDisposition, DWORD,
                   HANDLE) {
    if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND);
    if (access != GENERIC_READ || creationDisposition != OPEN_EXISTING) return Fail(ERROR_INVALID_PARAMETER);
    const std::string path = NativePath(fileName);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno));
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (!S_ISREG(st.st_mode)) return Fail(ERROR_BAD_FILE_TYPE);
    // A file its owner made unreadable to all stays unread, whoever runs the program.
    if ((st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) == 0) return Fail(ERROR_ACCESS_DENIED);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Fail(ErrorFromErrno(errno));
    // The name may have changed hands since it was looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(ERROR_BAD_FILE_TYPE);
    }
    SetLastError(ERROR_SUCCESS);
    return new File(fd);
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, DWORD* read, void*) {
    auto* object = static_cast<kernel::KernelObject*>(handle);
    if (read) *read = 0;
    if (!object || handle == INVALID_HANDLE_VALUE || object->kind != kernel::KernelObject::Kind::File ||
        (!buffer && toRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ssize_t n;
    do {
        n = ::read(static_cast<File*>(object)->fd, buffer, toRead);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetLastError(errno == EIO ? ERROR_READ_FAULT : ErrorFromErrno(errno));
        return FALSE;
    }
    if (read) *read = static_cast<DWORD>(n);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) {
        SetLastError(ErrorFromErrno(error.value()));
        return 0;
    }
    const std::string layer = LayerPath(current.string());
    if (!buffer || layer.size() + 1 > size) return static_cast<DWORD>(layer.size() + 1);
    std::memcpy(buffer, layer.c_str(), layer.size() + 1);
    return static_cast<DWORD>(layer.size());
}
