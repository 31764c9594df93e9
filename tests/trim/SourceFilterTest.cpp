// The two source filters on their own, connected straight to a recording sink: the media types they
// offer, the buffers they ask for, and how they stamp and flag what they deliver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dshow/ComPointer.h"
#include "dshow/MediaTypes.h"
#include "tests/dshow/TestFilters.h"
#include "trim/CGAudFilter.h"
#include "trim/CGenFilter.h"

using namespace krvx;
using namespace krvx::dshow;
using krvx::dshow::test::TestSink;

namespace {

// The pin's type at `position`, freed at the end of the scope.
struct OfferedType {
    OfferedType(CBasePin* pin, int position) { result = pin->GetMediaType(position, &type); }
    ~OfferedType() { FreeMediaType(type); }
    MediaType type{};
    HResult result;
};

TEST(CGenFilterTest, OffersOneKrvxTypeOnceItsSizeIsKnown) {
    const ComPointer<CGenFilter> filter(new CGenFilter());
    CBasePin* pin = filter->GetPin(0);
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(filter->GetPin(0), pin) << "pin 0 is made once";
    EXPECT_EQ(filter->GetPin(1), nullptr);
    EXPECT_EQ(OfferedType(pin, 0).result, kFail) << "no size yet";

    filter->SetFormat(1920, 1080, 33366666, 29.970029830932617f);
    EXPECT_EQ(OfferedType(pin, -1).result, kInvalidArg);
    EXPECT_EQ(OfferedType(pin, 1).result, kNoMoreItems);
    OfferedType offered(pin, 0);
    ASSERT_EQ(offered.result, kOk);
    const MediaType& type = offered.type;
    EXPECT_EQ(type.majorType, kMediaTypeVideo);
    EXPECT_EQ(type.subtype, FourCCSubtype(0x5856524B));
    EXPECT_EQ(type.formatType, kFormatVideoInfo);
    EXPECT_EQ(type.temporalCompression, 1);
    ASSERT_EQ(type.formatSize, kVideoInfoSize);
    VideoInfoHeader info;
    std::memcpy(&info, type.format, sizeof(info));
    EXPECT_EQ(info.averageTimePerFrame, 333667);
    EXPECT_EQ(info.bitmap.size, 40u);
    EXPECT_EQ(info.bitmap.width, 1920);
    EXPECT_EQ(info.bitmap.height, 1080);
    EXPECT_EQ(info.bitmap.planes, 1);
    EXPECT_EQ(info.bitmap.bitCount, 32);
    EXPECT_EQ(info.bitmap.compression, 0x5856524Bu);
    EXPECT_EQ(info.bitmap.sizeImage, 1920u * 4 * 1080);
    EXPECT_EQ(type.sampleSize, info.bitmap.sizeImage);
    EXPECT_EQ(info.source.right, 0);
    EXPECT_EQ(info.target.bottom, 0);
    // Everything past the header is zero.
    for (uint32_t i = sizeof(VideoInfoHeader); i < kVideoInfoSize; ++i) ASSERT_EQ(type.format[i], 0) << i;

    // Any video type with either video format block is accepted, whatever its subtype.
    MediaType check{};
    check.majorType = kMediaTypeVideo;
    check.formatType = kFormatVideoInfo2;
    EXPECT_EQ(pin->QueryAccept(&check), kOk);
    check.formatType = kFormatWaveFormatEx;
    EXPECT_NE(pin->QueryAccept(&check), kOk);
    check.majorType = kMediaTypeAudio;
    check.formatType = kFormatVideoInfo;
    EXPECT_NE(pin->QueryAccept(&check), kOk);
}

TEST(CGAudFilterTest, OffersPcmOfItsFormat) {
    const ComPointer<CGAudFilter> filter(new CGAudFilter());
    CBasePin* pin = filter->GetPin(0);
    EXPECT_EQ(OfferedType(pin, 0).result, kFail) << "no format yet";
    filter->SetFormat(48000, 2, 16);
    EXPECT_EQ(filter->BytesPerSecond(), 192000);
    EXPECT_EQ(filter->TimePerByte(), 1000000000 / 192000);
    OfferedType offered(pin, 0);
    ASSERT_EQ(offered.result, kOk);
    EXPECT_EQ(offered.type.majorType, kMediaTypeAudio);
    EXPECT_EQ(offered.type.subtype, kMediaSubtypePcm);
    EXPECT_EQ(offered.type.formatType, kFormatWaveFormatEx);
    ASSERT_EQ(offered.type.formatSize, 18u);
    WaveFormatEx wave;
    std::memcpy(&wave, offered.type.format, sizeof(wave));
    EXPECT_EQ(wave.formatTag, 1);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.samplesPerSecond, 48000u);
    EXPECT_EQ(wave.bitsPerSample, 16);
    EXPECT_EQ(wave.blockAlign, 4);
    EXPECT_EQ(wave.averageBytesPerSecond, 192000u);
    EXPECT_EQ(wave.extraSize, 0);
    EXPECT_EQ(OfferedType(pin, 1).result, kNoMoreItems);

