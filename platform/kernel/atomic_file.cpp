#include "platform/kernel/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace kernel {
namespace {

std::atomic<ReplaceFault> g_fault{ReplaceFault::None};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A settings file reached through a symbolic link is replaced where it really lives,
// so the link survives.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return path;
    return resolved;
}

std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    return path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(entropy());
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    FileDescriptor dir(fd);
    ::fsync(dir.get());
}

}  // namespace

ReadOutcome ReadWholeFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Failed;
    FileDescriptor file(fd);
    struct stat st;
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadOutcome::Failed;
    char chunk[16384];
    for (;;) {
        ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadOutcome::Failed;
        if (n == 0) break;
        if (bytes->size() + static_cast<std::size_t>(n) > kMaxWholeFileBytes) return ReadOutcome::Failed;
        bytes->append(chunk, static_cast<std::size_t>(n));
    }
    return ReadOutcome::Ok;
}

bool ReplaceFileAtomically(const std::string& requestedPath, const std::string& bytes) {
    const std::string path = ResolveLink(requestedPath);
    const std::string temporary = TemporaryName(path);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    FileDescriptor file(fd);
    struct stat old;
    if (::stat(path.c_str(), &old) == 0) ::fchmod(file.get(), old.st_mode & 07777);
    bool written = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    written = file.Close() && written;
    if (!written || g_fault.load() == ReplaceFault::BeforeRename) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

void SetReplaceFaultForTesting(ReplaceFault fault) { g_fault.store(fault); }

}  // namespace kernel
