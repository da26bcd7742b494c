// Files that reach the running player - dropped on its window, named on its command line
// or handed over by a second start - arrive the same way, as dropped files: those it can
// play join the custom list (once each), and the first of them becomes the source and
// plays. The others are named in one box.
#include <string>
#include <vector>

#include "app/demo_dlg.h"
#include "audio/wave_stream.h"
#include "panels/user_notice.h"
#include "res/resource_ids.h"

void CDemoDlg::OnDropFiles(HDROP drop) {
    std::vector<std::string> files;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0), '\0');
        DragQueryFileA(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        files.push_back(std::move(path));
    }
    DragFinish(drop);
    // Like the mouse, a drop does nothing while an auto-demo or the listening test runs.
    if (!DemoRuns() && !m_pEarTest) OpenFiles(files);
}

void CDemoDlg::OpenFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> playable;
    std::string refused;
    for (const std::string& path : paths) {
        std::string copy = path;
        if (ProbeWaveFile(copy.data()) != 0)
            playable.push_back(path);
        else
            refused += "\n" + ShownPath(path.c_str());
    }
    if (m_pPanel && m_pPanel->JoinCustomFiles(playable) >= 0) {
        OnPanelCommand(kCmdCustomSource, reinterpret_cast<LPARAM>(m_pPanel->GetSelectedCustomPath()));
        if (!m_pPlayer) StartPlayback();
    }
    if (refused.empty() || m_bErrorBoxOpen) return;
    char reason[256] = "";
    LoadStringA(AfxGetResourceHandle(), IDS_NOTPLAYABLE, reason, sizeof reason);
    const std::string caption = GetWindowText();
    m_bErrorBoxOpen = 1;
    ::MessageBoxA(m_hWnd, (reason + refused).c_str(), caption.c_str(), MB_OK);
    m_bErrorBoxOpen = 0;
}
