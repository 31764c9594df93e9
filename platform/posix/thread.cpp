#include "platform/thread.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace krvx {
namespace platform {

struct NativeThread {
    pthread_t thread;
    ThreadRoutine routine;
    void* context;
    uint32_t exitCode = 0;
    std::atomic<uint32_t> id{0};
    Event started{true, false};
    Event finished{true, false};
    bool joined = false;
    std::atomic<int> owners{2};  // the handle and the running thread
};

namespace {
void Release(NativeThread* thread) {
    if (thread->owners.fetch_sub(1) == 1) delete thread;
}

void* Trampoline(void* argument) {
    NativeThread* thread = static_cast<NativeThread*>(argument);
    thread->id = CurrentThreadId();
    thread->started.Set();
    thread->exitCode = thread->routine(thread->context);
    thread->finished.Set();
    Release(thread);
    return nullptr;
}
}  // namespace

NativeThread* ThreadCreate(ThreadRoutine routine, void* context, uint32_t stackReserve, uint32_t* threadId) {
    NativeThread* thread = new NativeThread;
    thread->routine = routine;
    thread->context = context;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // A reservation below the system minimum is raised to it; sanitizers need more than 128 KiB.
    size_t stack = stackReserve < 256u * 1024u ? 256u * 1024u : stackReserve;
    pthread_attr_setstacksize(&attributes, stack);
    int rc = pthread_create(&thread->thread, &attributes, Trampoline, thread);
    pthread_attr_destroy(&attributes);
    if (rc != 0) {
        delete thread;
        return nullptr;
    }
    thread->started.Wait();
    if (threadId) *threadId = thread->id;
    return thread;
}

WaitResult ThreadWait(NativeThread* thread, uint32_t timeoutMs, uint32_t* exitCode) {
    if (!thread) return WaitResult::Failed;
    WaitResult result = thread->finished.Wait(timeoutMs);
    if (result == WaitResult::Signalled && exitCode) *exitCode = thread->exitCode;
    return result;
}

void ThreadClose(NativeThread* thread) {
    if (!thread) return;
    if (thread->finished.Wait(0) == WaitResult::Signalled)
        pthread_join(thread->thread, nullptr);
    else
        pthread_detach(thread->thread);
    Release(thread);
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

void SleepMs(uint32_t milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) == -1 && errno == EINTR) {
    }
}

}  // namespace platform
}  // namespace krvx
