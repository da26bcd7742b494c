// Threads, manual-reset events, recursive critical sections and Sleep, on std::thread.
#pragma once

#include "platform/kernel/types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// Security attributes are accepted for the platform's signatures and ignored.
struct SECURITY_ATTRIBUTES;

// Starts the routine at once on a new thread. Returns null on failure.
HANDLE CreateThread(SECURITY_ATTRIBUTES* security, std::size_t stackSize,
                    LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags, DWORD* threadId);

// Events: only what the program uses. Auto-reset events are supported for completeness.
HANDLE CreateEventA(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState, LPCSTR name);
inline HANDLE CreateEvent(SECURITY_ATTRIBUTES* s, BOOL manualReset, BOOL initialState, LPCSTR name) {
    return CreateEventA(s, manualReset, initialState, name);
}
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Events: WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT after the time-out.
// Threads: WAIT_OBJECT_0 once the thread has ended. WAIT_FAILED for a bad handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Closing a thread handle detaches a still-running thread; it is joined when it ends.
BOOL CloseHandle(HANDLE handle);

void Sleep(DWORD milliseconds);
DWORD GetTickCount();
DWORD GetCurrentThreadId();

// Recursive, as on the platform: the owning thread may enter again.
struct CRITICAL_SECTION {
    void* impl = nullptr;
};
void InitializeCriticalSection(CRITICAL_SECTION* cs);
void EnterCriticalSection(CRITICAL_SECTION* cs);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* cs);
void LeaveCriticalSection(CRITICAL_SECTION* cs);
void DeleteCriticalSection(CRITICAL_SECTION* cs);
