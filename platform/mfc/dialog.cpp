// CDialog: dialogs from templates, modal and modeless; Enter and Escape become OnOK and
// OnCancel.
#include "platform/mfc/afxwin.h"
#include "platform/mfc/framework_internal.h"
#include "platform/user/host.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

namespace {

// The window a modal dialog disables while it runs: its parent's top-level window, else
// the application's main window when that is another window.
HWND ModalOwner(const CDialog* dialog, CWnd* parent) {
    if (parent && parent->m_hWnd) return user_host::TopLevelOf(parent->m_hWnd);
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != dialog && app->m_pMainWnd->m_hWnd &&
        IsWindow(app->m_pMainWnd->m_hWnd))
        return user_host::TopLevelOf(app->m_pMainWnd->m_hWnd);
    return nullptr;
}

}  // namespace

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    HWND owner = ModalOwner(this, m_pParentWnd);
    MSGFILTERPROC previous = GetModalMessageFilter();
    SetModalMessageFilter(mfc_internal::PreTranslateWalk);
    HookCreation(this);
    HWND dialog = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, &CWnd::WndProc, 0);
    INT_PTR result = -1;
    if (dialog) {
        BOOL ownerWasDisabled = owner ? EnableWindow(owner, FALSE) : TRUE;
        result = RunModalDialogLoop(dialog);
        if (owner && !ownerWasDisabled && IsWindow(owner)) EnableWindow(owner, TRUE);
        if (IsWindow(dialog)) ::DestroyWindow(dialog);
    }
    SetModalMessageFilter(previous ? previous : mfc_internal::PreTranslateWalk);
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    HookCreation(this);
    HWND dialog = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId),
                                     parent ? parent->m_hWnd : nullptr, &CWnd::WndProc, 0);
    if (!dialog) return FALSE;
    ShowWindow(dialog, SW_SHOW);
    return TRUE;
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::OnInitDialog() {
    DoDataExchange(nullptr);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::DoDataExchange(void*) {}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) return 0;
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
        return DefWindowProc(message, wParam, lParam);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return DefDlgProcA(m_hWnd, message, wParam, lParam);
}
