#include "TestFilters.h"

#include <cstring>

#include "dshow/ComPointer.h"
#include "dshow/MediaTypes.h"

namespace krvx {
namespace graphtest {

using namespace dshow;

// Offers one type (a deep copy of the owner's) and asks for two buffers of a fixed size.
class TestOutputPin final : public CBaseOutputPin {
public:
    TestOutputPin(CBaseFilter* filter, platform::CriticalSection* lock, int32_t bufferBytes)
        : CBaseOutputPin(filter, lock, u"Output"), m_bufferBytes(bufferBytes) {}
    ~TestOutputPin() override { FreeMediaType(m_type); }

    MediaType m_type{};

    HResult CheckMediaType(const MediaType* type) override {
        return type->majorType == m_type.majorType ? kOk : kTypeNotAccepted;
    }
    HResult GetMediaType(int position, MediaType* type) override {
        if (position < 0) return kInvalidArg;
        if (position > 0) return kNoMoreItems;
        return CopyMediaType(type, &m_type);
    }
    HResult DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override {
        request->buffers = 2;
        request->bufferSize = m_bufferBytes;
        AllocatorProperties actual{};
        HResult result = allocator->SetProperties(request, &actual);
        if (Failed(result)) return result;
        return actual.buffers >= 2 && actual.bufferSize >= m_bufferBytes ? kOk : kFail;
    }

private:
    int32_t m_bufferBytes;
};

class TestInputPin final : public CBaseInputPin {
public:
    TestInputPin(CBaseFilter* filter, platform::CriticalSection* lock)
        : CBaseInputPin(filter, lock, u"Input") {}
    HResult CheckMediaType(const MediaType*) override { return kOk; }
};

TestSource::TestSource(const char* name, EventLog* log)
    : CBaseFilter(FourCCSubtype(kKrvx), &m_lock), m_logName(name), m_log(log) {}

TestSource::~TestSource() = default;

TestSource* TestSource::Video(int32_t width, int32_t height, ReferenceTime timePerFrame, int32_t bufferBytes,
                              const char* name, EventLog* log) {
    TestSource* source = new TestSource(name, log);
    source->m_video = true;
    source->m_timePerFrame = timePerFrame;
    source->m_pin.reset(new TestOutputPin(source, &source->m_lock, bufferBytes));
    MediaType& type = source->m_pin->m_type;
    type.majorType = kMediaTypeVideo;
    type.subtype = FourCCSubtype(kKrvx);
    type.formatType = kFormatVideoInfo;
    type.temporalCompression = 1;
    VideoInfoHeader header{};
    header.averageTimePerFrame = timePerFrame;
    header.bitmap =
        BitmapInfoHeader{40, width, height, 1, 32, kKrvx, uint32_t(width * height * 4), 0, 0, 0, 0};
    std::memcpy(AllocateFormat(type, kVideoInfoSize), &header, sizeof(header));
    return source;
}

TestSource* TestSource::Audio(uint32_t rate, uint16_t channels, uint16_t bits, const char* name,
                              EventLog* log) {
    TestSource* source = new TestSource(name, log);
    uint16_t blockAlign = static_cast<uint16_t>(bits / 8 * channels);
    source->m_bytesPerSecond = rate * blockAlign;
    source->m_pin.reset(new TestOutputPin(source, &source->m_lock, static_cast<int32_t>(rate * blockAlign)));
    MediaType& type = source->m_pin->m_type;
    type.majorType = kMediaTypeAudio;
    type.subtype = kMediaSubtypePcm;
    type.formatType = kFormatWaveFormatEx;
    type.fixedSizeSamples = 1;
    type.sampleSize = blockAlign;
    WaveFormatEx wave{kWaveFormatPcm, channels, rate, rate * blockAlign, blockAlign, bits, 0};
    std::memcpy(AllocateFormat(type, sizeof(wave)), &wave, sizeof(wave));
    return source;
}

CBasePin* TestSource::GetPin(int n) {
    return n == 0 ? m_pin.get() : nullptr;
}

IPin* TestSource::Output() {
    return m_pin.get();
}

HResult TestSource::Stop() {
    if (m_log) m_log->push_back("stop " + m_logName);
    return CBaseFilter::Stop();
}

HResult TestSource::Pause() {
    if (m_log) m_log->push_back("pause " + m_logName);
    if (State() == FilterState::Stopped) m_runningTime = 0;
    return CBaseFilter::Pause();
}

HResult TestSource::Run(ReferenceTime start) {
    if (m_log) m_log->push_back("run " + m_logName);
    return CBaseFilter::Run(start);
}

HResult TestSource::Push(const uint8_t* data, uint32_t size, bool keyFrame) {
    ComPointer<IMediaSample> sample;
    HResult result = m_pin->GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0);
    if (Failed(result)) return result;
    uint8_t* buffer = nullptr;
    sample->GetPointer(&buffer);
    if (static_cast<int32_t>(size) > sample->GetSize()) return kFail;
    std::memcpy(buffer, data, size);
    sample->SetActualDataLength(static_cast<int32_t>(size));
    ReferenceTime start = m_runningTime;
    ReferenceTime duration =
        m_video ? m_timePerFrame : static_cast<ReferenceTime>(size) * 10000000 / m_bytesPerSecond;
    ReferenceTime stop = start + duration;
    m_runningTime = stop;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(keyFrame ? 1 : 0);
    return m_pin->Deliver(sample.Get());
}

HResult TestSource::EndOfStream() {
    return m_pin->DeliverEndOfStream();
}

TestRelay::TestRelay(const char* name, EventLog* log)
    : CBaseFilter(FourCCSubtype(0), &m_lock), m_logName(name), m_log(log) {}

TestRelay::~TestRelay() = default;

TestRelay* TestRelay::Create(const char* name, EventLog* log) {
    TestRelay* relay = new TestRelay(name, log);
    relay->m_input.reset(new TestInputPin(relay, &relay->m_lock));
    relay->m_output.reset(new TestOutputPin(relay, &relay->m_lock, 4096));
    relay->m_output->m_type.majorType = kMediaTypeStream;
    return relay;
}

CBasePin* TestRelay::GetPin(int n) {
    if (n == 0) return m_input.get();
    if (n == 1) return m_output.get();
    return nullptr;
}

HResult TestRelay::Stop() {
    if (m_log) m_log->push_back("stop " + m_logName);
    return CBaseFilter::Stop();
}

HResult TestRelay::Pause() {
    if (m_log) m_log->push_back("pause " + m_logName);
    return CBaseFilter::Pause();
}

HResult TestRelay::Run(ReferenceTime start) {
    if (m_log) m_log->push_back("run " + m_logName);
    return CBaseFilter::Run(start);
}

}  // namespace graphtest
}  // namespace krvx
