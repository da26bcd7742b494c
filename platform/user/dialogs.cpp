// Dialogs from templates, the dialog defaults, the dialog keys and the modal loop.
#include "platform/user/resources.h"
#include "platform/user/window_table.h"

using namespace user_internal;

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, WNDPROC proc, LPARAM param) {
    if (!IS_INTRESOURCE(templateName)) return nullptr;
    const DialogTemplate* tmpl = FindDialogTemplate(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(templateName)));
    if (!tmpl) return nullptr;
    DWORD style = (tmpl->style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
    SetNextDialogProc(proc);
    HWND dialog = CreateWindowExA(0, "#32770", tmpl->caption ? tmpl->caption : "", style, 0, 0, tmpl->width,
                                  tmpl->height, parent, nullptr, instance, nullptr);
    if (!dialog) return nullptr;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(dialog);
        if (!w) return nullptr;
        w->dialogTemplate = tmpl;
        w->font = FontHandle(tmpl->fontFace ? tmpl->fontFace : "", tmpl->pointSize);
    }
    SendMessageA(dialog, WM_INITDIALOG, 0, param);
    if (!IsWindow(dialog)) return nullptr;
    if (tmpl->style & WS_VISIBLE) ShowWindow(dialog, SW_SHOW);
    return dialog;
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, WNDPROC proc, LPARAM param) {
    HWND owner = parent ? user_host::TopLevelOf(parent) : nullptr;
    HWND dialog = CreateDialogParamA(instance, templateName, owner, proc, param);
    if (!dialog) return -1;
    BOOL ownerWasDisabled = owner ? EnableWindow(owner, FALSE) : TRUE;
    INT_PTR result = RunModalDialogLoop(dialog);
    if (owner && !ownerWasDisabled) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(dialog);
        if (!w) return FALSE;
        w->dialogEnded = true;
        w->dialogResult = result;
    }
    WakeUiThread();
    return TRUE;
}

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return TRUE;
        case WM_COMMAND: return 0;  // IDOK and IDCANCEL do nothing unless the dialog acts
        case WM_CLOSE: PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); return 0;
        case WM_ERASEBKGND: {
            // A dialog's face colour, under whatever the dialog draws; without it a plain
            // dialog shows the surface's initial black behind its text.
            RECT client{};
            GetClientRect(dialog, &client);
            return FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_3DFACE));
        }
        case WM_GETFONT: {
            std::lock_guard<std::mutex> lock(S().mutex);
            Window* w = Find(dialog);
            return w ? reinterpret_cast<LRESULT>(w->font) : 0;
        }
        case WM_SETFONT: {
            std::lock_guard<std::mutex> lock(S().mutex);
            if (Window* w = Find(dialog)) w->font = reinterpret_cast<HFONT>(wParam);
            return 0;
        }
        default: return DefWindowProcA(dialog, message, wParam, lParam);
    }
}

BOOL IsDialogMessageA(HWND dialog, MSG* msg) {
    if (!msg) return FALSE;
    {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* target = Find(msg->hwnd);
        if (!target || !Find(dialog) || !IsDescendantOrSelf(target, dialog)) return FALSE;
    }
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        int id = msg->wParam == VK_RETURN ? IDOK : IDCANCEL;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
        return TRUE;
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

INT_PTR RunModalDialogLoop(HWND dialog) {
    auto ended = [dialog](INT_PTR* result) {
        std::lock_guard<std::mutex> lock(S().mutex);
        Window* w = Find(dialog);
        if (!w) return true;
        *result = w->dialogResult;
        return w->dialogEnded;
    };
    INT_PTR result = -1;
    if (ended(&result) || QuitPending()) return result;
    ShowWindow(dialog, SW_SHOW);
    while (!ended(&result)) {
        if (PumpOne(dialog, GetModalMessageFilter())) continue;
        if (QuitPending()) break;  // the quit message stays for the loops further out
        if (ended(&result)) break;
        WaitForWork();
    }
    return result;
}
