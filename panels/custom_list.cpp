#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "panels/control_panel.h"
#include "panels/user_notice.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/profile.h"
#include "res/resource_ids.h"

namespace {

constexpr char kSection[] = "ZOR3DPLAYER";
constexpr char kKeyCount[] = "CUSTOMERCOUNT";
constexpr char kKeyLastSelect[] = "LASTSELECT";
constexpr DWORD kOpenFileStructSize = 76;  // the platform's size of OPENFILENAMEA
// Every format the reader takes first, then WAV alone, then anything (the reader judges).
constexpr char kAudioFilter[] =
    "Audio files\0*.wav;*.wave;*.flac;*.ogg;*.oga;*.opus;*.mp3\0WAV files\0*.wav;*.wave\0All files\0*\0";
constexpr std::size_t kValueSize = 260;
// Room for a first read of the whole section; the platform's own limit for one.
constexpr std::size_t kSectionReadSize = 32767;

void ItemKey(char (&key)[32], int index) { std::snprintf(key, sizeof key, "CUSTOMER%d", index); }

// The index of a key that a read of "CUSTOMER%d" would find (names compare without
// regard to case; "CUSTOMER07" is not "CUSTOMER7"), or -1.
int ItemIndexOf(const std::string& key) {
    constexpr std::size_t kPrefixLength = sizeof "CUSTOMER" - 1;
    constexpr std::size_t kMaxDigits = 10;
    if (key.size() <= kPrefixLength || key.size() > kPrefixLength + kMaxDigits) return -1;
    const std::string digits = key.substr(kPrefixLength);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    const long long value = std::stoll(digits);
    if (value > INT_MAX) return -1;
    char canonical[32];
    ItemKey(canonical, static_cast<int>(value));
    for (std::size_t i = 0; i < key.size(); ++i) {
        char c = key[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != canonical[i]) return -1;
    }
    return static_cast<int>(value);
}

// The stored paths of indexes 0 .. count - 1, in index order, from one read of the
// section: probing index after index would take hours for a hand-edited count of two
// billion. Values come whole, never cut to a buffer; the first of a repeated key wins.
std::map<int, std::string> ReadStoredItems(int count, const char* file) {
    std::vector<char> section(kSectionReadSize);
    for (;;) {
        const DWORD size = static_cast<DWORD>(section.size());
        if (GetPrivateProfileSectionA(kSection, section.data(), size, file) < size - 2) break;
        section.resize(section.size() * 2);  // the list was cut: ask again with more room
    }
    std::map<int, std::string> items;
    for (const char* entry = section.data(); *entry != '\0'; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry, '=');
        if (!equals) continue;
        const int index = ItemIndexOf(std::string(entry, equals));
        if (index >= 0 && index < count) items.emplace(index, equals + 1);
    }
    return items;
}

std::string LoadText(UINT id) {
    char text[256] = "";
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

BOOL WriteInt(const char* key, int value, const char* file) {
    char text[kValueSize];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileStringA(kSection, key, text, file);
}

}  // namespace

char* CControlPanel::GetSelectedCustomPath() const {
    CComboBox* list = GetCustomList();
    if (!list) return nullptr;
    const int selection = list->GetCurSel();
    if (selection < 0) return nullptr;
    return static_cast<char*>(list->GetItemDataPtr(selection));
}

void CControlPanel::NotifyCustomSource() {
    PostCommand(kCmdCustomSource, reinterpret_cast<LPARAM>(GetSelectedCustomPath()));
}

int CControlPanel::AddCustomItem(const char* path) {
    CComboBox* list = GetCustomList();
    if (!path || !list) return -1;
    // A path that does not fit the item's buffer is refused rather than cut: a cut path
    // would name another file.
    const std::size_t length = strnlen(path, kItemPathSize);
    if (length >= kItemPathSize) return -1;
    const char* slash = std::strrchr(path, '\\');
    if (!slash) return -1;

    std::unique_ptr<char[]> copy(new char[kItemPathSize]);
    std::memcpy(copy.get(), path, length + 1);
    const int index = list->AddString(slash + 1);
    if (index < 0) return -1;
    list->SetItemDataPtr(index, copy.release());
    return index;
}

void CControlPanel::DeleteCustomItem(int index) {
    CComboBox* list = GetCustomList();
    if (!list || index < 0 || index >= list->GetCount()) return;
    delete[] static_cast<char*>(list->GetItemDataPtr(index));
    list->SetItemDataPtr(index, nullptr);
    list->DeleteString(static_cast<UINT>(index));
}

void CControlPanel::ClearCustomList() {
    CComboBox* list = GetCustomList();
    if (!list) return;
    for (int i = list->GetCount() - 1; i >= 0; --i) DeleteCustomItem(i);
    list->ResetContent();
}

