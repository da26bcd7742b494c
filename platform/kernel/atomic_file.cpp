#include "platform/kernel/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
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

// Links followed before a chain counts as a loop, as the system counts them.
constexpr int kMaxLinkHops = 40;

constexpr char kTemporaryMarker[] = ".tmp";
// A writer is done with its temporary file within moments; one this old was left behind.
// A writer's process id says nothing when it ran in another pid namespace (a container
// sharing the folder), so the age decides too.
constexpr time_t kAbandonedAfterSeconds = 60;

// "<file>.tmp<pid>-<n>-<r>": the writer's process id, a count and a random number.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    return path + kTemporaryMarker + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(entropy());
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The writer's process id from a temporary name of file, or 0 when name is not one.
pid_t WriterOfTemporary(const std::string& name, const std::string& file) {
    const std::string prefix = file + kTemporaryMarker;
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    const std::string rest = name.substr(prefix.size());
    const std::size_t first = rest.find('-');
    const std::size_t second = first == std::string::npos ? first : rest.find('-', first + 1);
    if (second == std::string::npos) return 0;
    const std::string pid = rest.substr(0, first);
    if (!AllDigits(pid) || pid.size() > 9 || !AllDigits(rest.substr(first + 1, second - first - 1)) ||
        !AllDigits(rest.substr(second + 1)))
        return 0;
    return static_cast<pid_t>(std::stol(pid));
}

// A writer killed between writing its temporary file and the rename leaves the file
// behind; once that process is gone nobody else will remove it. A live writer's file,
// this process's own included, may be in use and stays.
void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::size_t slash = path.rfind('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t writer = WriterOfTemporary(entry->d_name, file);
        if (writer <= 0 || writer == ::getpid()) continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (now - st.st_mtime < kAbandonedAfterSeconds) continue;
        if (::kill(writer, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool FinalPath(const std::string& path, std::string* target, int* error) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st;
        const bool exists = ::lstat(current.c_str(), &st) == 0;
        if (!exists && errno != ENOENT) {
            *error = errno;
            return false;
        }
        if (!exists || !S_ISLNK(st.st_mode)) {
            *target = current;  // made there when it does not exist yet
            return true;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), link, sizeof link - 1);
        if (length < 0) {
            *error = errno;
            return false;
        }
        const std::string next(link, static_cast<std::size_t>(length));
        current = next[0] == '/' ? next : FolderOf(current) + "/" + next;
    }
    *error = ELOOP;
    return false;
}

bool MayReplace(const std::string& path, int* error) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return true;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0) return true;
    *error = EACCES;
    return false;
}

ReadOutcome ReadWholeFile(const std::string& path, std::string* bytes, int* error) {
    bytes->clear();
    const auto failed = [error](int why) {
        if (error) *error = why;
        return ReadOutcome::Failed;
    };
    const auto missingOrFailed = [&failed](int why) {
        return why == ENOENT || why == ENOTDIR ? ReadOutcome::Missing : failed(why);
    };
    // A pipe or device in the file's place would block the open or never end: only a
    // regular file is opened, and what was opened is checked again.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return missingOrFailed(errno);
    if (!S_ISREG(st.st_mode)) return failed(EINVAL);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return missingOrFailed(errno);
    FileDescriptor file(fd);
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return failed(EINVAL);
    char chunk[16384];
    for (;;) {
        ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(errno);
        if (n == 0) break;
        if (bytes->size() + static_cast<std::size_t>(n) > kMaxWholeFileBytes) return failed(EFBIG);
        bytes->append(chunk, static_cast<std::size_t>(n));
    }
    return ReadOutcome::Ok;
}

bool ReplaceFileAtomically(const std::string& requestedPath, const std::string& bytes, int* error) {
    const auto fail = [error](int why) {
        if (error) *error = why;
        return false;
    };
    std::string path;
    int why = 0;
    if (!FinalPath(requestedPath, &path, &why) || !MayReplace(path, &why)) return fail(why);
    struct stat old;
    const bool exists = ::stat(path.c_str(), &old) == 0;
    RemoveStaleTemporaries(path);
    const std::string temporary = TemporaryName(path);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    // The file's name is new, so a name that is not there is its folder's.
    if (fd < 0) return fail(errno == ENOENT ? ENOTDIR : errno);
    FileDescriptor file(fd);
    if (exists) ::fchmod(file.get(), old.st_mode & 07777);
    errno = 0;
    if (!WriteAll(file.get(), bytes) || ::fsync(file.get()) != 0) why = errno ? errno : EIO;
    if (!file.Close() && why == 0) why = errno;
    if (g_fault.load() == ReplaceFault::BeforeRename) return fail(EIO);  // as if the process died here
    if (why == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) why = errno;
    if (why != 0) {
        ::unlink(temporary.c_str());
        return fail(why);
    }
    // The folder is not flushed after the rename: a crash right after it can bring the
    // previous content back, never a torn file, and each save skips a second wait for
    // the disk.
    return true;
}

FolderLock::FolderLock(const std::string& path) {
    std::string target;
    int error = 0;
    if (!FinalPath(path, &target, &error)) target = path;
    m_fd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return;
    // Without locking support (some network file systems) nothing is held; the writes
    // are still atomic, only no longer taken in turns.
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FolderLock::~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
}

void SetReplaceFaultForTesting(ReplaceFault fault) { g_fault.store(fault); }

}  // namespace kernel
