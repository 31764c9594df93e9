// A fixed set of worker threads that take numbered work items of one job until none is left.
// Every worker is woken for every job; items are handed out one at a time by an atomic counter, so
// faster workers take more of them. The pool lock guards the workers' states, not the items.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/sync.h"
#include "platform/thread.h"

namespace krvx {

class CWorkerPool {
public:
    static constexpr uint32_t kMaxThreads = 32;
    static constexpr uint32_t kStackReserve = 0x20000;

    // Routine run for one item; `worker` is the index of the running worker (0 .. thread count - 1).
    using ItemRoutine = void (*)(void* job, int32_t item, uint32_t worker);

    explicit CWorkerPool(uint32_t threadCount);
    // Tells every worker to quit (active flag 2), waits for them and closes their handles.
    ~CWorkerPool();
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    uint32_t ThreadCount() const { return m_threadCount; }

    // Held by a caller for a whole job (one or more passes), so jobs from different threads run in turn.
    platform::CriticalSection& JobLock() { return m_jobLock; }

    // Runs items 0 .. itemCount - 1 on the workers and returns when every item is done. When no worker
    // could be started the caller's thread runs the items itself.
    void Run(int32_t itemCount, ItemRoutine routine, void* job);

private:
    enum : int32_t { kIdle = 0, kActive = 1, kQuit = 2 };
    enum : int32_t { kStartOk = 0, kStartFailed = 4, kNoItemLeft = 7 };

    struct Worker {
        platform::NativeThread* thread = nullptr;
        uint32_t id = 0;  // 0 when the thread could not be created
        platform::Event* start = nullptr;
        platform::Event* done = nullptr;
        int32_t active = kIdle;
    };

    static uint32_t ThreadProc(void* context);
    int32_t WaitForStart(uint32_t index, int32_t* active);
    int32_t GetNextWorkItem(int32_t* item);
    void SignalDone(uint32_t index);

    uint32_t m_threadCount;
    Worker m_workers[kMaxThreads];
    uint32_t m_nextWorkerIndex = 0;
    // Items are handed out with one atomic step instead of a trip through the pool lock, so that
    // jobs of one row per item do not queue on the lock; the order (0, 1, 2, ...) is the same.
    int32_t m_itemCount = 0;
    std::atomic<int32_t> m_nextItem{0};
    ItemRoutine m_routine = nullptr;
    void* m_job = nullptr;
    platform::CriticalSection m_poolLock;
    platform::CriticalSection m_jobLock;
};

// min(count, 32), at least 1.
uint32_t CapThreadCount(uint32_t count);

}  // namespace krvx
