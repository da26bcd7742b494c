// A file without held writes is read whole on every call, so an edit made while the
// program runs is seen by the next read. A file name without a folder is taken relative
// to the current directory (the platform would look in its own system folder, which has
// no counterpart here).
#include "platform/kernel/profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/ini_document.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/module.h"
#include "platform/kernel/profile_place.h"

namespace {

using kernel::IniDocument;

// Reads the file from where it is kept and leaves in the last error whether that worked:
// ERROR_SUCCESS once the file was read (whatever it holds), ERROR_FILE_NOT_FOUND for no
// file, the reason otherwise.
bool Load(const kernel::ProfilePlace& place, IniDocument* doc, kernel::ReadOutcome* outcome,
          std::string* read = nullptr) {
    std::string bytes;
    int error = 0;
    *outcome = kernel::ReadWholeFile(place.read, &bytes, &error);
    *doc = IniDocument::Parse(bytes);
    if (read) *read = std::move(bytes);
    switch (*outcome) {
    case kernel::ReadOutcome::Ok: SetLastError(ERROR_SUCCESS); break;
    case kernel::ReadOutcome::Missing: SetLastError(ERROR_FILE_NOT_FOUND); break;
    case kernel::ReadOutcome::Failed:
        SetLastError(error == EINVAL ? ERROR_BAD_FILE_TYPE : ErrorFromErrno(error));
        break;
    }
    return *outcome == kernel::ReadOutcome::Ok;
}

bool HasName(LPCSTR fileName) {
    if (fileName && *fileName) return true;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
}

DWORD CopyTruncated(const std::string& text, LPSTR buffer, DWORD size) {
    std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

// Strings separated by '\0' and ended by a second '\0'. When they do not fit, the list
// is cut, still double-terminated, and size - 2 is returned, as the platform does.
DWORD CopyStringList(const std::vector<std::string>& strings, LPSTR buffer, DWORD size) {
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::string list;
    for (const std::string& s : strings) {
        list += s;
        list += '\0';
    }
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty()) buffer[1] = '\0';
        return static_cast<DWORD>(list.size());
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// A leading decimal with an optional sign; values beyond 32 bits saturate.
bool ParseLeadingInt(const std::string& text, INT* value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) magnitude = static_cast<long long>(INT_MAX) + 1;
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX) signedValue = INT_MAX;
    *value = static_cast<INT>(signedValue);
    return true;
}

BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The writes of this process to one file that have not reached it yet, over the content
// the file had when the first of them was made.
struct HeldWrites {
    kernel::ProfilePlace place;
    std::string base;
    kernel::ReadOutcome baseOutcome;
    std::vector<kernel::IniChange> changes;
    IniDocument view;  // base with the changes, once asked for
    std::size_t viewedChanges = SIZE_MAX;

    const IniDocument& View() {
        if (viewedChanges != changes.size()) {
            view = IniDocument::Parse(base);
            view.Apply(changes);
            viewedChanges = changes.size();
        }
        return view;
    }
};

// The profile cache: held writes by the file's native path. What is still held when the
// process ends normally is written then.
class ProfileCache {
public:
    ~ProfileCache() {
        std::lock_guard<std::mutex> lock(mutex);
        while (!held.empty()) Flush(held.begin());
    }

    // Writes the held changes in one replacement of the file and forgets them, whether
    // or not that worked; the last error says how it went.
    bool Flush(std::map<std::string, HeldWrites>::iterator it) {
        HeldWrites writes = std::move(it->second);
        held.erase(it);
        kernel::ProfilePlace& place = writes.place;
        int error = 0;
        if (!kernel::PrepareWrite(place, &error)) return Refuse(ErrorFromErrno(error));
        // Another process's write since the first held one is read again under the
        // folder's lock, and the changes go on top of it: two players closing at once
        // leave the file as one or the other left it, never half of each.
        const kernel::FolderLock processes(place.write);
        struct stat st;
        if (place.userCopy && ::lstat(place.write.c_str(), &st) == 0) place.read = place.write;
        IniDocument doc;
        kernel::ReadOutcome outcome;
        std::string now;
        Load(place, &doc, &outcome, &now);
        if (outcome == kernel::ReadOutcome::Failed) return FALSE;
        if (outcome == writes.baseOutcome && now == writes.base) {
            doc = writes.View();
        } else {
            doc.Apply(writes.changes);
        }
        const std::string after = doc.Serialise();
        // A save that changes nothing costs no replacement and no wait for the disk.
        if ((outcome == kernel::ReadOutcome::Ok && after == now) ||
            (outcome == kernel::ReadOutcome::Missing && after.empty())) {
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        }
        if (!kernel::ReplaceFileAtomically(place.write, after, &error)) return Refuse(ErrorFromErrno(error));
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }

