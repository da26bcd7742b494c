#include <cstdio>
#include <cstring>

#include <string>

#include "app/demo_dlg.h"
#include "app/program_dir.h"
#include "app/script_path.h"
#include "panels/user_notice.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/profile.h"

namespace {

constexpr std::size_t kValueSize = 260;

struct Keyword {
    const char* text;
    int command;
};

// Compared byte for byte; the spellings are the scripts' own.
constexpr Keyword kSources[] = {
    {"Loopy", 2}, {"Drums", 3}, {"Helicopter", 4}, {"High heelss", 5}, {"Kestrav", 6},
};
constexpr Keyword kPaths[] = {
    {"Manual", 11}, {"Horizontal", 12}, {"Vertical", 13}, {"Fly-by", 14}, {"Insect", 15},
};
constexpr Keyword kEnvironments[] = {
    {"Bathroom", 16}, {"Concerthall", 17}, {"Sewerpipe", 18}, {"KTV", 19}, {"Underwater", 20}, {"Hangar", 21},
};

template <std::size_t N>
int Lookup(const Keyword (&table)[N], const char* text) {
    for (const Keyword& k : table)
        if (std::strcmp(k.text, text) == 0) return k.command;
    return 0;
}

struct Script {
    const char* file;
    void Read(const char* section, const char* key, char (&out)[kValueSize]) const {
        out[0] = '\0';
        GetPrivateProfileStringA(section, key, nullptr, out, kValueSize, file);
    }
    int ReadInt(const char* section, const char* key) const {
        return static_cast<int>(GetPrivateProfileIntA(section, key, 0, file));
    }
    bool HasSection(const char* section) const {
        char names[4] = "";
        return GetPrivateProfileStringA(section, nullptr, nullptr, names, sizeof names, file) > 0;
    }
};

// A day: no show holds one choice longer.
constexpr int kLongestStepMs = 24 * 60 * 60 * 1000;

}  // namespace

void CDemoDlg::DemoStep() {
    // The load-error box is modal; steps wait until it has been answered.
    if (m_bErrorBoxOpen || !m_bScript) return;
    const Script script{m_szScriptPath};
    char value[kValueSize];

    if (m_nDemoSteps == 0) {
        m_nDemoSteps = script.ReadInt("Counter", "DemoCounter");
        if (m_nDemoSteps == 0) {
            TellWhyNoDemo(GetLastError());
            return;
        }
        m_bDemoLoop = 0;
        script.Read("Counter", "DemoLoop", value);
        if (std::strcmp(value, "TRUE") == 0) m_bDemoLoop = 1;
        m_nDemoStep = 1;
    }

    if (m_nDemoStep > m_nDemoSteps) {
        if (!m_bDemoLoop) {
            ReleaseCapture();
            PostMessage(kMsgPanelCommand, kCmdExit, 0);
            return;
        }
        m_nDemoStep = 1;
    }

    char section[32];
    std::snprintf(section, sizeof section, "AutoDemo%d", m_nDemoStep);
    const std::string where = "Step " + std::to_string(m_nDemoStep) + " of the auto-demo script " +
                              ShownPath(m_szScriptPath);
    if (!script.HasSection(section)) {
        EndDemo(where + " is missing (nothing under [" + section + "], though DemoCounter is " +
                std::to_string(m_nDemoSteps) + "), so the demo ends.");
        return;
    }
    // A step that never ends, or ends at once, would stop the show with no word.
    const int period = script.ReadInt(section, "Timer");
    if (period < 1 || period > kLongestStepMs) {
        script.Read(section, "Timer", value);
        EndDemo(where + " has no usable Timer (\"" + value + "\"): it must be a number of milliseconds from 1 to " +
                std::to_string(kLongestStepMs) + ", so the demo ends.");
        return;
    }
    m_bDemoRan = 1;

    script.Read(section, "SoundSource", value);
    if (int command = Lookup(kSources, value)) OnPanelCommand(command, 0);
    script.Read(section, "MovingPath ", value);
    if (int command = Lookup(kPaths, value)) OnPanelCommand(command, 0);
    script.Read(section, "Environment", value);
    const int environment = Lookup(kEnvironments, value);

    script.Read(section, "EnableEffects", value);
    if (std::strcmp(value, "TRUE") == 0) {
        if (environment != 0 && environment != m_nEnvironment) ApplyEnvironment(environment);
    } else {
        ApplyEnvironment(-1);
    }

    if (m_nDemoTimer != 0) {
        KillTimer(m_nDemoTimer);
        m_nDemoTimer = 0;
    }
    if (!m_pPlayer) StartPlayback();
    m_nDemoTimer = SetTimer(kTimerId, static_cast<UINT>(period), nullptr);
    ++m_nDemoStep;
}

void CDemoDlg::TellWhyNoDemo(DWORD readError) {
    const std::string script = ShownPath(m_szScriptPath);
    if (readError == ERROR_FILE_NOT_FOUND || readError == ERROR_PATH_NOT_FOUND) {
        if (IsAbsolutePath(m_sScriptName.c_str()))
            EndDemo("The auto-demo script " + script + " was not found, so no demo runs.");
        else
            EndDemo("The auto-demo script " + m_sScriptName + " was found neither beside the program (" +
                    ShownPath(GetProgramDir().c_str()) + ") nor in the current folder (" +
                    ShownPath(CurrentFolder().c_str()) + "), so no demo runs.");
    } else if (readError != ERROR_SUCCESS) {
        EndDemo("The auto-demo script " + script + " could not be read (" + ErrorText(readError) +
                "), so no demo runs.");
    } else {
        EndDemo("The auto-demo script " + script + " has no steps (no DemoCounter under [Counter]), so no demo runs.");
    }
}

void CDemoDlg::EndDemo(const std::string& why) {
    m_bScript = 0;
    if (m_nDemoTimer != 0) {
        KillTimer(m_nDemoTimer);
        m_nDemoTimer = 0;
    }
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    ::MessageBoxA(m_hWnd, why.c_str(), kProgramCaption, MB_OK | MB_ICONWARNING);
    if (GetSystemMetrics(SM_CMONITORS) == 0) EndDialog(kExitNothingToRun);
}

void CDemoDlg::OnTimer(UINT_PTR id) {
    if (id == kTimerId) DemoStep();
    CDialog::OnTimer(id);
}
