// Connecting a test output pin to a test input pin directly: negotiation, refusal, the agreed allocator,
// interfaces, information and reference counts.
#include <gtest/gtest.h>

#include "TestFilters.h"
#include "dshow/ComPointer.h"
#include "platform/com.h"

namespace krvx {
namespace dshow {
namespace test {
namespace {

// A graph that only counts references, to see who holds one.
class CountingGraph final : public IFilterGraph {
public:
    int references = 1;
    HResult KRVX_COM_CALL QueryInterface(const Guid&, void** object) override {
        *object = nullptr;
        return kNoInterface;
    }
    uint32_t KRVX_COM_CALL AddRef() override { return static_cast<uint32_t>(++references); }
    uint32_t KRVX_COM_CALL Release() override { return static_cast<uint32_t>(--references); }
    HResult KRVX_COM_CALL AddFilter(IBaseFilter*, const OleChar*) override { return kNotImplemented; }
    HResult KRVX_COM_CALL RemoveFilter(IBaseFilter*) override { return kNotImplemented; }
    HResult KRVX_COM_CALL EnumFilters(IEnumFilters**) override { return kNotImplemented; }
    HResult KRVX_COM_CALL FindFilterByName(const OleChar*, IBaseFilter**) override { return kNotImplemented; }
    HResult KRVX_COM_CALL ConnectDirect(IPin*, IPin*, const MediaType*) override { return kNotImplemented; }
    HResult KRVX_COM_CALL Reconnect(IPin*) override { return kNotImplemented; }
    HResult KRVX_COM_CALL Disconnect(IPin*) override { return kNotImplemented; }
    HResult KRVX_COM_CALL SetDefaultSyncSource() override { return kNotImplemented; }
};

class DShowConnection : public ::testing::Test {
protected:
    void TearDown() override {
        source->Out().Disconnect();
        sink->In().Disconnect();
        sink->Plain().Disconnect();
        const int before = g_filtersDestroyed;
        EXPECT_EQ(source->Release(), 0u);
        EXPECT_EQ(sink->Release(), 0u);
        EXPECT_EQ(g_filtersDestroyed - before, 2);
    }

    void ExpectUnconnected() {
        EXPECT_FALSE(source->Out().IsConnected());
        EXPECT_FALSE(sink->In().IsConnected());
        IPin* peer = &sink->In();
        EXPECT_EQ(source->Out().ConnectedTo(&peer), kNotConnected);
        EXPECT_EQ(peer, nullptr);
        EXPECT_EQ(source->Out().Allocator(), nullptr);
    }

