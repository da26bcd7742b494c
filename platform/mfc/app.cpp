// The one application object and the process's entry into it.
#include <string>

#include "platform/kernel/module.h"
#include "platform/mfc/afxwin.h"
#include "platform/mfc/framework_internal.h"

namespace {
CWinApp* g_app = nullptr;
std::string& CommandLine() {
    static std::string text;
    return text;
}
}  // namespace

CWinApp::CWinApp(LPCSTR appName)
    : m_pszAppName(appName), m_lpCmdLine(CommandLine().data()), m_pMainWnd(nullptr), m_hInstance(nullptr) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }
void CWinApp::OnHelp() {}
BOOL CWinApp::Enable3dControls() { return TRUE; }
HICON CWinApp::LoadIcon(UINT id) const { return LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)); }

CWinApp* AfxGetApp() { return g_app; }
HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }
HINSTANCE AfxGetResourceHandle() { return GetModuleHandleA(nullptr); }
void AfxEnableControlContainer() {}

namespace mfc_internal {
std::string AppName() {
    if (g_app && g_app->m_pszAppName) return g_app->m_pszAppName;
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    auto slash = name.find_last_of('\\');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    return name;
}
}  // namespace mfc_internal

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = g_app;
    if (!app) return -1;
    std::string& text = CommandLine();
    text.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i] ? argv[i] : "";
    }
    app->m_lpCmdLine = text.data();
    app->m_hInstance = AfxGetInstanceHandle();
    SetModalMessageFilter(mfc_internal::PreTranslateWalk);
    if (!app->InitInstance()) return app->ExitInstance();
    // An application that keeps running after InitInstance: its loop until WM_QUIT.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (mfc_internal::PreTranslateWalk(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return app->ExitInstance();
}
