#include "graph/BorrowedSample.h"

namespace krvx {
namespace graph {

using namespace dshow;

BorrowedSample::BorrowedSample(const uint8_t* data, int32_t size, ReferenceTime start, ReferenceTime stop)
    : m_data(data), m_size(size), m_start(start), m_stop(stop) {}

HResult BorrowedSample::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    if (iid == kIidUnknown || iid == kIidMediaSample) {
        *object = static_cast<IMediaSample*>(this);
        AddRef();
        return kOk;
    }
    *object = nullptr;
    return kNoInterface;
}

uint32_t BorrowedSample::AddRef() {
    return ++m_references;
}

uint32_t BorrowedSample::Release() {
    return --m_references;
}

HResult BorrowedSample::GetPointer(uint8_t** buffer) {
    if (!buffer) return kPointer;
    // Receivers read through the pointer; the interface has no read-only form.
    *buffer = const_cast<uint8_t*>(m_data);
    return kOk;
}

int32_t BorrowedSample::GetSize() {
    return m_size;
}

HResult BorrowedSample::GetTime(ReferenceTime* start, ReferenceTime* stop) {
    if (!start || !stop) return kPointer;
    *start = m_start;
    *stop = m_stop;
    return kOk;
}

HResult BorrowedSample::SetTime(ReferenceTime*, ReferenceTime*) {
    return kNotImplemented;
}
HResult BorrowedSample::IsSyncPoint() {
    return kOk;
}
HResult BorrowedSample::SetSyncPoint(int32_t) {
    return kNotImplemented;
}
HResult BorrowedSample::IsPreroll() {
    return kFalse;
}
HResult BorrowedSample::SetPreroll(int32_t) {
    return kNotImplemented;
}
int32_t BorrowedSample::GetActualDataLength() {
    return m_size;
}
HResult BorrowedSample::SetActualDataLength(int32_t) {
    return kNotImplemented;
}
HResult BorrowedSample::GetMediaType(MediaType** type) {
    if (!type) return kPointer;
    *type = nullptr;
    return kFalse;
}
HResult BorrowedSample::SetMediaType(MediaType*) {
    return kNotImplemented;
}
HResult BorrowedSample::IsDiscontinuity() {
    return kFalse;
}
HResult BorrowedSample::SetDiscontinuity(int32_t) {
    return kNotImplemented;
}
HResult BorrowedSample::GetMediaTime(int64_t*, int64_t*) {
    return kNotImplemented;
}
HResult BorrowedSample::SetMediaTime(int64_t*, int64_t*) {
    return kNotImplemented;
}

}  // namespace graph
}  // namespace krvx
