#include "convert/WorkerPool.h"

namespace krvx {

uint32_t CapThreadCount(uint32_t count) {
    if (count < 1) return 1;
    return count > CWorkerPool::kMaxThreads ? CWorkerPool::kMaxThreads : count;
}

CWorkerPool::CWorkerPool(uint32_t threadCount) : m_threadCount(CapThreadCount(threadCount)) {
    platform::ScopedLock lock(m_poolLock);
    for (uint32_t i = 0; i < m_threadCount; ++i) {
        Worker& worker = m_workers[i];
        worker.active = kIdle;
        worker.start = new platform::Event(false, false);
        worker.done = new platform::Event(false, false);
    }
    // Each new worker takes its index under the pool lock, so they all wait until the set is complete.
    // Creation stops at the first failure, so the running workers hold exactly the first indexes.
    for (uint32_t i = 0; i < m_threadCount; ++i) {
        uint32_t id = 0;
        m_workers[i].thread = platform::ThreadCreate(&ThreadProc, this, kStackReserve, &id);
        m_workers[i].id = m_workers[i].thread ? id : 0;
        if (!m_workers[i].thread) break;
    }
}

CWorkerPool::~CWorkerPool() {
    {
        platform::ScopedLock lock(m_poolLock);
        for (uint32_t i = 0; i < m_threadCount; ++i) {
            if (!m_workers[i].thread) continue;
            m_workers[i].active = kQuit;
            m_workers[i].start->Set();
        }
    }
    // Workers take their indexes in start order, not creation order: every thread must be gone before
    // any event is closed.
    for (uint32_t i = 0; i < m_threadCount; ++i) {
        if (!m_workers[i].thread) continue;
        platform::ThreadWait(m_workers[i].thread, platform::kWaitInfinite);
        platform::ThreadClose(m_workers[i].thread);
    }
    for (uint32_t i = 0; i < m_threadCount; ++i) {
        delete m_workers[i].start;
        delete m_workers[i].done;
    }
}

void CWorkerPool::Run(int32_t itemCount, ItemRoutine routine, void* job) {
    bool anyWorker = false;
    {
        platform::ScopedLock lock(m_poolLock);
        m_itemCount = itemCount > 0 ? itemCount : 0;
        m_nextItem.store(0, std::memory_order_relaxed);
        m_routine = routine;
        m_job = job;
        for (uint32_t i = 0; i < m_threadCount; ++i) {
            if (m_workers[i].thread) {
                m_workers[i].active = kActive;
                anyWorker = true;
            }
        }
        for (uint32_t i = 0; i < m_threadCount; ++i) {
            if (!m_workers[i].thread) continue;
            m_workers[i].done->Reset();
            m_workers[i].start->Set();
        }
    }
    if (!anyWorker) {
        int32_t item = 0;
        while (GetNextWorkItem(&item) == kStartOk) routine(job, item, 0);
        return;
    }
    for (uint32_t i = 0; i < m_threadCount; ++i) {
        if (m_workers[i].thread) m_workers[i].done->Wait();
    }
}

int32_t CWorkerPool::WaitForStart(uint32_t index, int32_t* active) {
    Worker& worker = m_workers[index];
    if (worker.start->Wait() != platform::WaitResult::Signalled) return kStartFailed;
    platform::ScopedLock lock(m_poolLock);
    *active = worker.active;
    worker.active = kIdle;
    worker.start->Reset();
    return kStartOk;
}

int32_t CWorkerPool::GetNextWorkItem(int32_t* item) {
    // The count and the routine were published under the pool lock before the workers were woken.
    // One read-modify-write per item and no read before it: a read would fetch the counter's cache
    // line shared, and the add would then have to fetch it again to own it.
    const int32_t next = m_nextItem.fetch_add(1, std::memory_order_relaxed);
    if (next >= m_itemCount) return kNoItemLeft;
    *item = next;
    return kStartOk;
}

void CWorkerPool::SignalDone(uint32_t index) {
    platform::ScopedLock lock(m_poolLock);
    Worker& worker = m_workers[index];
    worker.active = kIdle;
    worker.start->Reset();
    worker.done->Reset();
    worker.done->Set();
}

uint32_t CWorkerPool::ThreadProc(void* context) {
    CWorkerPool* pool = static_cast<CWorkerPool*>(context);
    uint32_t index;
    {
        platform::ScopedLock lock(pool->m_poolLock);
        index = pool->m_nextWorkerIndex++;
    }
    if (index >= pool->m_threadCount) return 0;
    for (;;) {
        int32_t active = kIdle;
        if (pool->WaitForStart(index, &active) != kStartOk || active != kActive) return 0;
        ItemRoutine routine;
        void* job;
        {
            platform::ScopedLock lock(pool->m_poolLock);
            routine = pool->m_routine;
            job = pool->m_job;
        }
        int32_t item = 0;
        while (pool->GetNextWorkItem(&item) == kStartOk) routine(job, item, index);
        pool->SignalDone(index);
    }
}

}  // namespace krvx
