// Locks, events and semaphores with Win32 semantics on every backend.
#pragma once
#include <cstdint>

namespace krvx {
namespace platform {

constexpr uint32_t kWaitInfinite = 0xFFFFFFFFu;

enum class WaitResult { Signalled, TimedOut, Failed };

// A recursive lock, like a Win32 critical section: the owning thread may enter it again.
class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    void Leave();
    bool TryEnter();

private:
    struct Native;
    Native* m_native;
};

// Holds a critical section for the life of a scope.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& lock) : m_lock(lock) { m_lock.Enter(); }
    ~ScopedLock() { m_lock.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& m_lock;
};

// An auto-reset event releases one waiter and clears itself; a manual-reset event stays set until Reset.
class Event {
public:
    Event(bool manualReset, bool initiallySet);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    WaitResult Wait(uint32_t timeoutMs = kWaitInfinite);

private:
    struct Native;
    Native* m_native;
};

// A counting semaphore with a maximum count.
class Semaphore {
public:
    Semaphore(int32_t initialCount, int32_t maximumCount);
    ~Semaphore();
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // Adds `count`; false (and no change) when that would pass the maximum.
    bool Release(int32_t count = 1);
    WaitResult Wait(uint32_t timeoutMs = kWaitInfinite);

private:
    struct Native;
    Native* m_native;
};

}  // namespace platform
}  // namespace krvx