    TestSource* source = new TestSource();
    TestSink* sink = new TestSink();
};

TEST_F(DShowConnection, TakesTheFirstOfOurTypesTheReceiverAccepts) {
    ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
    // Video (our first) was refused; audio was taken, format block and all, on both sides.
    EXPECT_TRUE(source->Out().ConnectionType().majorType == kMediaTypeAudio);
    MediaType seen{};
    ASSERT_EQ(sink->In().ConnectionMediaType(&seen), kOk);
    EXPECT_TRUE(seen.subtype == kMediaSubtypePcm);
    ASSERT_EQ(seen.formatSize, sizeof(WaveFormatEx));
    EXPECT_NE(seen.format, source->Out().ConnectionType().format);
    EXPECT_EQ(reinterpret_cast<WaveFormatEx*>(seen.format)->channels, 2);
    FreeMediaType(seen);

    ComPointer<IPin> peer;
    ASSERT_EQ(source->Out().ConnectedTo(peer.Receive()), kOk);
    EXPECT_EQ(peer.Get(), static_cast<IPin*>(&sink->In()));
    ASSERT_EQ(sink->In().ConnectedTo(peer.Receive()), kOk);
    EXPECT_EQ(peer.Get(), static_cast<IPin*>(&source->Out()));
    peer.Reset();

    EXPECT_EQ(source->Out().Connect(&sink->In(), nullptr), kAlreadyConnected);
    EXPECT_EQ(sink->In().ReceiveConnection(&source->Out(), &source->Out().ConnectionType()),
              kAlreadyConnected);
    EXPECT_EQ(source->Out().Disconnect(), kOk);
    EXPECT_EQ(source->Out().Disconnect(), kFalse);
}

TEST_F(DShowConnection, FallsBackToTheReceiversTypes) {
    source->Out().offered = 0;
    sink->In().offersAudio = true;
    ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
    EXPECT_TRUE(sink->In().ConnectionType().majorType == kMediaTypeAudio);
}

TEST_F(DShowConnection, PartialTypeIsAPatternForTheCandidates) {
    MediaType pattern{};
    pattern.majorType = kMediaTypeAudio;
    ASSERT_EQ(source->Out().Connect(&sink->In(), &pattern), kOk);
    EXPECT_TRUE(sink->In().ConnectionType().subtype == kMediaSubtypePcm);
    EXPECT_EQ(sink->In().ConnectionType().formatSize, sizeof(WaveFormatEx));
}

TEST_F(DShowConnection, RefusalsLeaveBothPinsUnconnected) {
    sink->In().acceptedMajor = kMediaSubtypeAvi;  // nothing anyone offers
    EXPECT_EQ(source->Out().Connect(&sink->In(), nullptr), kNoAcceptableTypes);
    ExpectUnconnected();

    sink->In().acceptedMajor = kMediaTypeAudio;
    MediaType video{};
    FillVideoType(video);
    EXPECT_EQ(source->Out().Connect(&sink->In(), &video), kTypeNotAccepted);  // the receiver refuses it
    ExpectUnconnected();
    sink->In().acceptedMajor = kMediaTypeVideo;
    video.majorType = kMediaSubtypeAvi;
    EXPECT_EQ(source->Out().Connect(&sink->In(), &video), kTypeNotAccepted);  // we refuse it ourselves
    ExpectUnconnected();
    FreeMediaType(video);

    EXPECT_EQ(sink->In().QueryAccept(&source->Out().ConnectionType()), kFalse);
    MediaType pattern{};
    pattern.majorType = kMediaTypeVideo;
    EXPECT_EQ(source->Out().Connect(&sink->In(), &pattern), kOk);
    EXPECT_EQ(sink->In().QueryAccept(&sink->In().ConnectionType()), kOk);
}

TEST_F(DShowConnection, PinsOfOneDirectionDoNotConnect) {
    EXPECT_EQ(source->Out().Connect(source->GetPin(1), nullptr), kInvalidDirection);
    EXPECT_EQ(sink->Plain().Connect(&sink->In(), nullptr), kInvalidDirection);
    EXPECT_EQ(sink->In().ReceiveConnection(&sink->Plain(), &sink->In().ConnectionType()), kInvalidDirection);
    EXPECT_FALSE(source->Out().IsConnected());
    EXPECT_FALSE(sink->In().IsConnected());
}

TEST_F(DShowConnection, UnconnectedOutputPinCannotStream) {
    ASSERT_EQ(source->Pause(), kOk);  // nothing to commit yet
    ComPointer<IMediaSample> sample;
    EXPECT_EQ(source->Out().GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0), kNoAllocator);
    EXPECT_FALSE(sample);
    EXPECT_EQ(source->Out().Deliver(nullptr), kNotConnected);
    EXPECT_EQ(source->Out().DeliverEndOfStream(), kNotConnected);
    ASSERT_EQ(source->Stop(), kOk);
}

TEST_F(DShowConnection, ReceiverWithoutMemInputPinFailsAndIsDisconnected) {
    EXPECT_EQ(source->Out().Connect(&sink->Plain(), nullptr), kNoInterface);
    EXPECT_FALSE(source->Out().IsConnected());
    EXPECT_FALSE(sink->Plain().IsConnected());
}

TEST_F(DShowConnection, OnlyAStoppedFilterConnectsOrDisconnects) {
    ASSERT_EQ(source->Pause(), kOk);
    EXPECT_EQ(source->Out().Connect(&sink->In(), nullptr), kNotStopped);
    ASSERT_EQ(source->Stop(), kOk);
    ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
    ASSERT_EQ(source->Run(5), kOk);
    FilterState state = FilterState::Stopped;
    EXPECT_EQ(source->GetState(0, &state), kOk);
    EXPECT_EQ(state, FilterState::Running);
    EXPECT_EQ(source->StartTime(), 5);
    EXPECT_EQ(source->Out().Disconnect(), kNotStopped);
    ASSERT_EQ(source->Stop(), kOk);
}

TEST_F(DShowConnection, AgreesOnTwoBuffersFromTheReceiversAllocator) {
    ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
    IMemAllocator* allocator = source->Out().Allocator();
    ASSERT_NE(allocator, nullptr);
    EXPECT_EQ(allocator, sink->In().Allocator());
    AllocatorProperties agreed{};
    ASSERT_EQ(allocator->GetProperties(&agreed), kOk);
    EXPECT_EQ(agreed.buffers, 2);
    EXPECT_GE(agreed.bufferSize, kBufferBytes);
    EXPECT_EQ(agreed.align, 1);
    // Pausing commits it, so buffers can be had; stopping decommits it again.
    ComPointer<IMediaSample> sample;
    EXPECT_EQ(source->Out().GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0), kNotCommitted);
    ASSERT_EQ(source->Pause(), kOk);
    ASSERT_EQ(source->Out().GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0), kOk);
    sample.Reset();
    ASSERT_EQ(source->Stop(), kOk);
    EXPECT_EQ(source->Out().GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0), kNotCommitted);
}

TEST_F(DShowConnection, UsesItsOwnAllocatorWhenTheReceiverHasNone) {
    sink->In().refusesToAllocate = true;
    ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
    ASSERT_NE(source->Out().Allocator(), nullptr);
    EXPECT_EQ(source->Out().Allocator(), sink->In().Allocator());  // told through NotifyAllocator
    ComPointer<IMediaSample> sample;
    EXPECT_EQ(source->Out().GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0), kNotCommitted);
}

