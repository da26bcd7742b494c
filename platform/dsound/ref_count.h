// The reference count of one COM-shaped layer object; the object starts with one.
#pragma once

#include <atomic>

#include "platform/kernel/types.h"

namespace dsound_detail {

class RefCount {
public:
    ULONG Add() { return m_count.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Returns the references left; the owner deletes itself when that is 0.
    ULONG Drop() { return m_count.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<ULONG> m_count{1};
};

}  // namespace dsound_detail
