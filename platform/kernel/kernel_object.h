// What a kernel handle points at; the kind tells the handle functions what it is, and
// CloseHandle deletes it through the virtual destructor.
#pragma once

namespace kernel {

struct KernelObject {
    enum class Kind { Event, Thread, File } kind;
    explicit KernelObject(Kind k) : kind(k) {}
    virtual ~KernelObject() = default;
};

}  // namespace kernel
