// One tick of each path mode, with a count of heap allocations per tick (there must be
// none: the update thread calls this under the controller's lock every 15 or 30 ms).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "motion/spatial_player.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
// GCC cannot tell that these replace the operators whose memory came from malloc above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

CSpatialPlayer* g_player = nullptr;

void BM_NextPosition(benchmark::State& state) {
    CSpatialPlayer& player = *g_player;
    const int mode = static_cast<int>(state.range(0));
    player.m_pointCount = 3;  // mode 6 cycles three recorded points
    player.SetPathMode(mode);
    Vec3 out{};
    const long before = g_allocations.load();
    for (auto _ : state) {
        player.NextPosition(&out);
        benchmark::DoNotOptimize(out);
    }
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(g_allocations.load() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_NextPosition)->DenseRange(0, 6)->ArgName("mode");

}  // namespace

int main(int argc, char** argv) {
    // No sound is needed: a null output keeps the player's device from reaching a speaker.
    setenv("ALSOFT_DRIVERS", "null", 0);
    benchmark::Initialize(&argc, argv);
    CSpatialPlayer player(nullptr);
    g_player = &player;
    benchmark::RunSpecifiedBenchmarks();
    player.Close();
    benchmark::Shutdown();
    return 0;
}
