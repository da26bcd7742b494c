#include "app/demo_dlg.h"

#include <cstring>

#include "app/about_box.h"
#include "app/ear_test.h"
#include "app/program_dir.h"
#include "app/script_path.h"
#include "res/resource_ids.h"

const char kProgramCaption[] = "Kestrav Ambiora Demo";
const char kTitleToolText[] = "Kestrav Ambiora Demo Program Ver 002";

namespace {

constexpr UINT kAboutCommand = 16;
constexpr UINT_PTR kTitleToolId = 1001;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;

constexpr int kPadRegions[] = {24, 25, 26, 27, 28, 31};
constexpr int kPanelRegions[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};

void CheckSoundItem(CMenu* menu, SoundRendering rendering) {
    menu->CheckMenuRadioItem(kSoundChoices[0].command, kSoundChoices[2].command, SoundChoiceOf(rendering).command,
                             MF_BYCOMMAND);
}

}  // namespace

CDemoDlg::CDemoDlg()
    : CDialog(IDD_MAIN, nullptr),
      m_hStopEvent(nullptr),
      m_hDoneEvent(nullptr),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_MAINFRAME))),
      m_szSettingsPath{},
      m_pPanel(nullptr),
      m_csLock{},
      m_pPlayer(nullptr),
      m_nSource(0),
      m_nPathMode(0),
      m_nEnvironment(-1),
      m_szSource{},
      m_szSlotPath{},
      m_hThread(nullptr),
      m_szScriptPath{},
      m_bScript(0),
      m_bDemoLoop(0),
      m_nDemoSteps(0),
      m_nDemoStep(0),
      m_nDemoTimer(0),
      m_vVelocity{0, 0, 0},
      m_vLastPos{0, 0, 0},
      m_nInterval(30),
      m_pToolTip(nullptr),
      m_bErrorBoxOpen(0),
      m_bDemoRan(0) {
    InitializeCriticalSection(&m_csLock);
}

CDemoDlg::~CDemoDlg() {
    // A dialog that was never shown, or whose window outlived it, still frees its parts.
    if (m_hWnd) DestroyWindow();
    if (m_csLock.impl) DeleteCriticalSection(&m_csLock);
}

void CDemoDlg::SetDemoScript(const char* name, BOOL enable) {
    m_sScriptName = name ? name : "";
    // A name whose full path does not fit leaves the path empty: the user hears of it.
    FindDemoScript(name, m_szScriptPath, sizeof m_szScriptPath);
    m_bScript = m_sScriptName.empty() ? 0 : enable;
}

BOOL CDemoDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* menu = GetSystemMenu(FALSE)) {
        char text[256] = "";
        LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, text, sizeof text);
        if (text[0] != '\0') {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, kAboutCommand, text);
        }
        AppendSoundChoices(menu);
        AppendHrtfItems(menu);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (!m_pad.OpenSpeakerProbe()) {
        char text[256] = "";
        LoadStringA(AfxGetResourceHandle(), IDS_NOAUDIO, text, sizeof text);
        ::MessageBoxA(m_hWnd, text, kProgramCaption, MB_OK);
        EndDialog(0);
        return FALSE;
    }
    m_pad.CloseSpeakerProbe();

    FormatPath(m_szSettingsPath, sizeof m_szSettingsPath, "%s\\Zor3DPlayer.ini", GetProgramDir().c_str());
    BuildSourceTable();
    LoadSettings();
    CoInitialize(nullptr);
    SizeToSkin();
    CreatePanels();
    CreateToolTip();
    DragAcceptFiles();

    if (m_bScript && m_szScriptPath[0] == '\0') {
        EndDemo("The auto-demo script's name, " + m_sScriptName + ", is too long for a path, so no demo runs.");
    } else if (m_bScript) {
        SetCapture();
        DemoStep();
    }
    return TRUE;
}

int CDemoDlg::SizeToSkin() {
    m_skin.Load();
    RECT skin{0, 0, 0, 0};
    if (!m_skin.GetRegionRect(skin_region::kWindow, &skin)) return 0;
    CRect client;
    CRect window;
    GetClientRect(&client);
    GetWindowRect(&window);
    const int width = (window.Width() - client.Width()) + (skin.right - skin.left);
    const int height = (window.Height() - client.Height()) + (skin.bottom - skin.top);
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    return 1;
}

int CDemoDlg::CreatePanels() {
    RECT r{0, 0, 0, 0};
    if (!m_skin.GetRegionRect(skin_region::kPad, &r)) return 0;
    m_pad.Init(6, kPadRegions, &m_skin, this, r.left, r.top);
    m_pad.Create(nullptr, nullptr, kChildStyle, r, this, kIdPositionPad);
    m_pad.PostMessage(kMsgNotify, kNotifyPathMode, m_nPathMode == 0 ? 1 : 0);

    if (!m_skin.GetRegionRect(skin_region::kPanel, &r)) return 0;
    auto* panel = new CControlPanel;
    panel->Init(23, kPanelRegions, &m_skin, this, r.left, r.top);
    panel->Create(nullptr, nullptr, kChildStyle, r, this, kIdControlPanel);
    panel->PostMessage(kMsgNotify, kNotifySettingsPath, reinterpret_cast<LPARAM>(m_szSettingsPath));
    panel->PostMessage(kMsgNotify, kNotifySource, m_nSource);
    panel->PostMessage(kMsgNotify, kNotifyPathMode, m_nPathMode);
    panel->PostMessage(kMsgNotify, kNotifyEnvironment, m_nEnvironment);
    m_pPanel = panel;

    ShowPathPreview();
    return 1;
}

