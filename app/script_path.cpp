#include "app/script_path.h"

#include <initializer_list>
#include <vector>

#include "app/program_dir.h"
#include "platform/kernel/file_attributes.h"
#include "platform/kernel/file_io.h"

bool IsAbsolutePath(const char* name) { return name && (name[0] == '\\' || name[0] == '/'); }

std::string CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return "";
    std::vector<char> folder(needed);
    if (GetCurrentDirectoryA(needed, folder.data()) >= needed) return "";
    return folder.data();
}

bool FindDemoScript(const char* name, char* path, std::size_t size) {
    if (IsAbsolutePath(name)) return CopyPath(path, size, name);
    std::string fallback;
    const bool named = name && name[0] != '\0';
    for (const std::string& folder : {GetProgramDir(), CurrentFolder()}) {
        if (!named || folder.empty()) continue;
        const std::string candidate = folder + "\\" + name;
        if (candidate.size() >= size) continue;
        const DWORD attributes = GetFileAttributesA(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return CopyPath(path, size, candidate.c_str());
        if (fallback.empty()) fallback = candidate;
    }
    return CopyPath(path, size, fallback.c_str()) && !fallback.empty();
}
