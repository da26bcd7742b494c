// Start-up to the first painted frame on the desktop host (offscreen), against a bare
// toolkit window shown in the same process.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <memory>

#include "app/demo_dlg.h"
#include "platform/dsound/dsound.h"
#include "platform/host/qt/qt_host.h"
#include "platform/user/host.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

namespace {

using Clock = std::chrono::steady_clock;

// Forwards to the desktop host and notes when a top-level surface first changes.
class WatchingHost : public user_host::Host {
public:
    explicit WatchingHost(user_host::Host* inner) : m_inner(inner) {}
    std::atomic<bool> painted{false};
    void TopLevelShown(HWND top) override { m_inner->TopLevelShown(top); }
    void TopLevelHidden(HWND top) override { m_inner->TopLevelHidden(top); }
    void TopLevelChanged(HWND top) override { m_inner->TopLevelChanged(top); }
    void SurfaceChanged(HWND top, const RECT& r) override {
        painted = true;
        m_inner->SurfaceChanged(top, r);
    }
    void WaitForEvents(DWORD ms) override { m_inner->WaitForEvents(ms); }
    void Wake() override { m_inner->Wake(); }
    void ControlChanged(HWND c) override { m_inner->ControlChanged(c); }
    void ControlDestroyed(HWND c) override { m_inner->ControlDestroyed(c); }
    void ShowToolTip(HWND top, POINT at, const std::string& text) override { m_inner->ShowToolTip(top, at, text); }
    void HideToolTip(HWND top) override { m_inner->HideToolTip(top); }
    void BeginMessageBox(const user_host::MessageBoxRequest& r, std::function<void(int)> done) override {
        m_inner->BeginMessageBox(r, std::move(done));
    }
    void BeginOpenFile(const user_host::OpenFileRequest& r,
                       std::function<void(bool, const std::string&)> done) override {
        m_inner->BeginOpenFile(r, std::move(done));
    }

private:
    user_host::Host* m_inner;
};

class PaintedWidget : public QWidget {
public:
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override { painted = true; }
};

int g_argc = 1;
char g_name[] = "bench_startup";
char* g_argv[] = {g_name, nullptr};

user_host::Host* QtHost() {
    static std::unique_ptr<user_host::Host> host = CreateQtHost(g_argc, g_argv);
    return host.get();
}

void BM_BareToolkitWindowFirstPaint(benchmark::State& state) {
    QtHost();
    for (auto _ : state) {
        PaintedWidget widget;
        widget.resize(640, 455);
        widget.show();
        while (!widget.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}
BENCHMARK(BM_BareToolkitWindowFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PlayerFirstPaint(benchmark::State& state) {
    WatchingHost host(QtHost());
    user_host::SetHost(&host);
    RegisterDirectSoundModule();
    RegisterProgramResources();
    for (auto _ : state) {
        host.painted = false;
        auto dlg = std::make_unique<CDemoDlg>();
        dlg->Create(IDD_MAIN);
        while (!host.painted) {
            if (user_host::PumpPending() == 0) host.WaitForEvents(1);
        }
        host.WaitForEvents(0);  // lets the toolkit present the changed rectangle
        state.PauseTiming();
        dlg->DestroyWindow();
        user_host::PumpPending();
        state.ResumeTiming();
    }
    user_host::SetHost(nullptr);
}
BENCHMARK(BM_PlayerFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
