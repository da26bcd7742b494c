#include <cstdio>

#include "app/demo_dlg.h"
#include "app/program_dir.h"
#include "panels/user_notice.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/profile.h"

namespace {

constexpr char kSection[] = "ZOR3DPLAYER";
constexpr char kKeySource[] = "3DSOUNDDEMO_SOURCE";
constexpr char kKeySourceName[] = "3DSOUNDDEMO_SOURCENAME";
constexpr char kKeyPath[] = "3DSOUNDDEMO_PATH";
constexpr char kKeyEnvironment[] = "3DSOUNDDEMO_ENVIROMENT";
constexpr char kKeySoundFor[] = "3DSOUNDDEMO_SOUNDFOR";
constexpr char kKeyHrtf[] = "3DSOUNDDEMO_HRTF";
// The last listening test: one key per set compared, numbered from 1.
constexpr char kKeyHrtfTest[] = "3DSOUNDDEMO_HRTFTEST%zu";
constexpr std::size_t kValueSize = 260;

BOOL WriteInt(const char* key, int value, const char* file) {
    char text[kValueSize];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileStringA(kSection, key, text, file);
}

int ReadInt(const char* key, int current, const char* file) {
    return static_cast<int>(GetPrivateProfileIntA(kSection, key, current, file));
}

}  // namespace

// The writes are held until the control panel has written its list too and flushes them:
// the file then changes in one step, whatever ends the process meanwhile.
void CDemoDlg::SaveSettings() {
    if (m_szSettingsPath[0] == '\0') return;
    // A refused write leaves the file as it was; the user hears of it, once.
    DWORD failure = ERROR_SUCCESS;
    const auto keep = [&failure](BOOL written) {
        if (!written && failure == ERROR_SUCCESS) failure = GetLastError();
    };
    // What a demo chose is the script's: the user's own choices stay as they were saved.
    if (!m_bDemoRan) {
        keep(WriteInt(kKeySource, m_nSource, m_szSettingsPath));
        keep(WritePrivateProfileStringA(kSection, kKeySourceName, m_szSource, m_szSettingsPath));
        keep(WriteInt(kKeyPath, m_nPathMode, m_szSettingsPath));
        keep(WriteInt(kKeyEnvironment, m_nEnvironment, m_szSettingsPath));
    }
    keep(WritePrivateProfileStringA(kSection, kKeySoundFor, SoundChoiceOf(GetSoundRendering()).word, m_szSettingsPath));
    keep(WritePrivateProfileStringA(kSection, kKeyHrtf, GetHrtfSet().c_str(), m_szSettingsPath));
    for (std::size_t i = 0; i < kMaxTestedSets; ++i) {
        char key[64];
        std::snprintf(key, sizeof key, kKeyHrtfTest, i + 1);
        // A test of fewer sets leaves no lines of an older one behind.
        const char* line = i < m_hrtf.testLines.size() ? m_hrtf.testLines[i].c_str() : nullptr;
        keep(WritePrivateProfileStringA(kSection, key, line, m_szSettingsPath));
    }
    if (failure != ERROR_SUCCESS) TellSettingsNotSaved(m_szSettingsPath, failure);
}

void CDemoDlg::FlushSettings() {
    if (m_szSettingsPath[0] == '\0') return;
    if (!WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_szSettingsPath))
        TellSettingsNotSaved(m_szSettingsPath, GetLastError());
}

void CDemoDlg::LoadSettings() {
    if (m_szSettingsPath[0] == '\0') return;
    const int source = ReadInt(kKeySource, m_nSource, m_szSettingsPath);
    // A slot outside the table reads as if the key were missing.
    if (source >= 0 && source < kSourceSlots) m_nSource = source;
    m_nPathMode = ReadInt(kKeyPath, m_nPathMode, m_szSettingsPath);
    m_nEnvironment = ReadInt(kKeyEnvironment, m_nEnvironment, m_szSettingsPath);

    char soundFor[kValueSize] = "";
    GetPrivateProfileStringA(kSection, kKeySoundFor, nullptr, soundFor, sizeof soundFor, m_szSettingsPath);
    // Before any clip plays, so the first sound is already rendered as chosen.
    ChooseSoundRendering(SoundRenderingOfWord(soundFor));
    char hrtfSet[kValueSize] = "";
    GetPrivateProfileStringA(kSection, kKeyHrtf, nullptr, hrtfSet, sizeof hrtfSet, m_szSettingsPath);
    ChooseHrtfSet(hrtfSet);
    m_hrtf.testLines.clear();
    for (std::size_t i = 0; i < kMaxTestedSets; ++i) {
        char key[64];
        char line[kValueSize] = "";
        std::snprintf(key, sizeof key, kKeyHrtfTest, i + 1);
        GetPrivateProfileStringA(kSection, key, nullptr, line, sizeof line, m_szSettingsPath);
        if (line[0] != '\0') m_hrtf.testLines.push_back(line);
    }

    char name[kValueSize] = "";
    GetPrivateProfileStringA(kSection, kKeySourceName, nullptr, name, sizeof name, m_szSettingsPath);
    // A stored name too long for the source buffer counts as no name.
    CopyPath(m_szSource, sizeof m_szSource, name);

    if (m_nSource == kCustomSlot) {
        if (m_szSource[0] != '\0') return;
        m_nSource = 0;
    }
    // Built-in clips always come from the MUSIC folder beside the program as it is now.
    CopyPath(m_szSource, sizeof m_szSource, m_szSlotPath[m_nSource]);
}
