// Start-up to the first painted frame on the desktop host (offscreen), against a bare
// toolkit window. What a user waits for is a whole process: loading, the toolkit, then
// the first frame; the Process benchmarks start this binary again as a child in either
// role and time it from spawn to its first paint. The in-process pair shows only the
// window's own share once the toolkit is up.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QWidget>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "app/demo_dlg.h"
#include "platform/dsound/dsound.h"
#include "platform/host/qt/qt_host.h"
#include "platform/host/qt/top_level_widget.h"
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

// Notes the first paint of the widget it watches.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

int g_argc = 1;
char g_name[] = "bench_startup";
char* g_argv[] = {g_name, nullptr};

// Never destroyed: at exit the toolkit's own globals go first, and a host torn down
// after them crashes the process once the results are already written.
user_host::Host* QtHost() {
    static user_host::Host* host = CreateQtHost(g_argc, g_argv).release();
    return host;
}

void BM_BareToolkitWindowFirstPaint(benchmark::State& state) {
    QtHost();
    for (auto _ : state) {
        QWidget widget;
        PaintWatch watch;
        widget.installEventFilter(&watch);
        widget.resize(640, 455);
        widget.show();
        while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
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

// --- Whole processes ------------------------------------------------------------------

constexpr char kChildFlag[] = "--startup-child";


// Tells the parent the first frame is on screen, then leaves without tearing down:
// shutdown is not part of start-up.
[[noreturn]] void ReportAndExit(int fd) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(fd, &byte, 1);
    _exit(0);
}

int RunChild(const std::string& role, int fd, int argc, char** argv) {
    if (role == "bare" || role == "combo") {
        QApplication app(argc, argv);
        QWidget widget;
        PaintWatch watch;
        widget.installEventFilter(&watch);
        widget.resize(640, 455);
        // The same native control the player shows: its text brings in the font
        // database, which a window without text never loads.
        if (role == "combo") (new QComboBox(&widget))->addItem(QStringLiteral("3D_Loopy.wav"));
        widget.show();
        while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
        ReportAndExit(fd);
    }
    // As the program's main does, up to its dialog's first frame.
    std::unique_ptr<user_host::Host> host = CreateQtHost(argc, argv);
    user_host::SetHost(host.get());
    RegisterDirectSoundModule();
    RegisterProgramResources();
    auto* dlg = new CDemoDlg;
    dlg->Create(IDD_MAIN);
    PaintWatch watch;
    bool watching = false;
    while (!watch.painted) {
        if (!watching) {
            if (QWidget* w = qt_host::FindTopLevelWidget(dlg->m_hWnd)) {
                w->installEventFilter(&watch);
                watching = true;
            }
        }
        if (user_host::PumpPending() == 0) host->WaitForEvents(1);
    }
    ReportAndExit(fd);
}

std::string& SelfPath() {
    static std::string path;
    return path;
}

void SpawnUntilFirstFrame(benchmark::State& state, const char* role) {
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        const std::string fd = std::to_string(fds[1]);
        char* args[] = {SelfPath().data(), const_cast<char*>(kChildFlag), const_cast<char*>(role),
                        const_cast<char*>(fd.c_str()), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, SelfPath().c_str(), nullptr, nullptr, args, environ) != 0) {
            close(fds[0]);
            close(fds[1]);
            state.SkipWithError("spawn");
            return;
        }
        close(fds[1]);
        char byte = 0;
        const bool framed = read(fds[0], &byte, 1) == 1;
        close(fds[0]);
        state.PauseTiming();
        int status = 0;
        waitpid(child, &status, 0);
        state.ResumeTiming();
        if (!framed) {
            state.SkipWithError("the child ended before its first frame");
            return;
        }
    }
}

void BM_BareToolkitProcessFirstFrame(benchmark::State& state) { SpawnUntilFirstFrame(state, "bare"); }
BENCHMARK(BM_BareToolkitProcessFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_ToolkitWindowWithComboProcessFirstFrame(benchmark::State& state) { SpawnUntilFirstFrame(state, "combo"); }
BENCHMARK(BM_ToolkitWindowWithComboProcessFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_PlayerProcessFirstFrame(benchmark::State& state) { SpawnUntilFirstFrame(state, "player"); }
BENCHMARK(BM_PlayerProcessFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], kChildFlag) == 0) {
        int childArgc = 1;
        return RunChild(argv[2], std::atoi(argv[3]), childArgc, argv);
    }
    SelfPath() = "/proc/self/exe";
    char resolved[4096];
    const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    if (n > 0) SelfPath().assign(resolved, static_cast<std::size_t>(n));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
