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

ReadOutcome ReadWholeFile(const std::string& path, std::string* bytes);

// Keeps the old file's permissions; a new file gets 0666 less the umask. Removes the
// temporary files that earlier writers, killed before their rename, left beside it.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// For tests: make the next replacements stop after the temporary file is complete but
// before it is renamed, as if the process died there.
enum class ReplaceFault { None, BeforeRename };
void SetReplaceFaultForTesting(ReplaceFault fault);

}  // namespace kernel
