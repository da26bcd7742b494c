#include "platform/dsound/live_objects.h"

#include <atomic>

namespace dsound_detail {
namespace {
std::atomic<int> g_liveObjects{0};
}

void CountObjectCreated() { g_liveObjects.fetch_add(1, std::memory_order_relaxed); }
void CountObjectDestroyed() { g_liveObjects.fetch_sub(1, std::memory_order_relaxed); }
int LiveObjects() { return g_liveObjects.load(std::memory_order_relaxed); }

}  // namespace dsound_detail
