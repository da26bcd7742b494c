#include <cstdio>
#include <cstring>
#include <memory>

#include "panels/control_panel.h"
#include "platform/kernel/profile.h"

namespace {

constexpr char kSection[] = "ZOR3DPLAYER";
constexpr char kKeyCount[] = "CUSTOMERCOUNT";
constexpr char kKeyLastSelect[] = "LASTSELECT";
constexpr DWORD kOpenFileStructSize = 76;  // the platform's size of OPENFILENAMEA
constexpr char kWaveFilter[] = "Wave files(*.wav)\0*.wav\0";
constexpr std::size_t kValueSize = 260;

void ItemKey(char (&key)[32], int index) { std::snprintf(key, sizeof key, "CUSTOMER%d", index); }

void WriteInt(const char* key, int value, const char* file) {
    char text[kValueSize];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(kSection, key, text, file);
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
    ofn.lpstrFilter = kWaveFilter;
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
    NotifyCustomSource();
}

void CControlPanel::OnRemoveCustomFile() {
    CComboBox* list = GetCustomList();
    if (!list) return;
    const int selection = list->GetCurSel();
    if (selection < 0) return;
    DeleteCustomItem(selection);
    list->SetCurSel(selection > 0 ? selection - 1 : 0);
    NotifyCustomSource();
}

void CControlPanel::LoadCustomList() {
    CComboBox* list = GetCustomList();
    if (m_szSettingsPath[0] == '\0' || !list) return;
    ClearCustomList();
    const int count = static_cast<int>(GetPrivateProfileIntA(kSection, kKeyCount, 0, m_szSettingsPath));
    const int lastSelect = static_cast<int>(GetPrivateProfileIntA(kSection, kKeyLastSelect, 0, m_szSettingsPath));
    for (int i = 0; i < count; ++i) {
        char key[32];
        ItemKey(key, i);
        char value[kValueSize] = "";
        GetPrivateProfileStringA(kSection, key, nullptr, value, sizeof value, m_szSettingsPath);
        if (value[0] != '\0') AddCustomItem(value);
    }
    if (lastSelect < list->GetCount())
        list->SetCurSel(lastSelect);  // a negative value selects nothing
    else
        list->SetCurSel(0);
}

void CControlPanel::SaveCustomList() {
    CComboBox* list = GetCustomList();
    if (m_szSettingsPath[0] == '\0' || !list) return;
    const int count = list->GetCount();
    WriteInt(kKeyCount, count, m_szSettingsPath);
    WriteInt(kKeyLastSelect, list->GetCurSel(), m_szSettingsPath);
    for (int i = 0; i < count; ++i) {
        const char* path = static_cast<const char*>(list->GetItemDataPtr(i));
        if (!path) continue;
        char key[32];
        ItemKey(key, i);
        WritePrivateProfileStringA(kSection, key, path, m_szSettingsPath);
    }
}
