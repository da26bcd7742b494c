// The position update: one tick with its sprite redraw, and the real thread's period and
// jitter on the two fast paths, each measured on a live dialog (null audio back end).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "tests/app/support/dialog_world.h"
#include "tests/app/support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

DialogWorld& World() {
    static DialogWorld* world = [] {
        auto* w = new DialogWorld;
        w->Open();
        app_test::Pump(20);
        return w;
    }();
    return *world;
}

void PlayOn(int pathMode) {
    CDemoDlg& dlg = *World().dlg;
    dlg.OnPanelCommand(kCmdStop, 0);
    dlg.OnPanelCommand(kCmdPathFirst + pathMode, 0);
    dlg.OnPanelCommand(kCmdPlay, 0);
}

void BM_UpdateTickWithSprite(benchmark::State& state) {
    PlayOn(3);
    CDemoDlg& dlg = *World().dlg;
    dlg.StopUpdateThread();
    for (auto _ : state) dlg.UpdateTick();
    dlg.OnPanelCommand(kCmdStop, 0);
}
BENCHMARK(BM_UpdateTickWithSprite);

// Watches m_vLastPos from this thread to time-stamp each tick of the running thread.
void MeasurePeriod(benchmark::State& state, int pathMode) {
    CDemoDlg& dlg = *World().dlg;
    for (auto _ : state) {
        PlayOn(pathMode);
        const double interval = dlg.m_nInterval / 1000.0;
        std::vector<double> stamps;
        Vec3 last{0, 0, 0};
        const auto start = Clock::now();
        while (Clock::now() - start < std::chrono::seconds(2)) {
            Vec3 now;
            {
                CCsGuard hold(&dlg.m_csLock);
                now = dlg.m_vLastPos;
            }
            if (now.x != last.x || now.y != last.y || now.z != last.z) {
                stamps.push_back(std::chrono::duration<double>(Clock::now() - start).count());
                last = now;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        dlg.OnPanelCommand(kCmdStop, 0);

        std::vector<double> periods;
        for (std::size_t i = 1; i < stamps.size(); ++i) periods.push_back(stamps[i] - stamps[i - 1]);
        if (periods.size() < 10) {
            state.SkipWithError("too few ticks seen");
            return;
        }
        double mean = 0;
        for (double p : periods) mean += p;
        mean /= periods.size();
        std::vector<double> jitter;
        for (double p : periods) jitter.push_back(std::fabs(p - mean));
        std::sort(jitter.begin(), jitter.end());
        const double p99 = jitter[static_cast<std::size_t>(0.99 * (jitter.size() - 1))];
        state.counters["ticks"] = static_cast<double>(periods.size());
        state.counters["mean_ms"] = mean * 1e3;
        // What the wait adds beyond the interval (the tick itself is a few microseconds).
        state.counters["overshoot_ms"] = (mean - interval) * 1e3;
        state.counters["jitter_p99_ms"] = p99 * 1e3;
    }
}

void BM_TickPeriodInsect(benchmark::State& state) { MeasurePeriod(state, 4); }
void BM_TickPeriodFlyBy(benchmark::State& state) { MeasurePeriod(state, 3); }
BENCHMARK(BM_TickPeriodInsect)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickPeriodFlyBy)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
