// The stand-in graph: what its factory creates, names and lookups, pin connections with the
// multiplexer's inputs multiplying, the order filters change state in, and what a released graph lets go.
#include <gtest/gtest.h>

#include "GraphSupport.h"
#include "dshow/MediaTypes.h"
#include "graph/FilterGraph.h"
#include "graph/StandInFactory.h"

namespace krvx {
namespace graphtest {
namespace {

using namespace dshow;
using graph::CreateStandInObject;

std::string FilterName(IBaseFilter* filter) {
    FilterInfo info{};
    filter->QueryFilterInfo(&info);
    const ComPointer<IFilterGraph> graph(info.graph);
    return Narrow(info.name);
}

TEST(StandInFactory, CreatesTheFourClassesAndAnswersTheirInterfaces) {
    struct Case {
        Guid classId;
        Guid iid;
    } cases[] = {{kClsidFilterGraph, kIidGraphBuilder},   {kClsidFilterGraph, kIidMediaControl},
                 {kClsidAviDest, kIidConfigInterleaving}, {kClsidFileWriter, kIidFileSinkFilter2},
                 {kClsidQtMux, kIidQtMuxTimecode},        {kClsidQtMux, kIidFileSinkFilter2}};
    for (const Case& c : cases) {
        ComPointer<IUnknown> object;
        ASSERT_EQ(CreateStandInObject(c.classId, c.iid, object.ReceiveVoid()), kOk);
        ASSERT_TRUE(object);
        EXPECT_EQ(OtherReferences(object.Get()), 0u) << "the caller's reference is the only one";
    }
    void* object = &object;
    EXPECT_EQ(CreateStandInObject(kIidPin, kIidUnknown, &object), kClassNotRegistered);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CreateStandInObject(kClsidFileWriter, kIidQtMuxTimecode, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);

    // One object behind both graph interfaces: the same identity.
    ComPointer<IGraphBuilder> builder;
    ASSERT_EQ(CreateStandInObject(kClsidFilterGraph, kIidGraphBuilder, builder.ReceiveVoid()), kOk);
    ComPointer<IMediaControl> control;
    ComPointer<IUnknown> fromBuilder, fromControl;
    ASSERT_EQ(builder->QueryInterface(kIidMediaControl, control.ReceiveVoid()), kOk);
    builder->QueryInterface(kIidUnknown, fromBuilder.ReceiveVoid());
    control->QueryInterface(kIidUnknown, fromControl.ReceiveVoid());
    EXPECT_EQ(fromBuilder.Get(), fromControl.Get());
    EXPECT_EQ(builder->QueryInterface(kIidBaseFilter, &object), kNoInterface);
}

TEST(FilterGraph, NamesAreUniqueAndFound) {
    ComPointer<IGraphBuilder> graph;
    ASSERT_EQ(CreateStandInObject(kClsidFilterGraph, kIidGraphBuilder, graph.ReceiveVoid()), kOk);
    ComPointer<TestRelay> first(TestRelay::Create("first", nullptr));
    ComPointer<TestRelay> second(TestRelay::Create("second", nullptr));
    ComPointer<TestRelay> unnamed(TestRelay::Create("unnamed", nullptr));
    EXPECT_EQ(graph->AddFilter(first.Get(), u"AVI Mux"), kOk);
    EXPECT_EQ(graph->AddFilter(second.Get(), u"AVI Mux"), graph::kDuplicateName);
    EXPECT_EQ(graph->AddFilter(unnamed.Get(), nullptr), kOk);
    EXPECT_EQ(OtherReferences(first.Get()), 1u) << "the graph holds each filter";

    EXPECT_EQ(FilterName(first.Get()), "AVI Mux");
    const std::string renamed = FilterName(second.Get());
    EXPECT_NE(renamed, "AVI Mux");
    EXPECT_EQ(renamed.rfind("AVI Mux", 0), 0u) << renamed;
    EXPECT_FALSE(FilterName(unnamed.Get()).empty());

    ComPointer<IBaseFilter> found;
    ASSERT_EQ(graph->FindFilterByName(Wide(renamed).c_str(), found.Receive()), kOk);
    EXPECT_EQ(found.Get(), second.Get());
    EXPECT_EQ(graph->FindFilterByName(u"File Writer", found.Receive()), kNotFound);
    EXPECT_FALSE(found);

    {
        // The enumerator lists them in the order they came; a clone goes on from where it was.
        ComPointer<IEnumFilters> filters;
        ASSERT_EQ(graph->EnumFilters(filters.Receive()), kOk);
        IBaseFilter* listed[4] = {};
        uint32_t fetched = 0;
        EXPECT_EQ(filters->Next(2, listed, &fetched), kOk);
        EXPECT_EQ(fetched, 2u);
        const ComPointer<IBaseFilter> firstTwo[] = {ComPointer<IBaseFilter>(listed[0]),
                                                    ComPointer<IBaseFilter>(listed[1])};
        EXPECT_EQ(listed[0], first.Get());
        EXPECT_EQ(listed[1], second.Get());
        ComPointer<IEnumFilters> clone;
        ASSERT_EQ(filters->Clone(clone.Receive()), kOk);
        EXPECT_EQ(clone->Next(2, listed + 2, &fetched), kFalse);
        EXPECT_EQ(fetched, 1u);
        const ComPointer<IBaseFilter> last(listed[2]);
        EXPECT_EQ(listed[2], unnamed.Get());
    }
    // Enumerators hold what they list, until they and what they listed are let go.
    EXPECT_EQ(graph->RemoveFilter(first.Get()), kOk);
    EXPECT_EQ(graph->FindFilterByName(u"AVI Mux", found.Receive()), kNotFound);
    EXPECT_EQ(OtherReferences(first.Get()), 0u);
    EXPECT_EQ(graph->RemoveFilter(first.Get()), kNotFound);
    // The freed name can be taken again as it is.
    EXPECT_EQ(graph->AddFilter(first.Get(), u"AVI Mux"), kOk);
}

TEST(FilterGraph, MultiplexerInputsMultiplyAsTheyAreConnected) {
    for (bool quickTime : {false, true}) {
        SCOPED_TRACE(quickTime ? "QT Mux" : "AVI Mux");
        TestClip clip;
        CopyGraph copy(clip, ::testing::TempDir() + "krvx_unused.avi", quickTime, true, true);
        ASSERT_EQ(copy.built, kOk);
        // Video went to the first input, audio to the second, and a third waits unconnected.
        ComPointer<IPin> inputs[3];
        for (int i = 0; i < 3; ++i) inputs[i] = PinOf(copy.mux.Get(), PinDirection::Input, i);
        ASSERT_TRUE(inputs[2]);
        EXPECT_FALSE(PinOf(copy.mux.Get(), PinDirection::Input, 3));
        EXPECT_EQ(PinName(inputs[0].Get()), "Input 01");
        EXPECT_EQ(PinName(inputs[1].Get()), "Input 02");
        EXPECT_EQ(PinName(inputs[2].Get()), "Input 03");
        MediaType type{};
        ASSERT_EQ(inputs[0]->ConnectionMediaType(&type), kOk);
        EXPECT_EQ(type.majorType, kMediaTypeVideo);
        FreeMediaType(type);
        ASSERT_EQ(inputs[1]->ConnectionMediaType(&type), kOk);
        EXPECT_EQ(type.majorType, kMediaTypeAudio);
        FreeMediaType(type);
        ComPointer<IPin> peer;
        EXPECT_EQ(inputs[2]->ConnectedTo(peer.Receive()), kNotConnected);
        EXPECT_EQ(PinCount(copy.mux.Get()), quickTime ? 3 : 4);

        // A pin already connected is refused; a type the inputs do not take leaves no new pin behind.
        EXPECT_EQ(copy.graph->Connect(copy.videoSource->Output(), inputs[2].Get()), kAlreadyConnected);
        ComPointer<TestRelay> relay(TestRelay::Create("relay", nullptr));
        copy.graph->AddFilter(relay.Get(), u"relay");
        ComPointer<IPin> streamOut = PinOf(relay.Get(), PinDirection::Output, 0);
        EXPECT_TRUE(Failed(copy.graph->Connect(streamOut.Get(), inputs[2].Get())));
        EXPECT_FALSE(PinOf(copy.mux.Get(), PinDirection::Input, 3));
        // Pins of a filter outside the graph are not connected.
        ComPointer<TestSource> outsider(TestSource::Video(8, 8, 400000, 256, "outsider", nullptr));
        EXPECT_EQ(copy.graph->Connect(outsider->Output(), inputs[2].Get()), kNotInGraph);
    }
}

TEST(FilterGraph, FileWriterTakesOnlyByteStreams) {
    TestClip clip;
    CopyGraph copy(clip, ::testing::TempDir() + "krvx_unused.avi", false, true, false);
    ASSERT_EQ(copy.built, kOk);
    ComPointer<IPin> muxOut = PinOf(copy.mux.Get(), PinDirection::Output, 0);
    ComPointer<IPin> writerIn = PinOf(copy.fileWriter.Get(), PinDirection::Input, 0);
    EXPECT_EQ(copy.graph->Disconnect(muxOut.Get()), kOk);
    EXPECT_EQ(copy.graph->Disconnect(writerIn.Get()), kOk);
    ComPointer<TestSource> video(TestSource::Video(8, 8, 400000, 256, "video 2", nullptr));
    copy.graph->AddFilter(video.Get(), nullptr);
    EXPECT_TRUE(Failed(copy.graph->Connect(video->Output(), writerIn.Get())));
    EXPECT_EQ(copy.graph->ConnectDirect(muxOut.Get(), writerIn.Get(), nullptr), kOk);
}

TEST(FilterGraph, RunStartsSinksFirstAndStopStopsSourcesFirst) {
    EventLog log;
    ComPointer<IGraphBuilder> graph;
    ASSERT_EQ(CreateStandInObject(kClsidFilterGraph, kIidGraphBuilder, graph.ReceiveVoid()), kOk);
    ComPointer<TestSource> source(TestSource::Video(8, 8, 400000, 256, "source", &log));
    ComPointer<TestRelay> middle(TestRelay::Create("middle", &log));
    ComPointer<TestRelay> sink(TestRelay::Create("sink", &log));
    // Added out of stream order, so that the order of addition cannot pass for the right one.
    graph->AddFilter(middle.Get(), u"middle");
    graph->AddFilter(source.Get(), u"source");
    graph->AddFilter(sink.Get(), u"sink");
    ASSERT_EQ(graph->Connect(source->Output(), PinOf(middle.Get(), PinDirection::Input, 0).Get()), kOk);
    ASSERT_EQ(graph->Connect(PinOf(middle.Get(), PinDirection::Output, 0).Get(),
                             PinOf(sink.Get(), PinDirection::Input, 0).Get()),
              kOk);
    ComPointer<IMediaControl> control;
    ASSERT_EQ(graph->QueryInterface(kIidMediaControl, control.ReceiveVoid()), kOk);
    int32_t state = -1;
    EXPECT_EQ(control->GetState(0, &state), kOk);
    EXPECT_EQ(state, static_cast<int32_t>(FilterState::Stopped));

    ASSERT_EQ(control->Run(), kOk);
    EXPECT_EQ(log, (EventLog{"pause sink", "pause middle", "pause source", "run sink", "run middle",
                             "run source"}));
    control->GetState(0, &state);
    EXPECT_EQ(state, static_cast<int32_t>(FilterState::Running));
    FilterState filterState = FilterState::Stopped;
    source->GetState(0, &filterState);
    EXPECT_EQ(filterState, FilterState::Running);

    log.clear();
    ASSERT_EQ(control->Stop(), kOk);
    EXPECT_EQ(log, (EventLog{"stop source", "stop middle", "stop sink"}));
    control->GetState(0, &state);
    EXPECT_EQ(state, static_cast<int32_t>(FilterState::Stopped));

    // Releasing a running graph stops it the same way and lets every filter go.
    ASSERT_EQ(control->Run(), kOk);
    log.clear();
    control.Reset();
    graph.Reset();
    EXPECT_EQ(log, (EventLog{"stop source", "stop middle", "stop sink"}));
    for (IBaseFilter* filter :
         {static_cast<IBaseFilter*>(source.Get()), static_cast<IBaseFilter*>(middle.Get()),
          static_cast<IBaseFilter*>(sink.Get())}) {
        EXPECT_EQ(OtherReferences(filter), 0u);
        FilterInfo info{};
        filter->QueryFilterInfo(&info);
        EXPECT_EQ(info.graph, nullptr);
    }
    ComPointer<IPin> peer;
    EXPECT_EQ(source->Output()->ConnectedTo(peer.Receive()), kNotConnected);
    EXPECT_EQ(PinOf(sink.Get(), PinDirection::Input, 0)->ConnectedTo(peer.Receive()), kNotConnected);
}

TEST(FilterGraph, CopyGraphReleasesEveryObject) {
    TestClip clip;
    TestSource* video = nullptr;
    TestSource* audio = nullptr;
    {
        CopyGraph copy(clip, ::testing::TempDir() + "krvx_released.avi", false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        ASSERT_EQ(copy.PushFrame(0), kOk);
        video = copy.videoSource.Get();
        audio = copy.audioSource.Get();
        // Kept past the graph, to see that nothing else still holds them.
        video->AddRef();
        audio->AddRef();
    }
    EXPECT_EQ(video->Release(), 0u);
    EXPECT_EQ(audio->Release(), 0u);
}

}  // namespace
}  // namespace graphtest
}  // namespace krvx
