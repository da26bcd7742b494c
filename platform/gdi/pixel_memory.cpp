#include "platform/gdi/pixel_memory.h"

#include <sys/mman.h>

namespace gdi::detail {
namespace {

// Below this the heap serves better: it reuses what was freed.
constexpr std::size_t kDirectBytes = 256 * 1024;

}  // namespace

void* AllocatePixels(std::size_t bytes) {
    if (bytes < kDirectBytes) return ::operator new(bytes);
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    // A kernel that cannot do it leaves the pages to come on first touch, as usual.
    madvise(p, bytes, MADV_POPULATE_WRITE);
    return p;
}

void FreePixels(void* p, std::size_t bytes) {
    if (!p) return;
    if (bytes < kDirectBytes)
        ::operator delete(p);
    else
        munmap(p, bytes);
}

}  // namespace gdi::detail
