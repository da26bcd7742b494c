// Message boxes and the file-open dialog: the host asks the user while the layer keeps
// serving its own messages in a nested loop.
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/kernel/module.h"
#include "platform/user/window_table.h"

using namespace user_internal;

namespace {

// Runs a nested loop until *done; the owner's window takes no input meanwhile.
void RunUntil(HWND owner, const std::shared_ptr<bool>& done) {
    HWND top = owner ? user_host::TopLevelOf(owner) : nullptr;
    BOOL wasDisabled = top ? EnableWindow(top, FALSE) : TRUE;
    while (!*done) {
        if (PumpOne(nullptr, GetModalMessageFilter())) continue;
        if (QuitPending() || *done) break;
        WaitForWork();
    }
    if (top && !wasDisabled && IsWindow(top)) EnableWindow(top, TRUE);
}

std::vector<std::pair<std::string, std::string>> ParseFilter(const char* p) {
    std::vector<std::pair<std::string, std::string>> filters;
    if (!p) return filters;
    while (*p) {
        std::string name = p;
        p += name.size() + 1;
        if (!*p) break;  // a name without a pattern ends the list
        std::string pattern = p;
        p += pattern.size() + 1;
        filters.emplace_back(std::move(name), std::move(pattern));
    }
    return filters;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    auto* host = user_host::GetHost();
    if (!host) return IDOK;
    if (QuitPending()) return IDCANCEL;  // its loop would end at once: show nothing
    user_host::MessageBoxRequest request{owner, caption ? caption : "Error", text ? text : "", type};
    auto done = std::make_shared<bool>(false);
    auto result = std::make_shared<int>(IDOK);
    host->BeginMessageBox(request, [done, result](int r) {
        *result = r;
        *done = true;
    });
    RunUntil(owner, done);
    return *done ? *result : IDCANCEL;
}

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) {
    if (!ofn || (ofn->lStructSize != 76 && ofn->lStructSize != sizeof(OPENFILENAMEA))) return FALSE;
    auto* host = user_host::GetHost();
    if (!host || QuitPending()) return FALSE;
    user_host::OpenFileRequest request;
    request.owner = ofn->hwndOwner;
    request.filters = ParseFilter(ofn->lpstrFilter);
    int selected = ofn->nFilterIndex > 0 ? static_cast<int>(ofn->nFilterIndex) - 1 : 0;
    request.selectedFilter = selected < static_cast<int>(request.filters.size()) ? selected : 0;
    request.title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
    request.initialDir = ofn->lpstrInitialDir ? NativePath(ofn->lpstrInitialDir) : "";
    request.flags = ofn->Flags;

    auto done = std::make_shared<bool>(false);
    auto chosen = std::make_shared<bool>(false);
    auto path = std::make_shared<std::string>();
    host->BeginOpenFile(request, [done, chosen, path](bool ok, const std::string& nativePath) {
        *chosen = ok;
        *path = nativePath;
        *done = true;
    });
    RunUntil(ofn->hwndOwner, done);
    if (!*done || !*chosen || path->empty()) return FALSE;

    std::error_code ec;
    if ((ofn->Flags & OFN_FILEMUSTEXIST) && !std::filesystem::is_regular_file(*path, ec)) return FALSE;
    if ((ofn->Flags & OFN_PATHMUSTEXIST) && !std::filesystem::is_directory(std::filesystem::path(*path).parent_path(), ec))
        return FALSE;
    std::string layer = LayerPath(*path);
    if (!ofn->lpstrFile || layer.size() + 1 > ofn->nMaxFile || layer.size() > 0xFFFF) return FALSE;
    std::memcpy(ofn->lpstrFile, layer.c_str(), layer.size() + 1);
    auto slash = layer.find_last_of('\\');
    std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    ofn->nFileOffset = static_cast<WORD>(nameAt);
    auto dot = layer.find_last_of('.');
    ofn->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= nameAt ? dot + 1 : layer.size());
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
        std::string name = layer.substr(nameAt);
        if (name.size() + 1 <= ofn->nMaxFileTitle) std::memcpy(ofn->lpstrFileTitle, name.c_str(), name.size() + 1);
    }
    if (!(ofn->Flags & OFN_NOCHANGEDIR)) {
        auto folder = std::filesystem::path(*path).parent_path();
        if (!folder.empty()) std::filesystem::current_path(folder, ec);
    }
    return TRUE;
}
