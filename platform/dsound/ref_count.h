// The reference count of one COM-shaped layer object, which starts with one, and the count
// of the layer's live objects, so tests can see that releases balance.
#pragma once

#include <atomic>

#include "platform/kernel/types.h"

namespace dsound_detail {

class RefCount {
public:
    RefCount() { Objects().fetch_add(1, std::memory_order_relaxed); }
    ~RefCount() { Objects().fetch_sub(1, std::memory_order_relaxed); }
    RefCount(const RefCount&) = delete;
    RefCount& operator=(const RefCount&) = delete;

    ULONG Add() { return m_count.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Returns the references left; the owner deletes itself when that is 0.
    ULONG Drop() { return m_count.fetch_sub(1, std::memory_order_acq_rel) - 1; }
    ULONG Count() const { return m_count.load(std::memory_order_acquire); }

    static int LiveObjects() { return Objects().load(std::memory_order_relaxed); }

private:
    static std::atomic<int>& Objects() {
        static std::atomic<int> objects{0};
        return objects;
    }

    std::atomic<ULONG> m_count{1};
};

}  // namespace dsound_detail
