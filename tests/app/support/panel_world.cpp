#include "tests/app/support/panel_world.h"

#include "app/messages.h"
#include "platform/dsound/dsound.h"
#include "platform/user/host.h"
#include "res/program_resources.h"
#include "tests/app/support/test_support.h"

LRESULT RecordingParent::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgPanelCommand || message == kMsgSpriteMoved) {
        RECT sprite{0, 0, 0, 0};
        m_skin->GetRegionRect(29, &sprite);
        received.push_back(ReceivedMessage{message, wParam, lParam, sprite});
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

PanelWorld::PanelWorld() {
    user_host::SetHost(&host);
    RegisterDirectSoundModule();
    RegisterProgramResources();
    skin.Load();
    RECT whole{0, 0, 0, 0};
    skin.GetRegionRect(37, &whole);
    parent.Create(nullptr, "panel test", WS_POPUP | WS_VISIBLE, whole, nullptr, 0);
    app_test::Pump(20);
}

PanelWorld::~PanelWorld() {
    parent.DestroyWindow();
    app_test::Pump(5);
    user_host::SetHost(nullptr);
}

void PanelWorld::Press(int x, int y) {
    user_host::InjectMouse(parent.m_hWnd, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    app_test::Pump(5);
}
void PanelWorld::Move(int x, int y) {
    user_host::InjectMouse(parent.m_hWnd, WM_MOUSEMOVE, x, y, MK_LBUTTON);
    app_test::Pump(5);
}
void PanelWorld::Release(int x, int y) {
    user_host::InjectMouse(parent.m_hWnd, WM_LBUTTONUP, x, y, 0);
    app_test::Pump(5);
}

POINT PanelWorld::CentreOf(int region) const {
    RECT r{0, 0, 0, 0};
    skin.GetRegionRect(region, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::uint32_t PanelWorld::Pixel(int x, int y) const {
    auto surface = user_host::TopLevelSurface(parent.m_hWnd);
    if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) return 0xFFFFFFFFu;
    std::lock_guard<std::mutex> hold(surface->mutex);
    return surface->pixels[static_cast<std::size_t>(y) * surface->width + x];
}

std::vector<ReceivedMessage> PanelWorld::Commands() const { return parent.received; }
