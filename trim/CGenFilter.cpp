#include "trim/CGenFilter.h"

#include <cstring>
#include <new>

#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"
#include "dshow/MediaTypes.h"
#include "trim/SourceFilterIds.h"

namespace krvx {

using namespace dshow;

namespace {
constexpr uint32_t kKRVX = 0x5856524B;  // "KRVX", first character in the low byte
}  // namespace

CGenOutput::CGenOutput(CGenFilter* filter, platform::CriticalSection* lock)
    : CSourceOutputPin(filter, lock, u"Output"), m_owner(filter) {}

HResult CGenOutput::CheckMediaType(const MediaType* type) {
    if (!type) return kPointer;
    if (type->majorType != kMediaTypeVideo) return kFail;
    if (type->formatType != kFormatVideoInfo && type->formatType != kFormatVideoInfo2) return kFail;
    return kOk;
}

HResult CGenOutput::GetMediaType(int position, MediaType* type) {
    if (position < 0) return kInvalidArg;
    if (position > 0) return kNoMoreItems;
    if (!type) return kPointer;
    if (m_owner->Width() < 1 || m_owner->Height() <= 0) return kFail;
    std::memset(type, 0, sizeof(*type));
    uint8_t* block = AllocateFormat(*type, kVideoInfoSize);
    if (!block) return kOutOfMemory;
    VideoInfoHeader info{};
    const float rate = m_owner->FrameRate();
    info.averageTimePerFrame = rate > 0.0f ? static_cast<ReferenceTime>(10000000.0 / rate + 0.5) : 0;
    info.bitmap.size = sizeof(BitmapInfoHeader);
    info.bitmap.width = m_owner->Width();
    info.bitmap.height = m_owner->Height();
    info.bitmap.planes = 1;
    info.bitmap.bitCount = 32;
    info.bitmap.compression = kKRVX;
    info.bitmap.sizeImage = m_owner->ImageSize();
    std::memcpy(block, &info, sizeof(info));
    type->majorType = kMediaTypeVideo;
    type->subtype = FourCCSubtype(kKRVX);
    type->formatType = kFormatVideoInfo;
    type->temporalCompression = 1;
    type->fixedSizeSamples = 1;
    type->sampleSize = info.bitmap.sizeImage;
    return kOk;
}

// One picture's bitmap size: no compressed frame is larger.
int32_t CGenOutput::BufferBytes() const {
    return static_cast<int32_t>(m_owner->ImageSize());
}

CGenFilter::CGenFilter() : CBaseFilter(kClsidAppDirectVideo, &m_filterLock) {}

CGenFilter::~CGenFilter() {
    delete m_output;
}

CBasePin* CGenFilter::GetPin(int n) {
    if (n != 0) return nullptr;
    platform::ScopedLock hold(m_filterLock);
    if (!m_output) m_output = new (std::nothrow) CGenOutput(this, &m_pinLock);
    return m_output;
}

void CGenFilter::SetFormat(int32_t width, int32_t height, int32_t frameDuration, float frameRate) {
    platform::ScopedLock hold(m_filterLock);
    m_width = width;
    m_height = height;
    m_runningTime = 0;
    m_frameDuration = frameDuration;
    m_frameRate = frameRate;
}

uint32_t CGenFilter::ImageSize() const {
    if (m_width < 1 || m_height < 1) return 0;
    const uint64_t rowBytes = (static_cast<uint64_t>(m_width) * 32 + 31) / 32 * 4;
    const uint64_t size = rowBytes * static_cast<uint64_t>(m_height);
    return size > 0x7FFFFFFF ? 0 : static_cast<uint32_t>(size);
}

HResult CGenFilter::DeliverFrame(const uint8_t* data, uint32_t size, bool keyFrame) {
    if (State() == FilterState::Stopped) return kInvalidArg;
    CGenOutput* pin = static_cast<CGenOutput*>(GetPin(0));
    if (!pin) return kFail;
    ComPointer<IMediaSample> sample;
    pin->GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0);
    if (!sample) return kFail;
    uint8_t* buffer = nullptr;
    platform::ScopedLock hold(m_filterLock);
    sample->GetPointer(&buffer);
    if (!buffer || (!data && size != 0) || size > static_cast<uint32_t>(sample->GetSize())) return kFail;
    if (size) std::memcpy(buffer, data, size);
    sample->SetActualDataLength(static_cast<int32_t>(size));
    ReferenceTime start = m_runningTime;
    ReferenceTime stop = start + m_frameDuration;
    sample->SetTime(&start, &stop);
    m_runningTime += m_frameDuration;
    sample->SetSyncPoint(keyFrame ? 1 : 0);
    return pin->Deliver(sample.Get());
}

HResult CGenFilter::DeliverEndOfStream() {
    CBasePin* pin = GetPin(0);
    return pin ? static_cast<CGenOutput*>(pin)->DeliverEndOfStream() : kFail;
}

}  // namespace krvx
