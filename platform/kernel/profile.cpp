// The profile functions read the whole file on every call and never cache, so an edit
// made while the program runs is seen by the next read. A file name without a folder
// is taken relative to the current directory (the platform would look in its own
// system folder, which has no counterpart here).
#include "platform/kernel/profile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel/atomic_file.h"
#include "platform/kernel/ini_document.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/profile_place.h"

namespace {

using kernel::IniDocument;

// Serialises read-modify-write cycles of this process; each one is atomic on disk.
std::mutex& ProfileMutex() {
    static std::mutex m;
    return m;
}

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

// Reads the file as one snapshot while no write of this process is half done.
bool LoadShared(LPCSTR fileName, IniDocument* doc) {
    if (!HasName(fileName)) return false;
    kernel::ReadOutcome outcome;
    std::lock_guard<std::mutex> lock(ProfileMutex());
    return Load(kernel::PlaceOfProfile(fileName), doc, &outcome);
}

BOOL Refuse(DWORD error) {
    SetLastError(error);
    return FALSE;
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
    if (!section) return (!key && !value) ? TRUE : Refuse(ERROR_INVALID_PARAMETER);  // "flush the cache"
    if (!HasName(fileName)) return FALSE;
    if (!IniDocument::IsWritableSection(section)) return Refuse(ERROR_INVALID_PARAMETER);
    if (key && !IniDocument::IsWritableKey(key)) return Refuse(ERROR_INVALID_PARAMETER);
    if (key && value && !IniDocument::IsWritableValue(value)) return Refuse(ERROR_INVALID_PARAMETER);

    const kernel::ProfilePlace place = kernel::PlaceOfProfile(fileName);
    int error = 0;
    if (!kernel::PrepareWrite(place, &error)) return Refuse(ErrorFromErrno(error));
    // Threads of this process queue on the mutex, other processes (a second player closing
    // at the same time) on the folder's lock, so none of them writes back a file read
    // before another's write and drops its keys.
    std::lock_guard<std::mutex> lock(ProfileMutex());
    const kernel::FolderLock processes(place.write);
    IniDocument doc;
    kernel::ReadOutcome outcome;
    std::string before;
    Load(place, &doc, &outcome, &before);
    // A file that exists but cannot be read is never replaced by one built from nothing.
    if (outcome == kernel::ReadOutcome::Failed) return FALSE;
    if (outcome == kernel::ReadOutcome::Missing && (!key || !value)) return TRUE;  // nothing to delete
    if (!key)
        doc.DeleteSection(section);
    else if (!value)
        doc.DeleteKey(section, key);
    else
        doc.Set(section, key, value);
    const std::string after = doc.Serialise();
    // A write that changes nothing leaves the file as it is: saving settings that did not
    // change then costs no replacement and no wait for the disk.
    if (outcome == kernel::ReadOutcome::Ok && after == before) return TRUE;
    if (!kernel::ReplaceFileAtomically(place.write, after, &error)) return Refuse(ErrorFromErrno(error));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
