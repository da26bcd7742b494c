// The player side by side with what it drives, measured together in the same run:
// - CPU: the whole player process while the insect flies in the hangar for 12 s, running
//   at the same time as the project's bare engine program doing the same audio work (one
//   looping mono clip, head-relative, an EAX reverb send, moved every 15 ms) and as that
//   program with a bare toolkit window whose sprite-sized square moves as often as the
//   player presents its sprite;
// - start-up: spawn to the first painted frame, and spawn to the exit of a script with no
//   steps, against a bare toolkit window of the same size that quits after its first frame.
// Each reports both sides and their ratio (player / yardstick). The in-process pair shows
// only the window's own share once the toolkit is up.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/demo_dlg.h"
#include "bench/app/first_frame_watch.h"
#include "platform/dsound/dsound.h"
#include "platform/host/qt/qt_host.h"
#include "platform/user/host.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

namespace {

using Clock = std::chrono::steady_clock;

int g_argc = 1;
char g_name[] = "bench_side_by_side";
char* g_argv[] = {g_name, nullptr};

// Never destroyed: at exit the toolkit's own globals go first, and a host torn down
// after them crashes the process once the results are already written.
user_host::Host* QtHost() {
    static user_host::Host* host = CreateQtHost(g_argc, g_argv).release();
    return host;
}

void BM_BareToolkitWindowFirstPaint(benchmark::State& state) {
    QtHost();
    bool painted = false;
    FirstFrameWatch watch([&painted] { painted = true; });
    for (auto _ : state) {
        painted = false;
        watch.Rearm();
        QWidget widget;
        widget.installEventFilter(&watch);
        widget.resize(640, 455);
        widget.show();
        while (!painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}
BENCHMARK(BM_BareToolkitWindowFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PlayerFirstPaint(benchmark::State& state) {
    user_host::Host* host = QtHost();
    user_host::SetHost(host);
    RegisterDirectSoundModule();
    RegisterProgramResources();
    bool painted = false;
    FirstFrameWatch watch([&painted] { painted = true; });
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        painted = false;
        watch.Rearm();
        auto dlg = std::make_unique<CDemoDlg>();
        dlg->Create(IDD_MAIN);
        while (!painted) {
            if (user_host::PumpPending() == 0) host->WaitForEvents(1);
        }
        state.PauseTiming();
        dlg->DestroyWindow();
        user_host::PumpPending();
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watch);
    user_host::SetHost(nullptr);
}
BENCHMARK(BM_PlayerFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

// --- Whole processes, side by side -----------------------------------------------------

constexpr int kChildReportFd = 100;  // where a child writes its first-frame byte
constexpr int kStartupRounds = 20;
constexpr int kCpuRounds = 5;
constexpr char kCpuSeconds[] = "12";
// The stretch of the 12 s that counts as running steadily: start-up and exit are outside.
constexpr auto kSteadyFrom = std::chrono::seconds(3);
constexpr auto kSteadyTo = std::chrono::seconds(11);
constexpr char kClip[] = "MUSIC/3D_Loopy.wav";

struct Run {
    bool ok = false;
    double firstFrame = 0;  // seconds from spawn to the first-frame byte (when watched)
    double exit = 0;        // seconds from spawn to the end of the process
    double cpu = 0;         // user + system seconds of the whole process
};

struct Child {
    pid_t pid = -1;
    int frameFd = -1;  // read end of the first-frame pipe, when watched
    Clock::time_point start;
};

// Starts one program in dir. With watchFrame, the child gets a pipe on kChildReportFd
// and its first byte marks the first frame.
Child Spawn(const std::vector<std::string>& args, const std::string& dir, bool watchFrame) {
    Child child;
    int fds[2] = {-1, -1};
    if (watchFrame && pipe2(fds, O_CLOEXEC) != 0) return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    if (watchFrame) posix_spawn_file_actions_adddup2(&actions, fds[1], kChildReportFd);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    child.start = Clock::now();
    const int spawned = posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (watchFrame) close(fds[1]);
    if (spawned != 0) {
        child.pid = -1;
        if (watchFrame) close(fds[0]);
        return child;
    }
    child.frameFd = fds[0];
    return child;
}

// Waits for the child's first frame (when watched) and its end.
Run Finish(Child& child) {
    Run run;
    if (child.pid < 0) return run;
    bool framed = true;
    if (child.frameFd >= 0) {
        char byte = 0;
        framed = read(child.frameFd, &byte, 1) == 1;
        run.firstFrame = std::chrono::duration<double>(Clock::now() - child.start).count();
        close(child.frameFd);
        child.frameFd = -1;
    }
    int status = 0;
    rusage usage{};
    wait4(child.pid, &status, 0, &usage);
    run.exit = std::chrono::duration<double>(Clock::now() - child.start).count();
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.ok = framed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    child.pid = -1;
    return run;
}

Run RunProcess(const std::vector<std::string>& args, const std::string& dir, bool watchFrame) {
    Child child = Spawn(args, dir, watchFrame);
    return Finish(child);
}

// A folder of its own for the player, as a new user has it: the program, its clips and
// the scripts the benchmarks run, and no settings yet.
class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/zor_side_by_side_XXXXXX";
        if (!mkdtemp(pattern)) return;
        m_dir = pattern;
        namespace fs = std::filesystem;
        std::error_code error;
        fs::copy_file(ZOR_PLAYER, m_dir / "zor3dplayer", error);
        if (!error) fs::copy_file(ZOR_PLAYER_FIRST_FRAME, m_dir / "zor_player_first_frame", error);
        if (!error) fs::copy(ZOR_MUSIC_DIR, m_dir / "MUSIC", fs::copy_options::recursive, error);
        if (error) return;
        std::ofstream(m_dir / "insect_hangar.ini")
            << "[Counter]\nDemoCounter=1\nDemoLoop=FALSE\n[AutoDemo1]\nTimer=" << kCpuSeconds
            << "000\nSoundSource=Loopy\nMovingPath =Insect\nEnvironment=Hangar\nEnableEffects=TRUE\n";
        // It ends the program at its first step, which the start-up runs.
        std::ofstream(m_dir / "no_step.ini") << "[Counter]\nDemoCounter=-1\n";
        m_ready = true;
    }
    ~Scratch() {
        std::error_code error;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, error);
    }
    bool Ready() const { return m_ready; }
    std::string Dir() const { return m_dir.string(); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    // Every run starts as the first one did.
    void ForgetSettings() const {
        std::error_code error;
        std::filesystem::remove(m_dir / "Zor3DPlayer.ini", error);
    }

private:
    std::filesystem::path m_dir;
    bool m_ready = false;
};

// CPU seconds so far of the threads pid has now. Threads that ended are missing, which
// does not matter for the difference of two readings once start-up is over.
double LiveThreadsCpuSeconds(pid_t pid) {
    namespace fs = std::filesystem;
    double seconds = 0;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream stat(task.path() / "schedstat");
        unsigned long long onCpuNs = 0;
        if (stat >> onCpuNs) seconds += static_cast<double>(onCpuNs) / 1e9;
    }
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}


// Whole-process CPU for 12 s of the insect in the hangar, for the player and two
// yardsticks: the engine alone, and the engine with a bare window that shows a moving square
// as often as the player presents its sprite. The three run at the same time, so whatever
// else the machine does weighs on all alike; each round gives its ratios and the median
// round counts.
void BM_CpuInsectInHangar(benchmark::State& state) {
    const Scratch scratch;
    if (!scratch.Ready()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    struct Side {
        std::string counter;
        std::vector<double> cpu = {}, steady = {};  // per round
    };
    for (auto _ : state) {
        Side player{"player"}, engine{"bare"}, window{"bare_window"};
        Side* const sides[] = {&player, &engine, &window};
        for (int round = 0; round < kCpuRounds; ++round) {
            scratch.ForgetSettings();
            Child children[] = {Spawn({scratch.Path("zor3dplayer"), "insect_hangar.ini"}, scratch.Dir(), false),
                                Spawn({ZOR_BARE_ENGINE, kClip, kCpuSeconds}, scratch.Dir(), false),
                                Spawn({ZOR_BARE_ENGINE_WINDOW, kClip, kCpuSeconds}, scratch.Dir(), false)};
            double from[3] = {};
            std::this_thread::sleep_until(children[0].start + kSteadyFrom);
            for (int i = 0; i < 3; ++i) from[i] = LiveThreadsCpuSeconds(children[i].pid);
            std::this_thread::sleep_until(children[0].start + kSteadyTo);
            const double steadySeconds = std::chrono::duration<double>(kSteadyTo - kSteadyFrom).count();
            for (int i = 0; i < 3; ++i)
                sides[i]->steady.push_back((LiveThreadsCpuSeconds(children[i].pid) - from[i]) / steadySeconds * 1e3);
            Run runs[3];
            for (int i = 0; i < 3; ++i) runs[i] = Finish(children[i]);
            for (int i = 0; i < 3; ++i) {
                if (!runs[i].ok) {
                    state.SkipWithError(i == 0 ? "the player failed" : "a yardstick failed");
                    return;
                }
                sides[i]->cpu.push_back(runs[i].cpu);
            }
        }
        for (const Side* side : sides) {
            state.counters[side->counter + "_cpu_s"] = Median(side->cpu);
            // While all run steadily: CPU milliseconds per second.
            state.counters[side->counter + "_steady_ms_per_s"] = Median(side->steady);
        }
        // Each ratio is the median of its rounds' ratios: the same seconds of the same machine.
        const auto ratios = [&state](const std::string& name, const Side& over, const Side& under) {
            std::vector<double> whole, steady;
            for (std::size_t i = 0; i < over.cpu.size(); ++i) {
                whole.push_back(over.cpu[i] / under.cpu[i]);
                steady.push_back(over.steady[i] / under.steady[i]);
            }
            state.counters[name + "ratio"] = Median(whole);
            state.counters[name + "steady_ratio"] = Median(steady);
        };
        ratios("", player, engine);
        ratios("window_", player, window);
        // A program doing nothing beyond driving the engine and the toolkit, against the
        // engine alone: the least "ratio" any player that shows the flight can reach.
        ratios("floor_", window, engine);
    }
}
BENCHMARK(BM_CpuInsectInHangar)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Spawn to first frame and spawn to exit, medians of interleaved rounds.
void MeasureStartup(benchmark::State& state, bool toExit) {
    const Scratch scratch;
    if (!scratch.Ready()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string fd = std::to_string(kChildReportFd);
    for (auto _ : state) {
        std::vector<double> player, bare, ratios;
        for (int round = 0; round < kStartupRounds; ++round) {
            scratch.ForgetSettings();
            const Run p = toExit
                ? RunProcess({scratch.Path("zor3dplayer"), "no_step.ini"}, scratch.Dir(), false)
                : RunProcess({scratch.Path("zor_player_first_frame"), fd}, scratch.Dir(), true);
            const Run b = RunProcess({ZOR_BARE_TOOLKIT_WINDOW, fd}, scratch.Dir(), true);
            if (!p.ok || !b.ok) {
                state.SkipWithError(!p.ok ? "the player failed" : "the bare window failed");
                return;
            }
            player.push_back(toExit ? p.exit : p.firstFrame);
            bare.push_back(toExit ? b.exit : b.firstFrame);
            ratios.push_back(player.back() / bare.back());
        }
        state.counters["player_ms"] = Median(player) * 1e3;
        state.counters["bare_ms"] = Median(bare) * 1e3;
        // Each round's pair ran back to back, so a machine that slows down or speeds up
        // during the run weighs on both sides of a round alike.
        state.counters["ratio"] = Median(ratios);
    }
}
void BM_StartupToFirstFrame(benchmark::State& state) { MeasureStartup(state, false); }
void BM_StartupToExit(benchmark::State& state) { MeasureStartup(state, true); }
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_StartupToExit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // The back ends the goals are set on, unless the caller chose others.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
