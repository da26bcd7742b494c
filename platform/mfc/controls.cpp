// CComboBox, CToolTipCtrl and CPaintDC: thin wrappers over the layer's messages.
#include "platform/mfc/afxwin.h"

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("COMBOBOX", nullptr, style, rect, parent, id);
}
int CComboBox::AddString(LPCSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
int CComboBox::DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index, 0)); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT, 0, 0); }
int CComboBox::GetCount() const { return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0)); }
int CComboBox::GetCurSel() const { return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0)); }
int CComboBox::SetCurSel(int index) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), 0));
}
DWORD_PTR CComboBox::GetItemData(int index) const {
    return static_cast<DWORD_PTR>(::SendMessageA(m_hWnd, CB_GETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), 0));
}
int CComboBox::SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index)),
                                        static_cast<LPARAM>(data)));
}
void* CComboBox::GetItemDataPtr(int index) const {
    LRESULT r = ::SendMessageA(m_hWnd, CB_GETITEMDATA, static_cast<WPARAM>(static_cast<std::intptr_t>(index)), 0);
    return r == CB_ERR ? reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)) : reinterpret_cast<void*>(r);
}
int CComboBox::SetItemDataPtr(int index, void* data) { return SetItemData(index, reinterpret_cast<DWORD_PTR>(data)); }
int CComboBox::SetDroppedWidth(UINT width) { return static_cast<int>(SendMessage(CB_SETDROPPEDWIDTH, width, 0)); }
int CComboBox::GetLBText(int index, LPSTR buffer) const {
    return static_cast<int>(::SendMessageA(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(static_cast<std::intptr_t>(index)),
                                           reinterpret_cast<LPARAM>(buffer)));
}
BOOL CComboBox::SetCueBanner(LPCSTR text) {
    return static_cast<BOOL>(SendMessage(CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(text)));
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    if (m_hWnd) return FALSE;
    HookCreation(this);
    HWND h = CreateWindowExA(0, "tooltips_class32", nullptr, WS_POPUP | style, 0, 0, 0, 0,
                             parent ? parent->m_hWnd : nullptr, nullptr, AfxGetInstanceHandle(), nullptr);
    return h ? TRUE : FALSE;
}

namespace {
TOOLINFOA ToolInfo(CWnd* wnd, LPSTR text, LPCRECT rect, UINT_PTR toolId) {
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = wnd->m_hWnd;
    info.hinst = AfxGetResourceHandle();
    info.lpszText = text;
    if (rect) {
        info.rect = *rect;
        info.uId = toolId;
    } else {
        // Without a rectangle the whole window is the tool, as in the platform's framework.
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(wnd->m_hWnd);
    }
    return info;
}
}  // namespace

BOOL CToolTipCtrl::AddTool(CWnd* wnd, UINT textId, LPCRECT rect, UINT_PTR toolId) {
    if (!wnd || !m_hWnd) return FALSE;
    TOOLINFOA info = ToolInfo(wnd, const_cast<LPSTR>(MAKEINTRESOURCEA(textId)), rect, toolId);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCSTR text, LPCRECT rect, UINT_PTR toolId) {
    if (!wnd || !m_hWnd) return FALSE;
    TOOLINFOA info = ToolInfo(wnd, const_cast<LPSTR>(text), rect, toolId);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate, 0); }

void CToolTipCtrl::RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* wnd, UINT_PTR toolId) {
    if (!wnd || !m_hWnd) return;
    TOOLINFOA info = ToolInfo(wnd, const_cast<LPSTR>(text), nullptr, 0);
    if (toolId != 0) info.uId = toolId;
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(UINT textId, CWnd* wnd, UINT_PTR toolId) {
    UpdateTipText(MAKEINTRESOURCEA(textId), wnd, toolId);
}

void CToolTipCtrl::Popup() { SendMessage(TTM_POPUP, 0, 0); }

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR toolId) {
    if (!wnd || !m_hWnd) return;
    TOOLINFOA info = ToolInfo(wnd, nullptr, nullptr, 0);
    if (toolId != 0) info.uId = toolId;
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hDC(nullptr), m_ps{}, m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
    m_hDC = BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() { EndPaint(m_hWnd, &m_ps); }
