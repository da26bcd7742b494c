// CWnd: attaching objects to windows, routing messages to the virtual handlers.
#include <map>
#include <memory>
#include <mutex>

#include "platform/mfc/afxwin.h"
#include "platform/mfc/framework_internal.h"

namespace {

std::mutex g_mapMutex;  // FromHandle may be asked from the update thread
std::map<HWND, CWnd*>& Map() {
    static std::map<HWND, CWnd*> map;
    return map;
}

thread_local CWnd* t_pending = nullptr;

constexpr const char* kDefaultClass = "ZorFrameworkWindow";

}  // namespace

namespace mfc_internal {

void CreationHook(HWND window) { CWnd::AttachPending(window); }

BOOL PreTranslateWalk(MSG* msg) {
    for (HWND h = msg ? msg->hwnd : nullptr; h;) {
        CWnd* w = CWnd::FromHandle(h);
        if (w && w->PreTranslateMessage(msg)) return TRUE;
        if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD)) break;
        h = ::GetParent(h);
    }
    return FALSE;
}

LPCSTR DefaultClassName() {
    static bool registered = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = CWnd::WndProc;
        cls.hInstance = AfxGetInstanceHandle();
        cls.lpszClassName = kDefaultClass;
        RegisterClassA(&cls);
        return true;
    }();
    (void)registered;
    return kDefaultClass;
}

}  // namespace mfc_internal

CWnd::CWnd() : m_hWnd(nullptr) {}

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    if (m_hWnd) Detach();
    if (t_pending == this) t_pending = nullptr;
}

void CWnd::HookCreation(CWnd* wnd) {
    t_pending = wnd;
    SetWindowCreationHook(mfc_internal::CreationHook);
    if (!GetModalMessageFilter()) SetModalMessageFilter(mfc_internal::PreTranslateWalk);
}

void CWnd::AttachPending(HWND window) {
    CWnd* wnd = t_pending;
    if (!wnd) return;
    t_pending = nullptr;
    wnd->Attach(window);
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (current != &CWnd::WndProc) {
        // A built-in control: its class procedure stays behind ours as the default.
        wnd->m_pfnSuper = current;
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WndProc));
    }
}

void CWnd::Attach(HWND window) {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    m_hWnd = window;
    Map()[window] = this;
}

HWND CWnd::Detach() {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    HWND h = m_hWnd;
    auto it = Map().find(h);
    if (it != Map().end() && it->second == this) Map().erase(it);
    m_hWnd = nullptr;
    return h;
}

CWnd* CWnd::FromHandle(HWND window) {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    auto it = Map().find(window);
    return it == Map().end() ? nullptr : it->second;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* context) {
    if (m_hWnd) return FALSE;
    HookCreation(this);
    HWND h = CreateWindowExA(0, className ? className : mfc_internal::DefaultClassName(), windowName, style,
                             rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                             parent ? parent->m_hWnd : nullptr,
                             reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), AfxGetInstanceHandle(), context);
    if (t_pending == this) t_pending = nullptr;
    return h ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
HWND CWnd::GetDlgItemHandle(int id) const { return ::GetDlgItem(m_hWnd, id); }

void CWnd::GetClientRect(RECT* out) const {
    if (out && !::GetClientRect(m_hWnd, out)) *out = RECT{0, 0, 0, 0};
}
void CWnd::GetWindowRect(RECT* out) const {
    if (out && !::GetWindowRect(m_hWnd, out)) *out = RECT{0, 0, 0, 0};
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
int CWnd::GetWindowText(LPSTR buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
std::string CWnd::GetWindowText() const {
    auto n = SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(got));
    return text;
}
void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                  reinterpret_cast<LPARAM>(icon)));
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
    static std::map<HMENU, std::unique_ptr<CMenu>> menus;  // UI thread
    HMENU h = ::GetSystemMenu(m_hWnd, revert);
    if (!h) return nullptr;
    auto& slot = menus[h];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = h;
    }
    return slot.get();
}

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(const RECT* rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT milliseconds, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, milliseconds, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
void CWnd::DragAcceptFiles(BOOL accept) { ::DragAcceptFiles(m_hWnd, accept); }

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    std::string title = caption ? caption : mfc_internal::AppName();
    return ::MessageBoxA(m_hWnd, text, title.c_str(), type);
}

LRESULT CWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandle(window);
    if (!wnd) return ::DefWindowProcA(window, message, wParam, lParam);
    MSG current{window, message, wParam, lParam, 0, POINT{0, 0}};
    const MSG* previous = wnd->m_pCurrentMsg;
    wnd->m_pCurrentMsg = &current;
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    wnd->m_pCurrentMsg = previous;
    if (message == WM_NCDESTROY) {
        if (wnd->m_pfnSuper) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
        wnd->PostNcDestroy();  // may delete the object: nothing touches it after this
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    auto point = [lParam] { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); };
    switch (message) {
        case WM_CREATE: return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        case WM_DESTROY: OnDestroy(); return 0;
        case WM_PAINT: OnPaint(); return 0;
        case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), point()); return 0;
        case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), point()); return 0;
        case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), point()); return 0;
        case WM_TIMER: OnTimer(wParam); return 0;
        case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;
        case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(OnQueryDragIcon());
        case WM_SETFOCUS: OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return 0;
        case WM_KILLFOCUS: OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return 0;
        case WM_KEYDOWN:
            OnKeyDown(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                      HIWORD(static_cast<std::uintptr_t>(lParam)));
            return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
        case WM_APPCOMMAND: {
            const WORD high = HIWORD(static_cast<std::uintptr_t>(lParam));
            OnAppCommand(FromHandle(reinterpret_cast<HWND>(wParam)), static_cast<UINT>(GET_APPCOMMAND_LPARAM(lParam)),
                         high & FAPPCOMMAND_MASK, LOWORD(static_cast<std::uintptr_t>(lParam)));
            return TRUE;
        }
        case WM_COMMAND:
            if (OnCommand(wParam, lParam)) return 0;
            return DefWindowProc(message, wParam, lParam);
        default: return DefWindowProc(message, wParam, lParam);
    }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (!m_pCurrentMsg) return 0;
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
void CWnd::PostNcDestroy() {}

int CWnd::OnCreate(CREATESTRUCTA*) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }
void CWnd::OnAppCommand(CWnd*, UINT, UINT, UINT) { Default(); }

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) { return ::AppendMenuA(m_hMenu, flags, id, text); }
BOOL CMenu::CheckMenuRadioItem(UINT first, UINT last, UINT check, UINT flags) {
    return ::CheckMenuRadioItem(m_hMenu, first, last, check, flags);
}
BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    return ::InsertMenuA(m_hMenu, position, flags, id, text);
}
BOOL CMenu::DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
UINT CMenu::EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(m_hMenu, item, enable); }
