// A sample over one buffer of its allocator. When its last reference goes, it returns to the allocator.
#pragma once
#include <atomic>
#include <cstdint>

#include "dshow/Interfaces.h"

namespace krvx {
namespace dshow {

class CMediaSample final : public IMediaSample {
public:
    // Created with no reference; the allocator adds the first when it hands the sample out.
    CMediaSample(IMemAllocator* allocator, uint8_t* buffer, int32_t size);
    ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL GetPointer(uint8_t** buffer) override;
    int32_t KRVX_COM_CALL GetSize() override;
    HResult KRVX_COM_CALL GetTime(ReferenceTime* start, ReferenceTime* stop) override;
    HResult KRVX_COM_CALL SetTime(ReferenceTime* start, ReferenceTime* stop) override;
    HResult KRVX_COM_CALL IsSyncPoint() override;
    HResult KRVX_COM_CALL SetSyncPoint(int32_t isSyncPoint) override;
    HResult KRVX_COM_CALL IsPreroll() override;
    HResult KRVX_COM_CALL SetPreroll(int32_t isPreroll) override;
    int32_t KRVX_COM_CALL GetActualDataLength() override;
    HResult KRVX_COM_CALL SetActualDataLength(int32_t length) override;
    HResult KRVX_COM_CALL GetMediaType(MediaType** type) override;
    HResult KRVX_COM_CALL SetMediaType(MediaType* type) override;
    HResult KRVX_COM_CALL IsDiscontinuity() override;
    HResult KRVX_COM_CALL SetDiscontinuity(int32_t isDiscontinuity) override;
    HResult KRVX_COM_CALL GetMediaTime(int64_t* start, int64_t* stop) override;
    HResult KRVX_COM_CALL SetMediaTime(int64_t* start, int64_t* stop) override;

    // Forgets times, flags and type before the sample is handed out again; the length becomes the size.
    void Reset();

private:
    enum Flag : uint32_t {
        kStartSet = 1,
        kStopSet = 2,
        kSyncPoint = 4,
        kPreroll = 8,
        kDiscontinuity = 16,
        kMediaTimeSet = 32,
    };
    void SetFlag(uint32_t flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }

    std::atomic<uint32_t> m_references{0};
    IMemAllocator* m_allocator;
    uint8_t* m_buffer;
    int32_t m_size;
    int32_t m_actual;
    uint32_t m_flags = 0;
    ReferenceTime m_start = 0;
    ReferenceTime m_stop = 0;
    int64_t m_mediaStart = 0;
    int64_t m_mediaStop = 0;
    MediaType* m_type = nullptr;
};

}  // namespace dshow
}  // namespace krvx
