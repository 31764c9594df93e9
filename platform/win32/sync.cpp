#include "platform/sync.h"

#include <windows.h>

#include <cstdlib>

namespace krvx {
namespace platform {

namespace {
WaitResult FromWait(DWORD rc) {
    if (rc == WAIT_OBJECT_0) return WaitResult::Signalled;
    if (rc == WAIT_TIMEOUT) return WaitResult::TimedOut;
    return WaitResult::Failed;
}

// An object that cannot be created is a broken process, not an error to report.
HANDLE Check(HANDLE handle) {
    if (!handle) std::abort();
    return handle;
}
}  // namespace

struct CriticalSection::Native {
    CRITICAL_SECTION section;
};

CriticalSection::CriticalSection() : m_native(new Native) { InitializeCriticalSection(&m_native->section); }
CriticalSection::~CriticalSection() {
    DeleteCriticalSection(&m_native->section);
    delete m_native;
}
void CriticalSection::Enter() { EnterCriticalSection(&m_native->section); }
void CriticalSection::Leave() { LeaveCriticalSection(&m_native->section); }
bool CriticalSection::TryEnter() { return TryEnterCriticalSection(&m_native->section) != 0; }

struct Event::Native {
    HANDLE handle;
};

Event::Event(bool manualReset, bool initiallySet) : m_native(new Native) {
    m_native->handle = Check(CreateEventA(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, nullptr));
}
Event::~Event() {
    CloseHandle(m_native->handle);
    delete m_native;
}
void Event::Set() { SetEvent(m_native->handle); }
void Event::Reset() { ResetEvent(m_native->handle); }
WaitResult Event::Wait(uint32_t timeoutMs) { return FromWait(WaitForSingleObject(m_native->handle, timeoutMs)); }

struct Semaphore::Native {
    HANDLE handle;
};

Semaphore::Semaphore(int32_t initialCount, int32_t maximumCount) : m_native(new Native) {
    m_native->handle = Check(CreateSemaphoreA(nullptr, initialCount, maximumCount, nullptr));
}
Semaphore::~Semaphore() {
    CloseHandle(m_native->handle);
    delete m_native;
}
bool Semaphore::Release(int32_t count) { return ReleaseSemaphore(m_native->handle, count, nullptr) != 0; }
WaitResult Semaphore::Wait(uint32_t timeoutMs) {
    return FromWait(WaitForSingleObject(m_native->handle, timeoutMs));
}

}  // namespace platform
}  // namespace krvx