BOOL CControlPanel::ChooseWaveFile(char* buffer) {
    if (!buffer) return 0;
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = kOpenFileStructSize;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = kAudioFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameA(&ofn) != 1) return 0;
    file[MAX_PATH - 1] = '\0';
    std::memcpy(buffer, file, std::strlen(file) + 1);
    return 1;
}

void CControlPanel::OnAddCustomFile() {
    CComboBox* list = GetCustomList();
    if (!list) return;
    char path[MAX_PATH];
    if (!ChooseWaveFile(path)) return;
    list->SetCurSel(AddCustomItem(path));
    UpdateCustomHints();
    NotifyCustomSource();
}

void CControlPanel::OnRemoveCustomFile() {
    CComboBox* list = GetCustomList();
    if (!list) return;
    const int selection = list->GetCurSel();
    if (selection < 0) return;
    DeleteCustomItem(selection);
    list->SetCurSel(selection > 0 ? selection - 1 : 0);
    UpdateCustomHints();
    NotifyCustomSource();
}

void CControlPanel::UpdateCustomHints() {
    CComboBox* list = GetCustomList();
    const char* path = GetSelectedCustomPath();
    if (list) list->SetCueBanner(LoadText(list->GetCount() == 0 ? IDS_CUE_EMPTYLIST : IDS_CUE_PICKFILE).c_str());
    if (!m_pToolTip) return;
    m_pToolTip->UpdateTipText(path ? IDS_TIP_CUSTOM : IDS_TIP_CUSTOM_NOFILE, this, IDS_TIP_CUSTOM);
    if (list) m_pToolTip->UpdateTipText(path ? ShownPath(path).c_str() : "", list);
}

void CControlPanel::LoadCustomList() {
    CComboBox* list = GetCustomList();
    if (m_szSettingsPath[0] == '\0' || !list) return;
    ClearCustomList();
    m_aKeptKeys.clear();
    const int count = static_cast<int>(GetPrivateProfileIntA(kSection, kKeyCount, 0, m_szSettingsPath));
    const int lastSelect = static_cast<int>(GetPrivateProfileIntA(kSection, kKeyLastSelect, 0, m_szSettingsPath));
    for (const auto& [index, path] : ReadStoredItems(count, m_szSettingsPath)) {
        if (path.size() >= kItemPathSize)
            m_aKeptKeys.push_back(index);  // a cut copy would name another file
        else if (!path.empty())
            AddCustomItem(path.c_str());
    }
    if (lastSelect < list->GetCount())
        list->SetCurSel(lastSelect);  // a negative value selects nothing
    else
        list->SetCurSel(0);
    UpdateCustomHints();
}

void CControlPanel::SaveCustomList() {
    CComboBox* list = GetCustomList();
    if (m_szSettingsPath[0] == '\0' || !list) return;
    const int count = list->GetCount();
    // Items take the keys in list order around the kept ones, and the count spans those
    // too, so the next load skips them again and finds the same list.
    std::vector<int> itemKeys;
    int next = 0;
    for (int i = 0; i < count; ++i) {
        while (std::binary_search(m_aKeptKeys.begin(), m_aKeptKeys.end(), next)) ++next;
        itemKeys.push_back(next++);
    }
    const int span = m_aKeptKeys.empty() ? next : std::max(next, m_aKeptKeys.back() + 1);
    DWORD failure = ERROR_SUCCESS;
    const auto keep = [&failure](BOOL written) {
        if (!written && failure == ERROR_SUCCESS) failure = GetLastError();
    };
    keep(WriteInt(kKeyCount, span, m_szSettingsPath));
    keep(WriteInt(kKeyLastSelect, list->GetCurSel(), m_szSettingsPath));
    char key[32];
    for (int i = 0; i < count; ++i) {
        const char* path = static_cast<const char*>(list->GetItemDataPtr(i));
        if (!path) continue;
        ItemKey(key, itemKeys[static_cast<std::size_t>(i)]);
        keep(WritePrivateProfileStringA(kSection, key, path, m_szSettingsPath));
    }
    // Inside the span, below the last kept key, the keys of items removed since are read
    // again on the next load: they go, so a removal sticks.
    for (int index = next; index < span; ++index) {
        if (std::binary_search(m_aKeptKeys.begin(), m_aKeptKeys.end(), index)) continue;
        ItemKey(key, index);
        keep(WritePrivateProfileStringA(kSection, key, nullptr, m_szSettingsPath));
    }
    if (failure != ERROR_SUCCESS)
        TellUser("the list of custom files could not be saved in %s: %s",
                 ShownPath(ProfileFileLocation(m_szSettingsPath).c_str()).c_str(), ErrorText(failure).c_str());
    // The list is the last of the settings written at exit: what the main dialog wrote
    // before it reaches the file with it, in one replacement.
    else if (!WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_szSettingsPath))
        TellSettingsNotSaved(m_szSettingsPath, GetLastError());
}
