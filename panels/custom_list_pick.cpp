// Choosing in the custom list from outside it: files that reach the running player join
// the list once (a file already listed keeps its place), and a file is picked by its
// place, as the player's next and previous source do.
#include "panels/control_panel.h"

int CControlPanel::JoinCustomFiles(const std::vector<std::string>& paths) {
    CComboBox* list = GetCustomList();
    if (!list) return -1;
    int first = -1;
    for (const std::string& path : paths) {
        int index = -1;
        for (int i = 0; i < list->GetCount() && index < 0; ++i) {
            const auto* listed = static_cast<const char*>(list->GetItemDataPtr(i));
            if (listed && path == listed) index = i;
        }
        if (index < 0) index = AddCustomItem(path.c_str());
        if (first < 0) first = index;
    }
    if (first >= 0) PickCustomFile(first);
    return first;
}

const char* CControlPanel::PickCustomFile(int index) {
    CComboBox* list = GetCustomList();
    if (!list || index < 0 || index >= list->GetCount()) return nullptr;
    list->SetCurSel(index);
    UpdateCustomHints();
    return GetSelectedCustomPath();
}

int CControlPanel::CustomFileCount() const {
    CComboBox* list = GetCustomList();
    return list ? list->GetCount() : 0;
}

int CControlPanel::CustomFileIndex() const {
    CComboBox* list = GetCustomList();
    return list ? list->GetCurSel() : -1;
}
