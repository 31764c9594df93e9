#include "graph/AviMuxFilter.h"

#include <cstring>
#include <new>

#include "graph/ComPointer.h"

namespace krvx {
namespace graph {

using namespace dshow;

namespace {
// Each positioned write travels in samples of at most this many bytes; larger ones are split.
constexpr int32_t kOutputBufferBytes = 1 << 20;
constexpr int32_t kOutputBuffers = 2;
}  // namespace

AviMuxOutputPin::AviMuxOutputPin(AviMuxFilter* filter, platform::CriticalSection* lock, HResult* result)
    : CBaseOutputPin(filter, lock, result, u"AVI Out") {}

HResult AviMuxOutputPin::CheckMediaType(const MediaType* type) {
    if (!type) return kPointer;
    return type->majorType == kMediaTypeStream && type->subtype == kMediaSubtypeAvi ? kOk : kTypeNotAccepted;
}

HResult AviMuxOutputPin::GetMediaType(int position, MediaType* type) {
    if (position < 0) return kInvalidArg;
    if (position > 0) return kNoMoreItems;
    std::memset(type, 0, sizeof(*type));
    type->majorType = kMediaTypeStream;
    type->subtype = kMediaSubtypeAvi;
    type->fixedSizeSamples = 0;
    type->sampleSize = 1;
    return kOk;
}

HResult AviMuxOutputPin::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* properties) {
    if (properties->buffers < kOutputBuffers) properties->buffers = kOutputBuffers;
    if (properties->bufferSize < kOutputBufferBytes) properties->bufferSize = kOutputBufferBytes;
    if (properties->align < 1) properties->align = 1;
    AllocatorProperties actual{};
    HResult result = allocator->SetProperties(properties, &actual);
    if (Failed(result)) return result;
    return actual.bufferSize > 0 && actual.buffers > 0 ? kOk : kFail;
}

bool AviMuxOutputPin::WriteAt(uint64_t position, const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ComPointer<IMediaSample> sample;
        if (Failed(GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0)) || !sample) return false;
        uint8_t* buffer = nullptr;
        if (Failed(sample->GetPointer(&buffer)) || sample->GetSize() <= 0) return false;
        size_t piece = static_cast<size_t>(sample->GetSize());
        if (piece > size) piece = size;
        std::memcpy(buffer, bytes, piece);
        sample->SetActualDataLength(static_cast<int32_t>(piece));
        // A stream sample's times are the byte range it covers in the file.
        ReferenceTime start = static_cast<ReferenceTime>(position);
        ReferenceTime stop = start + static_cast<ReferenceTime>(piece);
        sample->SetTime(&start, &stop);
        if (Deliver(sample.Get()) != kOk) return false;
        bytes += piece;
        position += piece;
        size -= piece;
    }
    return true;
}

HResult AviMuxFilter::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    HResult result = kOk;
    AviMuxFilter* filter = new (std::nothrow) AviMuxFilter(&result);
    if (!filter) return kOutOfMemory;
    // The new filter holds one reference until it has answered the interface.
    filter->AddRef();
    if (Succeeded(result)) result = filter->QueryInterface(iid, object);
    filter->Release();
    return result;
}

AviMuxFilter::AviMuxFilter(HResult* result) : MuxFilter(kClsidAviDest) {
    m_output.reset(new (std::nothrow) AviMuxOutputPin(this, &m_filterLock, result));
    if (!m_output && Succeeded(*result)) *result = kOutOfMemory;
}

AviMuxFilter::~AviMuxFilter() = default;

HResult AviMuxFilter::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    if (iid == kIidConfigInterleaving) {
        *object = static_cast<IConfigInterleaving*>(this);
        AddRef();
        return kOk;
    }
    return MuxFilter::QueryInterface(iid, object);
}

uint32_t AviMuxFilter::AddRef() {
    return MuxFilter::AddRef();
}

uint32_t AviMuxFilter::Release() {
    return MuxFilter::Release();
}

HResult AviMuxFilter::put_Mode(InterleavingMode mode) {
    if (mode < InterleavingMode::None || mode > InterleavingMode::NoneBuffered) return kInvalidArg;
    m_mode = mode;
    return kOk;
}

HResult AviMuxFilter::get_Mode(InterleavingMode* mode) {
    if (!mode) return kPointer;
    *mode = m_mode;
    return kOk;
}

HResult AviMuxFilter::put_Interleaving(const ReferenceTime* interleave, const ReferenceTime* preroll) {
    if (interleave) m_interleave = *interleave;
    if (preroll) m_preroll = *preroll;
    return kOk;
}

HResult AviMuxFilter::get_Interleaving(ReferenceTime* interleave, ReferenceTime* preroll) {
    if (!interleave || !preroll) return kPointer;
    *interleave = m_interleave;
    *preroll = m_preroll;
    return kOk;
}

CBasePin* AviMuxFilter::OtherPin(int n) {
    return n == 0 ? m_output.get() : nullptr;
}

HResult AviMuxFilter::StartFile(const std::vector<StreamFormat>& streams) {
    // AVI_WRITER_START
    return kNotImplemented;
}

HResult AviMuxFilter::WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) {
    // AVI_WRITER_WRITE
    return kNotImplemented;
}

HResult AviMuxFilter::FinishFile() {
    // AVI_WRITER_FINISH
    HResult result = kNotImplemented;
    // The file is complete: the writer downstream may close it.
    m_output->DeliverEndOfStream();
    return result;
}

}  // namespace graph
}  // namespace krvx
