// Memory for pixels. A window-sized surface is over a megabyte, and fresh memory comes
// from the system one page at a time, each page on its first touch; on a virtual machine
// every such touch is a costly trip into the kernel. Large buffers are therefore asked
// of the system directly with all their pages made present in one call, which is many
// times cheaper. Small ones come from the ordinary heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace gdi {

namespace detail {
void* AllocatePixels(std::size_t bytes);
void FreePixels(void* p, std::size_t bytes);
}  // namespace detail

template <typename T>
struct PixelAllocator {
    using value_type = T;

    PixelAllocator() = default;
    template <typename U>
    PixelAllocator(const PixelAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(detail::AllocatePixels(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) { detail::FreePixels(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const PixelAllocator<U>&) const { return true; }
    template <typename U>
    bool operator!=(const PixelAllocator<U>&) const { return false; }
};

using PixelBuffer = std::vector<std::uint32_t, PixelAllocator<std::uint32_t>>;

}  // namespace gdi
