#include "platform/sync.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace krvx {
namespace platform {

namespace {
// A lock that cannot be taken is a broken program, not an error to report.
void Check(int rc) {
    if (rc != 0) std::abort();
}

template <typename Predicate>
WaitResult WaitOn(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, uint32_t timeoutMs,
                  Predicate ready) {
    if (timeoutMs == kWaitInfinite) {
        cv.wait(lock, ready);
        return WaitResult::Signalled;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready) ? WaitResult::Signalled
                                                                          : WaitResult::TimedOut;
}
}  // namespace

struct CriticalSection::Native {
    pthread_mutex_t mutex;
};

CriticalSection::CriticalSection() : m_native(new Native) {
    pthread_mutexattr_t attributes;
    Check(pthread_mutexattr_init(&attributes));
    Check(pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE));
    Check(pthread_mutex_init(&m_native->mutex, &attributes));
    pthread_mutexattr_destroy(&attributes);
}

CriticalSection::~CriticalSection() {
    pthread_mutex_destroy(&m_native->mutex);
    delete m_native;
}

void CriticalSection::Enter() { Check(pthread_mutex_lock(&m_native->mutex)); }
void CriticalSection::Leave() { Check(pthread_mutex_unlock(&m_native->mutex)); }
bool CriticalSection::TryEnter() { return pthread_mutex_trylock(&m_native->mutex) == 0; }

struct Event::Native {
    std::mutex mutex;
    std::condition_variable changed;
    bool manualReset;
    bool set;
};

Event::Event(bool manualReset, bool initiallySet) : m_native(new Native) {
    m_native->manualReset = manualReset;
    m_native->set = initiallySet;
}

Event::~Event() { delete m_native; }

void Event::Set() {
    std::lock_guard<std::mutex> lock(m_native->mutex);
    m_native->set = true;
    if (m_native->manualReset)
        m_native->changed.notify_all();
    else
        m_native->changed.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(m_native->mutex);
    m_native->set = false;
}

WaitResult Event::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_native->mutex);
    WaitResult result = WaitOn(m_native->changed, lock, timeoutMs, [this] { return m_native->set; });
    if (result == WaitResult::Signalled && !m_native->manualReset) m_native->set = false;
    return result;
}

struct Semaphore::Native {
    std::mutex mutex;
    std::condition_variable changed;
    int32_t count;
    int32_t maximum;
};

Semaphore::Semaphore(int32_t initialCount, int32_t maximumCount) : m_native(new Native) {
    m_native->count = initialCount;
    m_native->maximum = maximumCount;
}

Semaphore::~Semaphore() { delete m_native; }

bool Semaphore::Release(int32_t count) {
    std::lock_guard<std::mutex> lock(m_native->mutex);
    if (count <= 0 || count > m_native->maximum - m_native->count) return false;
    m_native->count += count;
    if (count == 1)
        m_native->changed.notify_one();
    else
        m_native->changed.notify_all();
    return true;
}

WaitResult Semaphore::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_native->mutex);
    WaitResult result = WaitOn(m_native->changed, lock, timeoutMs, [this] { return m_native->count > 0; });
    if (result == WaitResult::Signalled) --m_native->count;
    return result;
}

}  // namespace platform
}  // namespace krvx
