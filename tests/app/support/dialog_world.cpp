#include "tests/app/support/dialog_world.h"

#include "platform/dsound/dsound.h"
#include "platform/kernel/profile.h"
#include "platform/user/host.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "tests/app/support/test_support.h"

DialogWorld::DialogWorld(bool keepSettings) {
    user_host::SetHost(&host);
    RegisterDirectSoundModule();
    RegisterProgramResources();
    app_test::EnsureMusic();
    if (!keepSettings) app_test::RemoveFile(SettingsNative());
}

DialogWorld::~DialogWorld() {
    Close();
    user_host::SetHost(nullptr);
}

void DialogWorld::Open(const char* script) {
    dlg = std::make_unique<CDemoDlg>();
    if (script) dlg->SetDemoScript(script, 1);
    dlg->Create(IDD_MAIN);
}

void DialogWorld::Close() {
    if (!dlg) return;
    if (dlg->m_hWnd) dlg->DestroyWindow();
    app_test::Pump(5);
    dlg.reset();
}

std::vector<Notification> DialogWorld::DrainNotifications() {
    std::vector<Notification> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, kMsgNotify, kMsgNotify, PM_REMOVE)) {
        out.push_back(Notification{msg.hwnd, msg.wParam, msg.lParam});
        DispatchMessageA(&msg);
    }
    return out;
}

std::vector<WPARAM> DialogWorld::CodesTo(const std::vector<Notification>& list, HWND window) const {
    std::vector<WPARAM> codes;
    for (const Notification& n : list)
        if (n.window == window) codes.push_back(n.code);
    return codes;
}

std::string DialogWorld::SettingsNative() const { return app_test::NativeProgramDir() + "/Zor3DPlayer.ini"; }

std::string DialogWorld::IniValue(const char* key) const {
    char value[300] = "";
    const std::string file = app_test::ProgramDir() + "\\Zor3DPlayer.ini";
    GetPrivateProfileStringA("ZOR3DPLAYER", key, "<missing>", value, sizeof value, file.c_str());
    return value;
}

void DialogWorld::WriteSettings(const std::string& body) const {
    app_test::WriteFile(SettingsNative(), "[ZOR3DPLAYER]\n" + body);
}

void DialogWorld::WriteScript(const char* name, const std::string& text) const {
    app_test::WriteFile(app_test::NativeProgramDir() + "/" + name, text);
}

POINT DialogWorld::CentreOf(int region) const {
    const RECT r = Region(region);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT DialogWorld::Region(int region) const {
    RECT r{0, 0, 0, 0};
    dlg->m_skin.GetRegionRect(region, &r);
    return r;
}

void DialogWorld::Click(int region) {
    const POINT p = CentreOf(region);
    user_host::InjectMouse(dlg->m_hWnd, WM_LBUTTONDOWN, p.x, p.y, MK_LBUTTON);
    user_host::InjectMouse(dlg->m_hWnd, WM_LBUTTONUP, p.x, p.y, 0);
    app_test::Pump(5);
}
