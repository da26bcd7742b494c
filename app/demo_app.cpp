#include "app/demo_app.h"

#include "app/demo_dlg.h"
#include "panels/user_notice.h"

CDemoApp::CDemoApp() : CWinApp(nullptr) {}

BOOL CDemoApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    {
        CDemoDlg dlg;
        m_pMainWnd = &dlg;
        if (m_lpCmdLine != nullptr) dlg.SetDemoScript(m_lpCmdLine, 1);
        if (!dlg.m_bScript && GetSystemMetrics(SM_CMONITORS) == 0) {
            // Run where no one sees the window, the player would wait for ever.
            TellUser("there is no display to show the window on, and no auto-demo script was named to run "
                     "without one (zor3dplayer AutoDemo.ini).");
            m_nExitCode = kExitNothingToRun;
        } else if (dlg.DoModal() == kExitNothingToRun) {
            m_nExitCode = kExitNothingToRun;
        }
        m_pMainWnd = nullptr;
    }
    // FALSE: the framework ends the process instead of running a message loop.
    return FALSE;
}

int CDemoApp::ExitInstance() { return m_nExitCode; }
