// Thin window-framework classes over the window layer: the application, windows with
// virtual message handlers, dialogs, the combo box, the tool tip, paint DCs and menus.
// Handlers are virtual: CWnd::WindowProc dispatches each message to its On... handler,
// and every handler's base version does the default processing (Default()).
#pragma once

#include <map>
#include <string>

#include "platform/user/shellapi.h"
#include "platform/user/winuser.h"

class CWnd;

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(LONG px, LONG py) : POINT{px, py} {}
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}  // NOLINT: converting, as on the platform
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
};

class CMenu {
public:
    HMENU m_hMenu = nullptr;
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT check, UINT flags);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    UINT EnableMenuItem(UINT item, UINT enable);
};

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    // A child window (or a top-level one when parent is null). className null: the
    // framework's default class.
    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id, void* context = nullptr);
    virtual BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    static CWnd* FromHandle(HWND window);  // the attached object, or null
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int id) const;  // attached object, or null for a window without one
    HWND GetDlgItemHandle(int id) const;

    void GetClientRect(RECT* out) const;
    void GetWindowRect(RECT* out) const;
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL IsIconic() const;
    int GetWindowText(LPSTR buffer, int size) const;
    std::string GetWindowText() const;
    void SetWindowText(LPCSTR text);
    HICON SetIcon(HICON icon, BOOL big);
    CMenu* GetSystemMenu(BOOL revert);
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);

    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds, TIMERPROC proc);
    BOOL KillTimer(UINT_PTR id);
    CWnd* SetCapture();
    CWnd* SetFocus();  // the window that had the focus, if the framework knows it
    void DragAcceptFiles(BOOL accept = TRUE);
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    // Message routing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);  // base: FALSE (not handled)
    virtual void PostNcDestroy();

    // Handlers; each base version runs Default().
    virtual int OnCreate(CREATESTRUCTA* cs);
    virtual void OnDestroy();
    virtual void OnPaint();
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual HCURSOR OnQueryDragIcon();
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnDropFiles(HDROP drop);
    virtual void OnAppCommand(CWnd* wnd, UINT cmd, UINT device, UINT keys);

    // The default processing of the message being handled now.
    LRESULT Default();

    // The window procedure of every framework window; routes to the attached object.
    static LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Called by the window layer's creation hook: attaches the object HookCreation named
    // to the new window before its first message.
    static void AttachPending(HWND window);

protected:
    // Attach before the first message of a window being created by this thread.
    static void HookCreation(CWnd* wnd);

    void Attach(HWND window);
    HWND Detach();

    const MSG* m_pCurrentMsg = nullptr;
    WNDPROC m_pfnSuper = nullptr;  // the class procedure behind an attached built-in control
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // Modeless creation, for hosts that drive the loop themselves (tests).
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();      // base: EndDialog(IDOK)
    virtual void OnCancel();  // base: EndDialog(IDCANCEL)
    virtual void DoDataExchange(void* dx);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(LPCSTR text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    DWORD_PTR GetItemData(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    void* GetItemDataPtr(int index) const;
    int SetItemDataPtr(int index, void* data);
    int SetDroppedWidth(UINT width);
    int GetLBText(int index, LPSTR buffer) const;
    BOOL SetCueBanner(LPCSTR text);
};

class CToolTipCtrl : public CWnd {
public:
    BOOL Create(CWnd* parent, DWORD style = 0);
    // Text from a string resource id; the tool id defaults to 0.
    BOOL AddTool(CWnd* wnd, UINT textId, LPCRECT rect = nullptr, UINT_PTR toolId = 0);
    BOOL AddTool(CWnd* wnd, LPCSTR text, LPCRECT rect = nullptr, UINT_PTR toolId = 0);
    void Activate(BOOL activate);
    void RelayEvent(MSG* msg);
    // The tool of wnd with toolId (0: the tool that is wnd's whole window) gets new text.
    void UpdateTipText(LPCSTR text, CWnd* wnd, UINT_PTR toolId = 0);
    void UpdateTipText(UINT textId, CWnd* wnd, UINT_PTR toolId = 0);
    // Shows the tip of the tool under the pointer at once.
    void Popup();
    void DelTool(CWnd* wnd, UINT_PTR toolId = 0);
};

class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

class CWinApp {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    virtual ~CWinApp();
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual void OnHelp();
    BOOL Enable3dControls();
    HICON LoadIcon(UINT id) const;

    LPCSTR m_pszAppName;
    LPSTR m_lpCmdLine;     // the text after the program name; "" without arguments
    CWnd* m_pMainWnd;
    HINSTANCE m_hInstance;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxEnableControlContainer();
constexpr UINT ID_HELP = 0xE146;

// Runs the one application object: joins the arguments into m_lpCmdLine, calls
// InitInstance, and returns the process's exit code. The host must be set before.
int AfxWinMain(int argc, char** argv);
