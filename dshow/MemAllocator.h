// A thread-safe pool of equal buffers in one aligned block, handed out as CMediaSamples.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "dshow/Interfaces.h"
#include "platform/sync.h"

namespace krvx {
namespace dshow {

class CMediaSample;

// GetBuffer flag (AM_GBF_NOWAIT): fail with kTimedOut instead of waiting for a free buffer.
constexpr uint32_t kGetBufferNoWait = 4;
constexpr HResult kTimedOut = static_cast<HResult>(0x8004022Eu);  // VFW_E_TIMEOUT

class CMemAllocator final : public IMemAllocator {
public:
    // A new allocator with one reference for the caller.
    static HResult Create(IMemAllocator** out);

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL SetProperties(AllocatorProperties* request, AllocatorProperties* actual) override;
    HResult KRVX_COM_CALL GetProperties(AllocatorProperties* properties) override;
    HResult KRVX_COM_CALL Commit() override;
    HResult KRVX_COM_CALL Decommit() override;
    HResult KRVX_COM_CALL GetBuffer(IMediaSample** sample, ReferenceTime* start, ReferenceTime* stop,
                                    uint32_t flags) override;
    HResult KRVX_COM_CALL ReleaseBuffer(IMediaSample* sample) override;

private:
    CMemAllocator();
    ~CMemAllocator();
    void FreeBuffers();

    std::atomic<uint32_t> m_references{1};
    platform::CriticalSection m_lock;
    // Counts wake-ups owed to callers blocked in GetBuffer.
    platform::Semaphore m_wake;
    int32_t m_waiting = 0;
    AllocatorProperties m_properties{};
    bool m_propertiesSet = false;
    bool m_committed = false;
    // Decommitted while samples were out: the buffers go when the last one comes back.
    bool m_freePending = false;
    int32_t m_outstanding = 0;
    std::unique_ptr<uint8_t[]> m_block;
    std::vector<std::unique_ptr<CMediaSample>> m_samples;
    std::vector<CMediaSample*> m_free;
};

}  // namespace dshow
}  // namespace krvx
