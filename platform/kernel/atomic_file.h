// Whole-file reads and crash-safe replacement: the new content goes to a temporary file
// in the same folder, is flushed to disk, and is renamed over the old file, so at any
// moment, a crash included, the path holds either the complete old or the complete new
// content.
#pragma once

#include <string>

namespace kernel {

enum class ReadOutcome { Ok, Missing, Failed };

// Files larger than this are refused rather than loaded; no profile is anywhere near it.
constexpr std::size_t kMaxWholeFileBytes = 16u * 1024u * 1024u;

// On Failed, error (when given) is the errno of the failure; EINVAL for a name that is
// not a regular file, EFBIG for one over the limit.
ReadOutcome ReadWholeFile(const std::string& path, std::string* bytes, int* error = nullptr);

// Where a replacement of path lands: through every symbolic link to the file the last one
// names, which need not exist yet (a dangling link is followed, never replaced). False
// with the errno (ELOOP for a loop of links) when it cannot be told.
bool FinalPath(const std::string& path, std::string* target, int* error);

// A file without any write permission, or one this process may not write, is read-only:
// false with EACCES. A file that does not exist may be made.
bool MayReplace(const std::string& path, int* error);

// Goes through symbolic links to the file they name (FinalPath) and keeps the old file's
// permissions; a new file gets 0666 less the umask. A read-only file (MayReplace) is left
// as it is and the replacement fails with EACCES. Removes the temporary files that
// earlier writers left beside it when they were killed before their rename, once they
// are old enough that no writer can still be at work on them. On failure, error (when
// given) is the errno of the step that failed, and the old file is untouched.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, int* error = nullptr);

// Holds an exclusive lock that every process's replacement of a file in the folder
// holding path takes, for a read-modify-write across processes.
class FolderLock {
public:
    explicit FolderLock(const std::string& path);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// The folder part of a native path ("." for a bare name).
std::string FolderOf(const std::string& path);

// For tests: make the next replacements stop after the temporary file is complete but
// before it is renamed, as if the process died there.
enum class ReplaceFault { None, BeforeRename };
void SetReplaceFaultForTesting(ReplaceFault fault);

}  // namespace kernel