int CDemoDlg::CreateToolTip() {
    m_pToolTip = new CToolTipCtrl;
    m_pToolTip->Create(this, TTS_ALWAYSTIP);
    RECT title{0, 0, 0, 0};
    if (m_skin.GetRegionRect(skin_region::kTitle, &title)) m_pToolTip->AddTool(this, kTitleToolText, &title, kTitleToolId);
    m_pToolTip->Activate(TRUE);
    return 1;
}

BOOL CDemoDlg::PreTranslateMessage(MSG* msg) {
    if (m_pToolTip) m_pToolTip->RelayEvent(msg);
    if (m_pEarTest && m_pEarTest->PreTranslateMessage(msg)) return TRUE;
    if (HandleKey(*msg)) {
        PublishNowPlaying();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CDemoDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0u) == kAboutCommand) {
        CAboutBox about;
        about.DoModal();
        return;
    }
    // While the listening test runs, the sound stays as the test has it.
    if (const SoundChoice* choice = SoundChoiceOfCommand(id)) {
        if (!m_pEarTest) ChooseSoundRendering(choice->rendering);
        return;
    }
    const int set = HrtfSetIndexOfCommand(id);
    if (set >= 0) {
        if (!m_pEarTest && static_cast<std::size_t>(set) < m_hrtf.menuSets.size())
            ChooseHrtfSet(m_hrtf.menuSets[static_cast<std::size_t>(set)]);
        return;
    }
    if ((id & 0xFFF0u) == kImportHrtfCommand) {
        ImportHrtf();
        return;
    }
    if ((id & 0xFFF0u) == kTestEarsCommand) {
        StartEarTest();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void CDemoDlg::AppendSoundChoices(CMenu* menu) {
    menu->AppendMenu(MF_SEPARATOR);
    for (const SoundChoice& choice : kSoundChoices) {
        char text[256] = "";
        LoadStringA(AfxGetResourceHandle(), choice.textId, text, sizeof text);
        menu->AppendMenu(MF_STRING, choice.command, text);
    }
    CheckSoundItem(menu, GetSoundRendering());
}

void CDemoDlg::ChooseSoundRendering(SoundRendering rendering) {
    SetSoundRendering(rendering);
    if (CMenu* menu = GetSystemMenu(FALSE)) CheckSoundItem(menu, rendering);
}

void CDemoDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        CRect client;
        GetClientRect(&client);
        const int x = (client.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_hIcon);
        return;
    }
    CPaintDC dc(this);
    m_skin.Draw(dc, skin_region::kWindow, 0, 0);
}

HCURSOR CDemoDlg::OnQueryDragIcon() { return m_hIcon; }

void CDemoDlg::OnLButtonDown(UINT flags, CPoint point) {
    // Seen here while the auto-demo holds the capture: the exit region still ends it.
    if (m_skin.HitTest(skin_region::kExit, point.x, point.y)) EndDialog(0);
    CDialog::OnLButtonDown(flags, point);
}

LRESULT CDemoDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        EndDialog(0);
    } else if (message == WM_SYSCOMMAND && wParam == SC_CLOSE) {
        EndDialog(0);
    } else if (message == kMsgSpriteMoved) {
        OnPanelCommand(kCmdSpriteMoved, lParam);
    } else if (message == kMsgPanelCommand) {
        OnPanelCommand(static_cast<int>(wParam), lParam);
    } else if (message == WM_INITMENU) {
        if (CMenu* menu = GetSystemMenu(FALSE)) UpdateSystemMenu(menu);
    } else if (message == kMsgHrtfImported) {
        OnHrtfImported();
    } else if (message == kMsgEarTestOver) {
        OnEarTestOver();
    } else if (message == WM_TIMER && m_pEarTest) {
        m_pEarTest->OnTimer(wParam);
    }
    const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
    PublishNowPlaying();
    return result;
}

void CDemoDlg::OnDestroy() {
    CDialog::OnDestroy();
    if (m_pToolTip) {
        m_pToolTip->DestroyWindow();
        delete m_pToolTip;
        m_pToolTip = nullptr;
    }
    if (m_nDemoTimer != 0) {
        KillTimer(m_nDemoTimer);
        m_nDemoTimer = 0;
    }
    // A test cut short puts the sound back as it was, so the settings keep the listener's own.
    m_pEarTest.reset();
    if (m_hrtfImport.joinable()) m_hrtfImport.join();
    StopPlayback();
    SaveSettings();
    if (m_pPanel) {
        m_pPanel->DestroyWindow();
        delete m_pPanel;
        m_pPanel = nullptr;
    }
    FlushSettings();
    CoUninitialize();
    DeleteCriticalSection(&m_csLock);
    m_csLock.impl = nullptr;
}
