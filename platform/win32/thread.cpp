#include "platform/thread.h"

#include <windows.h>

namespace krvx {
namespace platform {

struct NativeThread {
    HANDLE handle;
};

namespace {
// Routine and context travel to the new thread in a start record that the thread itself frees.
struct StartRecord {
    ThreadRoutine routine;
    void* context;
};

DWORD WINAPI Trampoline(LPVOID argument) {
    StartRecord start = *static_cast<StartRecord*>(argument);
    delete static_cast<StartRecord*>(argument);
    return start.routine(start.context);
}
}  // namespace

NativeThread* ThreadCreate(ThreadRoutine routine, void* context, uint32_t stackReserve, uint32_t* threadId) {
    StartRecord* start = new StartRecord{routine, context};
    DWORD id = 0;
    HANDLE handle = CreateThread(nullptr, stackReserve, Trampoline, start, 0, &id);
    if (!handle) {
        delete start;
        return nullptr;
    }
    if (threadId) *threadId = id;
    return new NativeThread{handle};
}

WaitResult ThreadWait(NativeThread* thread, uint32_t timeoutMs, uint32_t* exitCode) {
    if (!thread) return WaitResult::Failed;
    DWORD rc = WaitForSingleObject(thread->handle, timeoutMs);
    if (rc == WAIT_TIMEOUT) return WaitResult::TimedOut;
    if (rc != WAIT_OBJECT_0) return WaitResult::Failed;
    DWORD code = 0;
    if (exitCode && GetExitCodeThread(thread->handle, &code)) *exitCode = code;
    return WaitResult::Signalled;
}

void ThreadClose(NativeThread* thread) {
    if (!thread) return;
    CloseHandle(thread->handle);
    delete thread;
}

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }
void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace platform
}  // namespace krvx
