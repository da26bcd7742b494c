// The desktop's player controls and the keyboard's media keys reach the dialog as
// application commands; what plays goes back to them after every message the dialog
// handles. Pause is stop here: the clip restarts from its beginning, as play always
// does. Next and previous step through the five clips, then the custom list. During an
// auto-demo the controls are shown its steps and their commands are ignored.
#include <cstring>
#include <string>

#include "app/demo_dlg.h"

namespace {

constexpr int kBuiltInSources = kCustomSlot;

constexpr const char* kSourceNames[kBuiltInSources] = {"Loopy music", "Drums", "Helicopter", "High heels",
                                                        "Demo jingle"};
constexpr const char* kPathNames[] = {"Manual", "Horizontal circle", "Vertical circle", "Fly-by", "Insect",
                                      "Spiral", "Recorded path"};
constexpr const char* kRoomNames[] = {"Bathroom", "Concert hall", "Sewer pipe", "KTV", "Underwater", "Hangar"};
constexpr const char kBetween[] = " \xC2\xB7 ";  // a middle dot

template <std::size_t N>
const char* NameOf(const char* const (&names)[N], int index, const char* otherwise) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? names[index] : otherwise;
}

// A file's name without its folder and extension.
std::string TitleOf(const char* path) {
    std::string name = path;
    if (const auto slash = name.find_last_of('\\'); slash != std::string::npos) name.erase(0, slash + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

void CopyText(char (&out)[256], const std::string& text) {
    std::strncpy(out, text.c_str(), sizeof out - 1);
    out[sizeof out - 1] = '\0';
}

}  // namespace

void CDemoDlg::OnAppCommand(CWnd* wnd, UINT cmd, UINT device, UINT keys) {
    // The listening test owns the sound until it ends.
    if (DemoRuns() || m_pEarTest) return;
    switch (cmd) {
    case APPCOMMAND_MEDIA_PLAY:
        if (!m_pPlayer) OnPanelCommand(kCmdPlay, 0);
        break;
    case APPCOMMAND_MEDIA_PAUSE:
    case APPCOMMAND_MEDIA_STOP:
        if (m_pPlayer) OnPanelCommand(kCmdStop, 0);
        break;
    case APPCOMMAND_MEDIA_PLAY_PAUSE: OnPanelCommand(m_pPlayer ? kCmdStop : kCmdPlay, 0); break;
    case APPCOMMAND_MEDIA_NEXTTRACK: StepSource(1); break;
    case APPCOMMAND_MEDIA_PREVIOUSTRACK: StepSource(-1); break;
    default: CDialog::OnAppCommand(wnd, cmd, device, keys); break;
    }
}

void CDemoDlg::StepSource(int step) {
    const int files = m_pPanel ? m_pPanel->CustomFileCount() : 0;
    const int count = kBuiltInSources + files;
    int at = m_nSource;
    if (m_nSource == kCustomSlot) {
        const int picked = m_pPanel ? m_pPanel->CustomFileIndex() : -1;
        // Custom with nothing picked stands just before the list.
        at = picked >= 0 ? kBuiltInSources + picked : (step > 0 ? kBuiltInSources - 1 : kBuiltInSources);
    }
    const int next = ((at + step) % count + count) % count;
    if (next < kBuiltInSources)
        OnPanelCommand(kCmdSourceFirst + next, 0);
    else
        OnPanelCommand(kCmdCustomSource, reinterpret_cast<LPARAM>(m_pPanel->PickCustomFile(next - kBuiltInSources)));
}

void CDemoDlg::PublishNowPlaying() {
    if (!m_pPanel) return;  // not yet, or no more, a player
    MEDIAPLAYBACKINFOA info{};
    info.cbSize = sizeof info;
    info.dwFlags = (m_pPlayer ? MPF_PLAYING : 0u) | (DemoRuns() ? 0u : MPF_CONTROLLABLE);
    if (m_nSource >= 0 && m_nSource < kBuiltInSources)
        CopyText(info.szTitle, kSourceNames[m_nSource]);
    else
        CopyText(info.szTitle, m_szSource[0] != '\0' ? TitleOf(m_szSource) : "Custom");
    const int room = m_nEnvironment - kCmdEnvFirst;
    CopyText(info.szArtist, std::string(NameOf(kPathNames, m_nPathMode, "Standing still")) + kBetween +
                                NameOf(kRoomNames, room, "No room"));
    std::strncpy(info.szFile, m_szSource, sizeof info.szFile - 1);
    SetMediaPlaybackInfoA(m_hWnd, &info);
}