    std::mutex mutex;  // every call of this process, one at a time
    std::map<std::string, HeldWrites> held;
};

ProfileCache& Cache() {
    static ProfileCache cache;
    return cache;
}

// The file as this process sees it: its held writes over what it had, or what it has.
bool LoadShared(LPCSTR fileName, IniDocument* doc) {
    if (!HasName(fileName)) return false;
    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto it = cache.held.find(NativePath(fileName));
    if (it != cache.held.end()) {
        *doc = it->second.View();
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    kernel::ReadOutcome outcome;
    return Load(kernel::PlaceOfProfile(fileName), doc, &outcome);
}

}  // namespace

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
    if (!section || !key) return static_cast<UINT>(defaultValue);
    IniDocument doc;
    if (!LoadShared(fileName, &doc)) return static_cast<UINT>(defaultValue);
    std::optional<std::string> text = doc.Get(section, key);
    INT value = defaultValue;
    if (!text || !ParseLeadingInt(*text, &value)) return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(value);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName) {
    if (!buffer || size == 0) return 0;
    IniDocument doc;
    const bool loaded = LoadShared(fileName, &doc);
    if (!section) return CopyStringList(loaded ? doc.SectionNames() : std::vector<std::string>{}, buffer, size);
    if (!key) return CopyStringList(loaded ? doc.KeyNames(section) : std::vector<std::string>{}, buffer, size);
    if (loaded)
        if (std::optional<std::string> value = doc.Get(section, key)) return CopyTruncated(*value, buffer, size);
    // The platform drops trailing blanks of the default.
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
    return CopyTruncated(fallback, buffer, size);
}

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName) {
    if (!buffer || size == 0) return 0;
    IniDocument doc;
    const bool loaded = LoadShared(fileName, &doc);
    std::vector<std::string> lines;
    if (section && loaded) {
        for (const auto& [key, value] : doc.Entries(section)) {
            std::string line = key + "=" + value;
            // A NUL byte inside the line would otherwise split it into a false second entry.
            line.resize(std::strlen(line.c_str()));
            lines.push_back(std::move(line));
        }
    }
    return CopyStringList(lines, buffer, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    ProfileCache& cache = Cache();
    if (!section) {
        if (key || value) return Refuse(ERROR_INVALID_PARAMETER);
        std::lock_guard<std::mutex> lock(cache.mutex);
        if (!fileName) {
            bool flushed = true;
            while (!cache.held.empty()) flushed = cache.Flush(cache.held.begin()) && flushed;
            return flushed ? TRUE : FALSE;
        }
        auto it = cache.held.find(NativePath(fileName));
        if (it == cache.held.end()) {
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        }
        return cache.Flush(it) ? TRUE : FALSE;
    }
    if (!HasName(fileName)) return FALSE;
    if (!IniDocument::IsWritableSection(section)) return Refuse(ERROR_INVALID_PARAMETER);
    if (key && !IniDocument::IsWritableKey(key)) return Refuse(ERROR_INVALID_PARAMETER);
    if (key && value && !IniDocument::IsWritableValue(value)) return Refuse(ERROR_INVALID_PARAMETER);

    std::lock_guard<std::mutex> lock(cache.mutex);
    const std::string native = NativePath(fileName);
    auto it = cache.held.find(native);
    if (it == cache.held.end()) {
        // The first held write finds out whether the file can take any: one that exists
        // but cannot be read is never replaced by one built from nothing, and a read-only
        // one is left as it is.
        HeldWrites writes;
        writes.place = kernel::PlaceOfProfile(fileName);
        IniDocument ignored;
        Load(writes.place, &ignored, &writes.baseOutcome, &writes.base);
        if (writes.baseOutcome == kernel::ReadOutcome::Failed) return FALSE;
        std::string target;
        int error = 0;
        if (!kernel::FinalPath(writes.place.write, &target, &error) || !kernel::MayReplace(target, &error))
            return Refuse(ErrorFromErrno(error));
        it = cache.held.emplace(native, std::move(writes)).first;
    }
    kernel::IniChange change{section, std::nullopt, std::nullopt};
    if (key) change.key = key;
    if (key && value) change.value = value;
    it->second.changes.push_back(std::move(change));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

std::string ProfileFileLocation(LPCSTR fileName) {
    if (!fileName || !*fileName) return "";
    const kernel::ProfilePlace place = kernel::PlaceOfProfile(fileName);
    std::string target;
    int error = 0;
    return LayerPath(kernel::FinalPath(place.write, &target, &error) ? target : place.write);
}
