#include "platform/kernel/sync.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <functional>
#include <thread>

#include "platform/kernel/kernel_object.h"

namespace {

using kernel::KernelObject;

struct Event : KernelObject {
    Event(bool manual, bool initial) : KernelObject(Kind::Event), manualReset(manual), signalled(initial) {}
    std::mutex mutex;
    std::condition_variable changed;
    bool manualReset;
    bool signalled;
};

// The thread's state outlives its handle: closing the handle of a running thread
// detaches it, and the routine keeps its own reference until it returns.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    DWORD exitCode = 0;
};

struct Thread : KernelObject {
    Thread() : KernelObject(Kind::Thread), state(std::make_shared<ThreadState>()) {}
    std::shared_ptr<ThreadState> state;
    std::thread thread;
};

bool WaitOn(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms,
            const std::function<bool()>& ready) {
    if (ms == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

}  // namespace

HANDLE CreateThread(SECURITY_ATTRIBUTES*, std::size_t, LPTHREAD_START_ROUTINE start, void* parameter,
                    DWORD, DWORD* threadId) {
    if (!start) return nullptr;
    auto* t = new Thread();
    try {
        std::shared_ptr<ThreadState> state = t->state;
        t->thread = std::thread([state, start, parameter] {
            DWORD code = start(parameter);
            std::lock_guard<std::mutex> g(state->mutex);
            state->exitCode = code;
            state->done = true;
            state->ended.notify_all();
        });
    } catch (...) {
        delete t;
        return nullptr;
    }
    if (threadId) *threadId = static_cast<DWORD>(std::hash<std::thread::id>{}(t->thread.get_id()));
    return t;
}

HANDLE CreateEventA(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCSTR) {
    return new (std::nothrow) Event(manualReset != 0, initialState != 0);
}

BOOL SetEvent(HANDLE h) {
    auto* obj = static_cast<KernelObject*>(h);
    if (!obj || obj->kind != KernelObject::Kind::Event) return FALSE;
    auto* e = static_cast<Event*>(obj);
    std::lock_guard<std::mutex> g(e->mutex);
    e->signalled = true;
    e->changed.notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE h) {
    auto* obj = static_cast<KernelObject*>(h);
    if (!obj || obj->kind != KernelObject::Kind::Event) return FALSE;
    auto* e = static_cast<Event*>(obj);
    std::lock_guard<std::mutex> g(e->mutex);
    e->signalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
    auto* obj = static_cast<KernelObject*>(h);
    if (!obj) return WAIT_FAILED;
    if (obj->kind == KernelObject::Kind::Event) {
        auto* e = static_cast<Event*>(obj);
        std::unique_lock<std::mutex> lock(e->mutex);
        if (!WaitOn(lock, e->changed, ms, [e] { return e->signalled; })) return WAIT_TIMEOUT;
        if (!e->manualReset) e->signalled = false;
        return WAIT_OBJECT_0;
    }
    if (obj->kind != KernelObject::Kind::Thread) return WAIT_FAILED;
    auto* t = static_cast<Thread*>(obj);
    std::unique_lock<std::mutex> lock(t->state->mutex);
    ThreadState* s = t->state.get();
    if (!WaitOn(lock, s->ended, ms, [s] { return s->done; })) return WAIT_TIMEOUT;
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE h) {
    auto* obj = static_cast<KernelObject*>(h);
    if (!obj) return FALSE;
    if (obj->kind == KernelObject::Kind::Thread) {
        auto* t = static_cast<Thread*>(obj);
        if (t->thread.joinable()) {
            bool done;
            {
                std::lock_guard<std::mutex> g(t->state->mutex);
                done = t->state->done;
            }
            // A finished thread is joined so nothing is left behind; a running one is
            // detached, as closing a handle never stops a thread on the platform.
            if (done && t->thread.get_id() != std::this_thread::get_id())
                t->thread.join();
            else
                t->thread.detach();
        }
    }
    delete obj;
    return TRUE;
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

DWORD GetTickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

void InitializeCriticalSection(CRITICAL_SECTION* cs) {
    if (cs) cs->impl = new std::recursive_mutex();
}

void EnterCriticalSection(CRITICAL_SECTION* cs) {
    if (cs && cs->impl) static_cast<std::recursive_mutex*>(cs->impl)->lock();
}

BOOL TryEnterCriticalSection(CRITICAL_SECTION* cs) {
    if (!cs || !cs->impl) return FALSE;
    return static_cast<std::recursive_mutex*>(cs->impl)->try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(CRITICAL_SECTION* cs) {
    if (cs && cs->impl) static_cast<std::recursive_mutex*>(cs->impl)->unlock();
}

void DeleteCriticalSection(CRITICAL_SECTION* cs) {
    if (!cs) return;
    delete static_cast<std::recursive_mutex*>(cs->impl);
    cs->impl = nullptr;
}