    // Only PCM audio in a WAVEFORMATEX block.
    MediaType check{};
    check.majorType = kMediaTypeAudio;
    check.subtype = kMediaSubtypePcm;
    check.formatType = kFormatWaveFormatEx;
    EXPECT_EQ(pin->QueryAccept(&check), kOk);
    check.subtype = FourCCSubtype(3);
    EXPECT_NE(pin->QueryAccept(&check), kOk);
    // Bytes per second double only for 16-bit samples.
    filter->SetFormat(8000, 1, 8);
    EXPECT_EQ(filter->BytesPerSecond(), 8000);
}

// Rates and channel counts no media type can describe are refused, and the filter keeps its format.
TEST(CGAudFilterTest, RefusesFormatsPastItsMediaTypeAndBuffers) {
    const ComPointer<CGAudFilter> filter(new CGAudFilter());
    ASSERT_TRUE(filter->SetFormat(48000, 2, 16));
    struct Format {
        int32_t rate, channels, bits;
    };
    // Block alignment past 16 bits; one second of audio past a signed 32-bit buffer; nothing at all.
    for (Format bad : {Format{48000, 65535, 16}, Format{48000, 30000, 16}, Format{0x7FFFFFFF, 2, 16},
                       Format{32770, 32767, 16}, Format{0, 2, 16}, Format{48000, 0, 16}, Format{48000, 2, 0},
                       Format{-48000, 2, 16}}) {
        EXPECT_FALSE(filter->SetFormat(bad.rate, bad.channels, bad.bits))
            << bad.rate << " Hz, " << bad.channels << " channels, " << bad.bits << " bits";
    }
    EXPECT_EQ(filter->SampleRate(), 48000);
    EXPECT_EQ(filter->Channels(), 2);
    EXPECT_EQ(filter->BytesPerSecond(), 192000);
    OfferedType kept(filter->GetPin(0), 0);
    ASSERT_EQ(kept.result, kOk);
    WaveFormatEx wave;
    std::memcpy(&wave, kept.type.format, sizeof(wave));
    EXPECT_EQ(wave.averageBytesPerSecond, 192000u);

    // The largest second that fits: 32769 blocks of 65534 bytes.
    ASSERT_TRUE(filter->SetFormat(32769, 32767, 16));
    EXPECT_EQ(filter->BytesPerSecond(), 2147483646);
    OfferedType largest(filter->GetPin(0), 0);
    ASSERT_EQ(largest.result, kOk);
    std::memcpy(&wave, largest.type.format, sizeof(wave));
    EXPECT_EQ(wave.blockAlign, 65534);
    EXPECT_EQ(wave.averageBytesPerSecond, 2147483646u);
}

// A source filter connected to a sink that records every sample, both paused.
template <typename Source>
class Connected {
public:
    // Takes over the creation reference of `source`.
    explicit Connected(Source* source) : m_source(source), m_sink(new TestSink()) {}
    ~Connected() {
        m_source->Stop();
        m_sink->Stop();
        m_source->GetPin(0)->Disconnect();
        m_sink->In().Disconnect();
    }
    HResult Connect(const Guid& major) {
        m_sink->In().acceptedMajor = major;
        return m_source->GetPin(0)->Connect(&m_sink->In(), nullptr);
    }
    HResult Start() {
        HResult result = m_sink->Pause();
        return Succeeded(result) ? m_source->Pause() : result;
    }
    Source* SourceFilter() { return m_source.Get(); }
    const std::vector<dshow::test::Received>& Samples() { return m_sink->In().received; }
    int EndOfStreams() { return m_sink->In().endOfStreams; }
    IMemAllocator* Allocator() { return static_cast<CBaseOutputPin*>(m_source->GetPin(0))->Allocator(); }

private:
    ComPointer<Source> m_source;
    ComPointer<TestSink> m_sink;
};

