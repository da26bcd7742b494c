#include "app/demo_app.h"

#include "app/demo_dlg.h"

CDemoApp::CDemoApp() : CWinApp(nullptr) {}

BOOL CDemoApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    {
        CDemoDlg dlg;
        m_pMainWnd = &dlg;
        if (m_lpCmdLine != nullptr) dlg.SetDemoScript(m_lpCmdLine, 1);
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // FALSE: the framework ends the process instead of running a message loop.
    return FALSE;
}