TEST_F(DShowConnection, QueryInterfaceAnswersPerObject) {
    const Guid filterInterfaces[] = {kIidUnknown, kIidPersist, kIidMediaFilter, kIidBaseFilter};
    for (const Guid& iid : filterInterfaces) {
        ComPointer<IBaseFilter> object;
        ASSERT_EQ(source->QueryInterface(iid, object.ReceiveVoid()), kOk);
        EXPECT_EQ(object.Get(), static_cast<IBaseFilter*>(source));
    }
    void* object = &object;
    EXPECT_EQ(source->QueryInterface(kIidPin, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(source->QueryInterface(kIidFileSinkFilter2, &object), kNoInterface);
    EXPECT_EQ(source->Out().QueryInterface(kIidMemInputPin, &object), kNoInterface);
    Guid classId{};
    EXPECT_EQ(sink->GetClassID(&classId), kOk);
    EXPECT_TRUE(classId == kSinkClass);

    // The input pin's two interfaces share the filter's count and lead back to the same pin.
    ComPointer<IMemInputPin> memInput;
    ASSERT_EQ(sink->In().QueryInterface(kIidMemInputPin, memInput.ReceiveVoid()), kOk);
    const uint32_t held = sink->AddRef();
    EXPECT_EQ(memInput->AddRef(), held + 1);
    EXPECT_EQ(sink->In().Release(), held);
    ComPointer<IPin> pin;
    ASSERT_EQ(memInput->QueryInterface(kIidPin, pin.ReceiveVoid()), kOk);
    EXPECT_EQ(pin.Get(), static_cast<IPin*>(&sink->In()));
    pin.Reset();
    memInput.Reset();
    sink->Release();
    EXPECT_EQ(sink->AddRef(), 2u);
    sink->Release();
}

TEST_F(DShowConnection, FilterAndPinInformation) {
    CountingGraph graph;
    ASSERT_EQ(source->JoinFilterGraph(&graph, u"Test Source"), kOk);
    EXPECT_EQ(graph.references, 1);  // the graph holds the filter, not the other way round
    EXPECT_EQ(source->Graph(), &graph);
    FilterInfo info{};
    ASSERT_EQ(source->QueryFilterInfo(&info), kOk);
    EXPECT_EQ(Text(info.name), u"Test Source");
    EXPECT_EQ(info.graph, &graph);
    EXPECT_EQ(graph.references, 2);
    info.graph->Release();
    ASSERT_EQ(source->JoinFilterGraph(nullptr, nullptr), kOk);
    ASSERT_EQ(source->QueryFilterInfo(&info), kOk);
    EXPECT_EQ(info.graph, nullptr);
    EXPECT_EQ(Text(info.name), u"");

    ComPointer<IPin> found;
    ASSERT_EQ(source->FindPin(u"Spare", found.Receive()), kOk);
    EXPECT_EQ(found.Get(), source->GetPin(1));
    EXPECT_EQ(source->FindPin(u"Spar", found.Receive()), kNotFound);
    EXPECT_FALSE(found);

    PinInfo pinInfo{};
    ASSERT_EQ(sink->In().QueryPinInfo(&pinInfo), kOk);
    EXPECT_EQ(pinInfo.filter, static_cast<IBaseFilter*>(sink));
    EXPECT_EQ(pinInfo.direction, PinDirection::Input);
    EXPECT_EQ(Text(pinInfo.name), u"In");
    EXPECT_EQ(pinInfo.filter->Release(), 1u);
    PinDirection direction = PinDirection::Input;
    EXPECT_EQ(source->Out().QueryDirection(&direction), kOk);
    EXPECT_EQ(direction, PinDirection::Output);
    OleChar* id = nullptr;
    ASSERT_EQ(source->Out().QueryId(&id), kOk);
    EXPECT_EQ(Text(id), u"Out");
    EXPECT_NE(id, source->Out().Name());
    platform::ComTaskMemFree(id);
}

TEST(DShowLifetime, ConnectedPeersHoldEachOthersFilter) {
    TestSource* source = new TestSource();
    TestSink* sink = new TestSink();
    const int before = g_filtersDestroyed;
    ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
    ComPointer<IEnumPins> pins;
    ASSERT_EQ(sink->EnumPins(pins.Receive()), kOk);
    // The enumerator and the source's pin (as IPin and as IMemInputPin) still hold it.
    EXPECT_EQ(sink->Release(), 3u);
    pins.Reset();
    EXPECT_EQ(g_filtersDestroyed, before);
    // Undoing the connection from the output side lets go of the sink, whose pin then lets go of the source.
    ASSERT_EQ(source->Out().Disconnect(), kOk);
    EXPECT_EQ(g_filtersDestroyed, before + 1);
    EXPECT_EQ(source->Release(), 0u);
    EXPECT_EQ(g_filtersDestroyed, before + 2);
}

}  // namespace
}  // namespace test
}  // namespace dshow
}  // namespace krvx
