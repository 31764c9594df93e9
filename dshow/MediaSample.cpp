#include "dshow/MediaSample.h"

#include "dshow/MediaTypes.h"

namespace krvx {
namespace dshow {

CMediaSample::CMediaSample(IMemAllocator* allocator, uint8_t* buffer, int32_t size)
    : m_allocator(allocator), m_buffer(buffer), m_size(size), m_actual(size) {}

CMediaSample::~CMediaSample() {
    DeleteMediaType(m_type);
}

void CMediaSample::Reset() {
    m_flags = 0;
    m_actual = m_size;
    DeleteMediaType(m_type);
    m_type = nullptr;
}

HResult CMediaSample::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (iid != kIidUnknown && iid != kIidMediaSample) return kNoInterface;
    *object = static_cast<IMediaSample*>(this);
    AddRef();
    return kOk;
}

uint32_t CMediaSample::AddRef() {
    return ++m_references;
}

uint32_t CMediaSample::Release() {
    const uint32_t left = --m_references;
    // The allocator may free this sample inside ReleaseBuffer: nothing of it is touched afterwards.
    if (left == 0) m_allocator->ReleaseBuffer(this);
    return left;
}

HResult CMediaSample::GetPointer(uint8_t** buffer) {
    if (!buffer) return kPointer;
    *buffer = m_buffer;
    return kOk;
}

int32_t CMediaSample::GetSize() {
    return m_size;
}

HResult CMediaSample::GetTime(ReferenceTime* start, ReferenceTime* stop) {
    if (!start || !stop) return kPointer;
    if (!(m_flags & kStartSet)) return kTimeNotSet;
    *start = m_start;
    *stop = (m_flags & kStopSet) ? m_stop : m_start + 1;
    return kOk;
}

HResult CMediaSample::SetTime(ReferenceTime* start, ReferenceTime* stop) {
    SetFlag(kStartSet | kStopSet, false);
    if (!start) return kOk;
    m_start = *start;
    SetFlag(kStartSet, true);
    if (stop) {
        m_stop = *stop;
        SetFlag(kStopSet, true);
    }
    return kOk;
}

HResult CMediaSample::IsSyncPoint() {
    return (m_flags & kSyncPoint) ? kOk : kFalse;
}

HResult CMediaSample::SetSyncPoint(int32_t isSyncPoint) {
    SetFlag(kSyncPoint, isSyncPoint != 0);
    return kOk;
}

HResult CMediaSample::IsPreroll() {
    return (m_flags & kPreroll) ? kOk : kFalse;
}

HResult CMediaSample::SetPreroll(int32_t isPreroll) {
    SetFlag(kPreroll, isPreroll != 0);
    return kOk;
}

int32_t CMediaSample::GetActualDataLength() {
    return m_actual;
}

HResult CMediaSample::SetActualDataLength(int32_t length) {
    if (length < 0 || length > m_size) return kInvalidArg;
    m_actual = length;
    return kOk;
}

HResult CMediaSample::GetMediaType(MediaType** type) {
    if (!type) return kPointer;
    *type = nullptr;
    if (!m_type) return kFalse;
    *type = CreateMediaType(m_type);
    return *type ? kOk : kOutOfMemory;
}

HResult CMediaSample::SetMediaType(MediaType* type) {
    DeleteMediaType(m_type);
    m_type = nullptr;
    if (!type) return kOk;
    m_type = CreateMediaType(type);
    return m_type ? kOk : kOutOfMemory;
}

HResult CMediaSample::IsDiscontinuity() {
    return (m_flags & kDiscontinuity) ? kOk : kFalse;
}

HResult CMediaSample::SetDiscontinuity(int32_t isDiscontinuity) {
    SetFlag(kDiscontinuity, isDiscontinuity != 0);
    return kOk;
}

HResult CMediaSample::GetMediaTime(int64_t* start, int64_t* stop) {
    if (!start || !stop) return kPointer;
    if (!(m_flags & kMediaTimeSet)) return kTimeNotSet;
    *start = m_mediaStart;
    *stop = m_mediaStop;
    return kOk;
}

HResult CMediaSample::SetMediaTime(int64_t* start, int64_t* stop) {
    if (!start || !stop) {
        SetFlag(kMediaTimeSet, false);
        return kOk;
    }
    m_mediaStart = *start;
    m_mediaStop = *stop;
    SetFlag(kMediaTimeSet, true);
    return kOk;
}

}  // namespace dshow
}  // namespace krvx
