#include "platform/kernel/profile_place.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/module.h"

namespace kernel {
namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

// A folder without any write permission, or one this process may not write, is not the
// user's; a folder that does not exist is nobody's business here (a write then fails).
bool IsProtectedFolder(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return (st.st_mode & kAnyWrite) == 0 || ::access(folder.c_str(), W_OK) != 0;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "";
}

// The program's own name, from its executable.
std::string ProgramName() {
    char path[4096];
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string layer = path;
    const std::size_t slash = layer.rfind('\\');
    return slash == std::string::npos ? layer : layer.substr(slash + 1);
}

// $XDG_CONFIG_HOME/<program>, with the standard's fallback to ~/.config for a value that
// is missing or not absolute; empty when there is no home either.
std::string UserCopyFolder() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else {
        const std::string home = HomeFolder();
        if (home.empty()) return "";
        base = home + "/.config";
    }
    const std::string program = ProgramName();
    return program.empty() ? "" : base + "/" + program;
}

bool MakeFolders(const std::string& folder, int* error) {
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        *error = ENOTDIR;
        return false;
    }
    const std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent, error)) return false;
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
    *error = errno;
    return false;
}

}  // namespace

ProfilePlace PlaceOfProfile(LPCSTR fileName) {
    const std::string native = NativePath(fileName);
    ProfilePlace place{native, native, false};
    if (!IsProtectedFolder(FolderOf(native))) return place;
    const std::string folder = UserCopyFolder();
    if (folder.empty()) return place;
    const std::size_t slash = native.rfind('/');
    place.write = folder + "/" + (slash == std::string::npos ? native : native.substr(slash + 1));
    place.userCopy = true;
    struct stat st;
    if (::lstat(place.write.c_str(), &st) == 0) place.read = place.write;
    return place;
}

bool PrepareWrite(const ProfilePlace& place, int* error) {
    return !place.userCopy || MakeFolders(FolderOf(place.write), error);
}

}  // namespace kernel
