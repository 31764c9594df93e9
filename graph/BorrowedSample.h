// A read-only sample over bytes its creator owns, for the length of one Receive call. Only receivers
// known to finish with a sample before Receive returns may be given one (the stand-in file writer);
// it never goes back to an allocator and is never freed through its reference count.
#pragma once
#include <atomic>

#include "dshow/Interfaces.h"

namespace krvx {
namespace graph {

class BorrowedSample final : public dshow::IMediaSample {
public:
    // The sample covers [start, stop) of a byte stream.
    BorrowedSample(const uint8_t* data, int32_t size, dshow::ReferenceTime start, dshow::ReferenceTime stop);

    // References are counted for the receiver's sake; the object lives in its creator's scope.
    uint32_t References() const { return m_references; }

    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    dshow::HResult KRVX_COM_CALL GetPointer(uint8_t** buffer) override;
    int32_t KRVX_COM_CALL GetSize() override;
    dshow::HResult KRVX_COM_CALL GetTime(dshow::ReferenceTime* start, dshow::ReferenceTime* stop) override;
    dshow::HResult KRVX_COM_CALL SetTime(dshow::ReferenceTime* start, dshow::ReferenceTime* stop) override;
    dshow::HResult KRVX_COM_CALL IsSyncPoint() override;
    dshow::HResult KRVX_COM_CALL SetSyncPoint(int32_t isSyncPoint) override;
    dshow::HResult KRVX_COM_CALL IsPreroll() override;
    dshow::HResult KRVX_COM_CALL SetPreroll(int32_t isPreroll) override;
    int32_t KRVX_COM_CALL GetActualDataLength() override;
    dshow::HResult KRVX_COM_CALL SetActualDataLength(int32_t length) override;
    dshow::HResult KRVX_COM_CALL GetMediaType(dshow::MediaType** type) override;
    dshow::HResult KRVX_COM_CALL SetMediaType(dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL IsDiscontinuity() override;
    dshow::HResult KRVX_COM_CALL SetDiscontinuity(int32_t isDiscontinuity) override;
    dshow::HResult KRVX_COM_CALL GetMediaTime(int64_t* start, int64_t* stop) override;
    dshow::HResult KRVX_COM_CALL SetMediaTime(int64_t* start, int64_t* stop) override;

private:
    std::atomic<uint32_t> m_references{1};
    const uint8_t* m_data;
    int32_t m_size;
    dshow::ReferenceTime m_start;
    dshow::ReferenceTime m_stop;
};

}  // namespace graph
}  // namespace krvx
