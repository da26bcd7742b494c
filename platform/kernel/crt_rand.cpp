#include "platform/kernel/crt_rand.h"

#include <atomic>

namespace msvcrt {
namespace {
// The platform's runtime starts as if srand(1) had been called.
std::atomic<unsigned int> g_state{1};
}  // namespace

void srand(unsigned int seed) { g_state.store(seed, std::memory_order_relaxed); }

int rand() {
    // Linear congruential step of the platform's runtime; the update is atomic so a
    // second thread never tears the state, though the sequence is shared.
    unsigned int old = g_state.load(std::memory_order_relaxed);
    unsigned int next;
    do {
        next = old * 214013u + 2531011u;
    } while (!g_state.compare_exchange_weak(old, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFF);
}

}  // namespace msvcrt
