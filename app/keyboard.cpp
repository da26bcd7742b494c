// The player from the keyboard: every button has a key, and the keys reach the dialog
// before the window that has the focus (the pad, whose arrow keys move the sprite).
// During an auto-demo the keys are ignored, as the mouse is.
#include <cctype>

#include "app/demo_dlg.h"

namespace {

constexpr char kCtrlQ = 0x11;  // the character Ctrl+Q types

struct KeyCommand {
    char key;  // as typed; letters in lower case, which stand for both cases
    int command;
};

// Sources by number (6 is Custom), paths and rooms by a letter of their names.
constexpr KeyCommand kKeys[] = {
    {'1', kCmdSourceFirst}, {'2', kCmdSourceFirst + 1}, {'3', kCmdSourceFirst + 2}, {'4', kCmdSourceFirst + 3},
    {'5', kCmdSourceFirst + 4}, {'6', kCmdCustomSource},
    {'m', kCmdPathFirst}, {'h', kCmdPathFirst + 1}, {'v', kCmdPathFirst + 2}, {'f', kCmdPathFirst + 3},
    {'i', kCmdPathFirst + 4},
    {'b', kCmdEnvBathroom}, {'c', kCmdEnvConcerthall}, {'s', kCmdEnvSewerpipe}, {'k', kCmdEnvKtv},
    {'u', kCmdEnvUnderwater}, {'g', kCmdEnvHangar},
    {'+', kCmdAddCustom}, {'-', kCmdRemoveCustom}, {kCtrlQ, kCmdExit},
};

int CommandOfCharacter(char typed) {
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(typed)));
    for (const KeyCommand& k : kKeys)
        if (k.key == key) return k.command;
    return 0;
}

int CommandOfKey(WPARAM virtualKey) {
    if (virtualKey == VK_INSERT) return kCmdAddCustom;
    if (virtualKey == VK_DELETE) return kCmdRemoveCustom;
    return 0;
}

bool IsKeyboardMessage(UINT message) { return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR; }

}  // namespace

BOOL CDemoDlg::DemoRuns() const { return m_bScript && m_szScriptPath[0] != '\0'; }

BOOL CDemoDlg::HandleKey(const MSG& msg) {
    if (!IsKeyboardMessage(msg.message)) return FALSE;
    if (DemoRuns()) return TRUE;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) {
        OnPanelCommand(m_pPlayer ? kCmdStop : kCmdPlay, 0);
        return TRUE;
    }
    const int command = msg.message == WM_CHAR ? CommandOfCharacter(static_cast<char>(msg.wParam))
                        : msg.message == WM_KEYDOWN ? CommandOfKey(msg.wParam)
                                                    : 0;
    if (command == 0) return FALSE;
    // What the panel does for its own buttons it does for their keys too.
    if (command == kCmdCustomSource && m_pPanel) m_pPanel->NotifyCustomSource();
    else if (command == kCmdAddCustom && m_pPanel) m_pPanel->OnAddCustomFile();
    else if (command == kCmdRemoveCustom && m_pPanel) m_pPanel->OnRemoveCustomFile();
    else OnPanelCommand(command, 0);
    return TRUE;
}

void CDemoDlg::OnSetFocus(CWnd* oldWnd) {
    // The keys act on the whole window; the pad shows it has them.
    if (m_pad.m_hWnd) m_pad.SetFocus();
    else CDialog::OnSetFocus(oldWnd);
}