TEST(CGenFilterTest, DeliversFramesOneDurationApartWithTheirKeyFlags) {
    Connected<CGenFilter> graph(new CGenFilter());
    CGenFilter* filter = graph.SourceFilter();
    // 1,000,000,000 * 1001 / 30000 time units to a frame at 29.97.
    filter->SetFormat(16, 8, 33366666, 29.970029830932617f);
    ASSERT_EQ(graph.Connect(kMediaTypeVideo), kOk);
    AllocatorProperties properties{};
    ASSERT_NE(graph.Allocator(), nullptr);
    ASSERT_EQ(graph.Allocator()->GetProperties(&properties), kOk);
    EXPECT_EQ(properties.buffers, 2);
    EXPECT_EQ(properties.bufferSize, 16 * 8 * 4);

    const uint8_t frame[3] = {'k', 'e', 'y'};
    EXPECT_EQ(filter->DeliverFrame(frame, 3, true), kInvalidArg) << "stopped";
    ASSERT_EQ(graph.Start(), kOk);
    EXPECT_EQ(filter->DeliverFrame(frame, 3, true), kOk);
    EXPECT_EQ(filter->DeliverFrame(frame, 2, false), kOk);
    std::vector<uint8_t> whole(16 * 8 * 4, 9);
    EXPECT_EQ(filter->DeliverFrame(whole.data(), static_cast<uint32_t>(whole.size()), false), kOk);
    whole.push_back(9);
    EXPECT_EQ(filter->DeliverFrame(whole.data(), static_cast<uint32_t>(whole.size()), false), kFail)
        << "larger than a picture";
    EXPECT_EQ(filter->DeliverEndOfStream(), kOk);

    const auto& samples = graph.Samples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].data, "key");
    EXPECT_EQ(samples[1].data, "ke");
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i].timeResult, kOk);
        EXPECT_EQ(samples[i].start, static_cast<ReferenceTime>(i) * 33366666);
        EXPECT_EQ(samples[i].stop, static_cast<ReferenceTime>(i + 1) * 33366666);
    }
    EXPECT_TRUE(samples[0].syncPoint);
    EXPECT_FALSE(samples[1].syncPoint);
    EXPECT_EQ(filter->RunningTime(), 3 * 33366666) << "a refused frame takes no time";
    EXPECT_EQ(graph.EndOfStreams(), 1);
}

TEST(CGAudFilterTest, DeliversBlocksStampedByTheirBytesAsSyncPoints) {
    Connected<CGAudFilter> graph(new CGAudFilter());
    CGAudFilter* filter = graph.SourceFilter();
    filter->SetFormat(48000, 2, 16);
    ASSERT_EQ(graph.Connect(kMediaTypeAudio), kOk);
    AllocatorProperties properties{};
    ASSERT_EQ(graph.Allocator()->GetProperties(&properties), kOk);
    EXPECT_EQ(properties.buffers, 2);
    EXPECT_EQ(properties.bufferSize, 192000) << "one second";

    std::vector<uint8_t> block(1602 * 4, 3);
    EXPECT_EQ(filter->DeliverAudio(static_cast<uint32_t>(block.size()), block.data()), kInvalidArg);
    ASSERT_EQ(graph.Start(), kOk);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(filter->DeliverAudio(static_cast<uint32_t>(block.size()), block.data()), kOk);
    std::vector<uint8_t> tooLong(192001, 1);
    EXPECT_EQ(filter->DeliverAudio(static_cast<uint32_t>(tooLong.size()), tooLong.data()), kFail);
    EXPECT_EQ(filter->DeliverEndOfStream(), kOk);

    const auto& samples = graph.Samples();
    ASSERT_EQ(samples.size(), 3u);
    const ReferenceTime blockTime = static_cast<ReferenceTime>(1000000000 / 192000) * 1602 * 4;
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i].data.size(), block.size());
        EXPECT_EQ(samples[i].start, static_cast<ReferenceTime>(i) * blockTime);
        EXPECT_EQ(samples[i].stop, static_cast<ReferenceTime>(i + 1) * blockTime);
        EXPECT_TRUE(samples[i].syncPoint);
    }
    EXPECT_EQ(graph.EndOfStreams(), 1);
}

}  // namespace
