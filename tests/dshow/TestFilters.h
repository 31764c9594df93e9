// A small source filter (two output pins) and sink filter (an IMemInputPin pin and a plain pin) built on
// the base classes, to connect and stream without a graph.
#pragma once
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "dshow/BaseFilter.h"
#include "dshow/InputPin.h"
#include "dshow/MediaTypes.h"
#include "dshow/OutputPin.h"

namespace krvx {
namespace dshow {
namespace test {

// Counts filters destroyed, so tests can see reference counts reach zero.
inline std::atomic<int> g_filtersDestroyed{0};

constexpr Guid kSourceClass = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr Guid kSinkClass = {0x11111111, 0x2222, 0x3333, {8, 7, 6, 5, 4, 3, 2, 1}};
constexpr int32_t kBufferBytes = 1000;
constexpr int32_t kVideoWidth = 64;

inline void FillVideoType(MediaType& type) {
    type.majorType = kMediaTypeVideo;
    type.subtype = FourCCSubtype(0x58565253);
    type.formatType = kFormatVideoInfo;
    type.temporalCompression = 1;
    auto* header = reinterpret_cast<VideoInfoHeader*>(AllocateFormat(type, sizeof(VideoInfoHeader)));
    if (header) header->bitmap.width = kVideoWidth;
}

inline void FillAudioType(MediaType& type) {
    type.majorType = kMediaTypeAudio;
    type.subtype = kMediaSubtypePcm;
    type.formatType = kFormatWaveFormatEx;
    auto* wave = reinterpret_cast<WaveFormatEx*>(AllocateFormat(type, sizeof(WaveFormatEx)));
    if (wave) wave->channels = 2;
}

inline void FillStreamType(MediaType& type) {
    type.majorType = kMediaTypeStream;
    type.subtype = kMediaSubtypeAvi;
}

// Offers video, audio and stream types (the first `offered` of them) and accepts any of the three.
class TestOutputPin final : public CBaseOutputPin {
public:
    TestOutputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name)
        : CBaseOutputPin(filter, lock, name) {}

    int offered = 3;

    HResult CheckMediaType(const MediaType* type) override {
        const Guid& major = type->majorType;
        return major == kMediaTypeVideo || major == kMediaTypeAudio || major == kMediaTypeStream ? kOk
                                                                                                 : kFail;
    }
    HResult GetMediaType(int position, MediaType* type) override {
        if (position < 0) return kInvalidArg;
        if (position >= offered) return kNoMoreItems;
        if (position == 0) FillVideoType(*type);
        if (position == 1) FillAudioType(*type);
        if (position == 2) FillStreamType(*type);
        return kOk;
    }
    HResult DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override {
        request->buffers = 2;
        request->bufferSize = kBufferBytes;
        AllocatorProperties actual{};
        const HResult result = allocator->SetProperties(request, &actual);
        if (Failed(result)) return result;
        return actual.buffers >= 2 && actual.bufferSize >= kBufferBytes ? kOk : kFail;
    }
};

class TestSource final : public CBaseFilter {
public:
    TestSource()
        : CBaseFilter(kSourceClass, &m_lock),
          m_out(this, &m_pinLock, u"Out"),
          m_spare(this, &m_pinLock, u"Spare") {}

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_out : n == 1 ? &m_spare : nullptr; }
    TestOutputPin& Out() { return m_out; }

private:
    ~TestSource() override { ++g_filtersDestroyed; }

    platform::CriticalSection m_lock;
    platform::CriticalSection m_pinLock;
    TestOutputPin m_out;
    TestOutputPin m_spare;
};

// What the sink's input pin saw of one sample.
struct Received {
    std::string data;
    HResult timeResult;
    ReferenceTime start;
    ReferenceTime stop;
    bool syncPoint;
};

// Accepts one major type; offers the audio type of its own; records what it receives.
class TestInputPin final : public CBaseInputPin {
public:
    TestInputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name)
        : CBaseInputPin(filter, lock, name) {}

    Guid acceptedMajor = kMediaTypeAudio;
    bool offersAudio = false;
    bool refusesToAllocate = false;
    std::vector<Received> received;
    int endOfStreams = 0;

    HResult CheckMediaType(const MediaType* type) override {
        return type->majorType == acceptedMajor ? kOk : kTypeNotAccepted;
    }
    HResult GetMediaType(int position, MediaType* type) override {
        if (position < 0) return kInvalidArg;
        if (position > 0 || !offersAudio) return kNoMoreItems;
        FillAudioType(*type);
        return kOk;
    }
    HResult KRVX_COM_CALL GetAllocator(IMemAllocator** allocator) override {
        if (refusesToAllocate) {
            *allocator = nullptr;
            return kNotImplemented;
        }
        return CBaseInputPin::GetAllocator(allocator);
    }
    HResult KRVX_COM_CALL Receive(IMediaSample* sample) override {
        const HResult result = CBaseInputPin::Receive(sample);
        if (result != kOk) return result;
        uint8_t* bytes = nullptr;
        sample->GetPointer(&bytes);
        Received seen{};
        seen.data.assign(reinterpret_cast<const char*>(bytes),
                         static_cast<size_t>(sample->GetActualDataLength()));
        seen.timeResult = sample->GetTime(&seen.start, &seen.stop);
        seen.syncPoint = sample->IsSyncPoint() == kOk;
        received.push_back(seen);
        return kOk;
    }
    HResult KRVX_COM_CALL EndOfStream() override {
        ++endOfStreams;
        return kOk;
    }
};

// An input pin without IMemInputPin: an output pin cannot deliver to it.
class PlainInputPin final : public CBasePin {
public:
    PlainInputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name)
        : CBasePin(filter, lock, name, PinDirection::Input) {}
    HResult CheckMediaType(const MediaType*) override { return kOk; }
};

class TestSink final : public CBaseFilter {
public:
    TestSink()
        : CBaseFilter(kSinkClass, &m_lock),
          m_in(this, &m_pinLock, u"In"),
          m_plain(this, &m_pinLock, u"Plain") {}

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override {
        return n == 0 ? static_cast<CBasePin*>(&m_in) : n == 1 ? &m_plain : nullptr;
    }
    TestInputPin& In() { return m_in; }
    PlainInputPin& Plain() { return m_plain; }

private:
    ~TestSink() override { ++g_filtersDestroyed; }

    platform::CriticalSection m_lock;
    platform::CriticalSection m_pinLock;
    TestInputPin m_in;
    PlainInputPin m_plain;
};

inline std::u16string Text(const OleChar* text) {
    return text ? std::u16string(text) : std::u16string();
}

}  // namespace test
}  // namespace dshow
}  // namespace krvx
