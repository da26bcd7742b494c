// The main dialog: the skinned window, and at the same time the controller that turns
// the panels' commands into sound actions, runs the position update thread, keeps the
// settings and runs the auto-demo.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/hrtf_choice.h"
#include "app/messages.h"
#include "app/sound_choice.h"
#include "audio/vec3.h"
#include "panels/control_panel.h"
#include "panels/position_pad.h"
#include "platform/kernel/sync.h"
#include "platform/mfc/afxwin.h"
#include "skin/skin_layout.h"

class CSpatialPlayer;
class CEarTest;

constexpr int kSourceSlots = 6;
constexpr int kCustomSlot = 5;
constexpr int kHelicopterSlot = 2;
constexpr std::size_t kSourcePathSize = 255;
constexpr std::size_t kSlotPathSize = 256;
constexpr std::size_t kScriptPathSize = 260;
// The dialog's result, and the process's exit code, when there is nothing to show or
// play: no display, and no auto-demo that can run.
constexpr int kExitNothingToRun = 2;
// The helicopter flies just below the listener's ears.
constexpr float kBelowEar = -0.05f;

// Caption of the start-up box and text of the title strip's tool tip.
extern const char kProgramCaption[];
extern const char kTitleToolText[];

class CDemoDlg : public CDialog {
public:
    CDemoDlg();
    ~CDemoDlg() override;

    void SetDemoScript(const char* name, BOOL enable);

    // Start-up and shutdown.
    BOOL OnInitDialog() override;
    int SizeToSkin();
    int CreatePanels();
    int CreateToolTip();
    void OnOK() override {}
    void OnCancel() override {}
    void DoDataExchange(void*) override {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    void OnSetFocus(CWnd* oldWnd) override;
    void OnDropFiles(HDROP drop) override;
    void OnAppCommand(CWnd* wnd, UINT cmd, UINT device, UINT keys) override;

    // The controller.
    void BuildSourceTable();
    void OnPanelCommand(int id, LPARAM lParam);
    void ChangeSource(const char* path);
    void ChangePathMode(int mode);
    void ApplyEnvironment(int id);
    void StartPlayback();
    void StopPlayback();
    void ApplyManualPosition();
    void SetManualPosition(float x, float z);
    void FlattenPosition();
    void ShowPathPreview();
    void ShowLoadError(const char* path);

    // The position update thread.
    void StartUpdateThread();
    void StopUpdateThread();
    static DWORD UpdateThreadProc(void* controller);
    void UpdateTick();

    // Settings and the auto-demo.
    void LoadSettings();
    void SaveSettings();
    // The listener's choice from the system menu: the sound follows at once, the menu
    // moves its check, the settings keep it. The sound layer holds it.
    void AppendSoundChoices(CMenu* menu);
    void ChooseSoundRendering(SoundRendering rendering);
    // The binaural data sets: the menu's group (brought up to date whenever the menu
    // opens), the SOFA import, and the listening test.
    void AppendHrtfItems(CMenu* menu);
    void UpdateSystemMenu(CMenu* menu);
    void ChooseHrtfSet(const std::string& name);
    void ImportHrtf();
    void OnHrtfImported();
    void StartEarTest();
    void OnEarTestOver();
    // Writes what SaveSettings wrote and the control panel (which flushes its list with
    // them) did not, and tells the user when that failed.
    void FlushSettings();
    void DemoStep();
    void TellWhyNoDemo(DWORD readError);
    // The demo cannot go on: the user is told why and gets the window; where the window is
    // shown nowhere, the program ends.
    void EndDemo(const std::string& why);
    // An auto-demo runs: the user's input (mouse, keys, drops, media controls) waits.
    BOOL DemoRuns() const;

    // The desktop around the player: keys, files that reach it, media controls.
    BOOL HandleKey(const MSG& msg);
    void OpenFiles(const std::vector<std::string>& paths);
    // The next (step 1) or previous (-1) source: the five clips, then the custom list.
    void StepSource(int step);
    // Tells the desktop's media controls what plays now.
    void PublishNowPlaying();

    HANDLE m_hStopEvent;
    HANDLE m_hDoneEvent;
    HICON m_hIcon;
    CSkinLayout m_skin;
    char m_szSettingsPath[kSettingsPathSize];
    CControlPanel* m_pPanel;
    CRITICAL_SECTION m_csLock;
    CSpatialPlayer* m_pPlayer;
    int m_nSource;
    int m_nPathMode;
    int m_nEnvironment;
    char m_szSource[kSourcePathSize];
    char m_szSlotPath[kSourceSlots][kSlotPathSize];
    HANDLE m_hThread;
    CPositionPad m_pad;
    char m_szScriptPath[kScriptPathSize];
    BOOL m_bScript;
    BOOL m_bDemoLoop;
    int m_nDemoSteps;
    int m_nDemoStep;
    UINT_PTR m_nDemoTimer;
    Vec3 m_vVelocity;
    Vec3 m_vLastPos;
    UINT m_nInterval;
    CToolTipCtrl* m_pToolTip;
    // The load-error box is open: the auto-demo waits instead of stacking boxes.
    BOOL m_bErrorBoxOpen;
    HrtfChoice m_hrtf;
    std::unique_ptr<CEarTest> m_pEarTest;
    // A SOFA import under way, and what it came to.
    std::thread m_hrtfImport;
    std::string m_strImportFile;
    std::string m_strImportName;
    std::string m_strImportFailure;
    // A demo step was applied: the choices are the script's, and the user's saved ones stay.
    BOOL m_bDemoRan;
    std::string m_sScriptName;  // as named, to say where it was looked for

private:
    // StopPlayback with or without settling the source where it is: a player that failed
    // to load never moved it, and flattening its starting point, outside the room, would
    // take the sprite off the pad.
    void EndPlayback(bool flatten);
    static UINT IntervalFor(int pathMode);
    UINT ReadInterval();
    void PostToPanel(WPARAM code, LPARAM value);
};

// Holds a critical section for one scope.
class CCsGuard {
public:
    explicit CCsGuard(CRITICAL_SECTION* cs) : m_cs(cs) { EnterCriticalSection(m_cs); }
    ~CCsGuard() { LeaveCriticalSection(m_cs); }
    CCsGuard(const CCsGuard&) = delete;
    CCsGuard& operator=(const CCsGuard&) = delete;

private:
    CRITICAL_SECTION* m_cs;
};
