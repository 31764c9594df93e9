#include "trim/CGAudFilter.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"
#include "dshow/MediaTypes.h"
#include "trim/SourceFilterIds.h"

namespace krvx {

using namespace dshow;

CGAudOutput::CGAudOutput(CGAudFilter* filter, platform::CriticalSection* lock)
    : CSourceOutputPin(filter, lock, u"Output"), m_owner(filter) {}

HResult CGAudOutput::CheckMediaType(const MediaType* type) {
    if (!type) return kPointer;
    if (type->majorType != kMediaTypeAudio || type->formatType != kFormatWaveFormatEx ||
        type->subtype != kMediaSubtypePcm) {
        return kFail;
    }
    return kOk;
}

HResult CGAudOutput::GetMediaType(int position, MediaType* type) {
    if (position < 0) return kInvalidArg;
    if (position > 0) return kNoMoreItems;
    if (!type) return kPointer;
    const int32_t rate = m_owner->SampleRate(), channels = m_owner->Channels(),
                  bits = m_owner->BitsPerSample();
    if (rate < 1 || channels < 1 || bits < 1) return kFail;
    std::memset(type, 0, sizeof(*type));
    uint8_t* block = AllocateFormat(*type, sizeof(WaveFormatEx));
    if (!block) return kOutOfMemory;
    WaveFormatEx wave{};
    wave.formatTag = kWaveFormatPcm;
    wave.channels = static_cast<uint16_t>(channels);
    wave.samplesPerSecond = static_cast<uint32_t>(rate);
    wave.bitsPerSample = static_cast<uint16_t>(bits);
    wave.blockAlign = static_cast<uint16_t>(bits / 8 * channels);
    wave.averageBytesPerSecond = wave.samplesPerSecond * wave.blockAlign;
    wave.extraSize = 0;
    std::memcpy(block, &wave, sizeof(wave));
    type->majorType = kMediaTypeAudio;
    type->subtype = kMediaSubtypePcm;
    type->formatType = kFormatWaveFormatEx;
    type->fixedSizeSamples = 1;
    type->sampleSize = wave.blockAlign;
    return kOk;
}

// One second of audio.
int32_t CGAudOutput::BufferBytes() const {
    return m_owner->SampleRate() * (m_owner->BitsPerSample() / 8 * m_owner->Channels());
}

CGAudFilter::CGAudFilter() : CBaseFilter(kClsidAppDirectAudio, &m_filterLock) {}

CGAudFilter::~CGAudFilter() {
    delete m_output;
}

CBasePin* CGAudFilter::GetPin(int n) {
    if (n != 0) return nullptr;
    platform::ScopedLock hold(m_filterLock);
    if (!m_output) m_output = new (std::nothrow) CGAudOutput(this, &m_pinLock);
    return m_output;
}

namespace {

// Rate x channels, doubled for 16-bit samples: the filter's own count of bytes per second.
int64_t FilterBytesPerSecond(int64_t sampleRate, int64_t channels, int64_t bitsPerSample) {
    return sampleRate * channels * (bitsPerSample == 16 ? 2 : 1);
}

}  // namespace

bool CGAudFilter::FormatFits(int64_t sampleRate, int64_t channels, int64_t bitsPerSample) {
    if (sampleRate < 1 || channels < 1 || bitsPerSample < 1) return false;
    if (sampleRate > INT32_MAX || channels > UINT16_MAX || bitsPerSample > UINT16_MAX) return false;
    // The media type's block alignment and average bytes per second; the pin's buffer holds one second.
    const int64_t blockAlign = bitsPerSample / 8 * channels;
    if (blockAlign > UINT16_MAX || sampleRate * blockAlign > INT32_MAX) return false;
    return FilterBytesPerSecond(sampleRate, channels, bitsPerSample) <= INT32_MAX;
}

bool CGAudFilter::SetFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample) {
    if (!FormatFits(sampleRate, channels, bitsPerSample)) return false;
    platform::ScopedLock hold(m_filterLock);
    m_sampleRate = sampleRate;
    m_channels = channels;
    m_bitsPerSample = bitsPerSample;
    m_bytesPerSecond = static_cast<int32_t>(FilterBytesPerSecond(sampleRate, channels, bitsPerSample));
    m_runningTime = 0;
    m_timePerByte = 1000000000 / m_bytesPerSecond;
    return true;
}

HResult CGAudFilter::DeliverAudio(uint32_t byteCount, const uint8_t* data) {
    if (State() == FilterState::Stopped) return kInvalidArg;
    CGAudOutput* pin = static_cast<CGAudOutput*>(GetPin(0));
    if (!pin) return kFail;
    platform::ScopedLock hold(m_filterLock);
    ComPointer<IMediaSample> sample;
    pin->GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0);
    if (!sample) return kFail;
    uint8_t* buffer = nullptr;
    sample->GetPointer(&buffer);
    if (!buffer || (!data && byteCount != 0) || byteCount > static_cast<uint32_t>(sample->GetSize()))
        return kFail;
    if (byteCount) std::memcpy(buffer, data, byteCount);
    sample->SetActualDataLength(static_cast<int32_t>(byteCount));
    ReferenceTime start = m_runningTime;
    ReferenceTime stop = start + static_cast<int64_t>(m_timePerByte) * byteCount;
    sample->SetTime(&start, &stop);
    m_runningTime = stop;
    sample->SetSyncPoint(1);
    return pin->Deliver(sample.Get());
}

HResult CGAudFilter::DeliverEndOfStream() {
    CBasePin* pin = GetPin(0);
    if (!pin) return kFail;
    platform::ScopedLock hold(m_filterLock);
    return static_cast<CGAudOutput*>(pin)->DeliverEndOfStream();
}

}  // namespace krvx
