// Threads with an explicit stack reservation, as the worker pools create them.
#pragma once
#include <cstdint>

#include "platform/sync.h"

namespace krvx {
namespace platform {

struct NativeThread;
using ThreadRoutine = uint32_t (*)(void* context);

// Starts `routine(context)` at once. Returns null when the thread cannot be created; the identifier
// (never 0 for a live thread) is stored when threadId is not null.
NativeThread* ThreadCreate(ThreadRoutine routine, void* context, uint32_t stackReserve, uint32_t* threadId);

// Waits for the thread to end. The exit code is stored when it ended and exitCode is not null.
WaitResult ThreadWait(NativeThread* thread, uint32_t timeoutMs, uint32_t* exitCode = nullptr);

// Releases the handle; a thread still running goes on detached.
void ThreadClose(NativeThread* thread);

uint32_t CurrentThreadId();
void SleepMs(uint32_t milliseconds);

}  // namespace platform
}  // namespace krvx
