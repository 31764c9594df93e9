#include "trim/CAppDirectWriter.h"

#include <cstdint>
#include <new>
#include <string>

#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"
#include "platform/com.h"
#include "platform/debug.h"
#include "platform/text.h"
#include "trim/CGAudFilter.h"
#include "trim/CGenFilter.h"
#include "trim/GraphFactory.h"
#include "trim/OutputPath.h"

namespace krvx {

using namespace dshow;

namespace {

// The start timecode handed to "QT Mux", 00:00:00:00, and its rate in frames per second.
struct Timecode {
    uint32_t hours, minutes, seconds, frames;
};
constexpr Timecode kStartTimecode{0, 0, 0, 0};
constexpr double kTimecodeRate = 24.0;
// As the multiplexer takes them: hours << 24 | minutes << 16 | seconds << 8 | frames, and the rate in
// thousandths of a frame per second.
constexpr uint32_t kPackedStartTimecode = (kStartTimecode.hours << 24) + (kStartTimecode.minutes << 16) +
                                          (kStartTimecode.seconds << 8) + kStartTimecode.frames;
constexpr uint32_t kTimecodeRateTimes1000 = static_cast<uint32_t>(kTimecodeRate * 1000.0);
constexpr ReferenceTime kInterleaveTime = 250000;

// The index-th pin of the filter in the given direction; null when none.
ComPointer<IPin> NthPin(IBaseFilter* filter, PinDirection direction, int index) {
    ComPointer<IEnumPins> pins;
    if (!filter || Failed(filter->EnumPins(pins.Receive())) || !pins) return ComPointer<IPin>();
    for (;;) {
        ComPointer<IPin> pin;
        uint32_t fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != kOk || fetched != 1) return ComPointer<IPin>();
        PinDirection actual = PinDirection::Input;
        if (Succeeded(pin->QueryDirection(&actual)) && actual == direction && index-- == 0) return pin;
    }
}

// Connects `output` to the index-th input pin of `filter`; E_FAIL when it has no such pin.
HResult ConnectToInput(IGraphBuilder* graph, IPin* output, IBaseFilter* filter, int index) {
    ComPointer<IPin> input = NthPin(filter, PinDirection::Input, index);
    if (!input) return kFail;
    return graph->Connect(output, input.Get());
}

// Names the file a sink filter writes, replacing an existing one.
HResult SetSinkFile(IBaseFilter* filter, const char16_t* path) {
    ComPointer<IFileSinkFilter2> sink;
    if (Failed(filter->QueryInterface(kIidFileSinkFilter2, sink.ReceiveVoid())) || !sink) return kFail;
    HResult result = sink->SetFileName(path, nullptr);
    if (Succeeded(result)) result = sink->SetMode(kFileOverwrite);
    return result;
}

HResult CreateAndAdd(IGraphBuilder* graph, const Guid& classId, const char16_t* name,
                     ComPointer<IBaseFilter>* filter) {
    HResult result = CreateGraphObject(classId, kIidBaseFilter, filter->ReceiveVoid());
    if (Failed(result) || !*filter) {
        platform::DebugPrintf("CAppDirectWriter: cannot create a filter, result 0x%08X\n",
                              static_cast<unsigned>(result));
        filter->Reset();
        return Failed(result) ? result : kFail;
    }
    result = graph->AddFilter(filter->Get(), name);
    if (Failed(result)) filter->Reset();
    return result;
}

void AskForFullInterleaving(IBaseFilter* mux, int32_t interleaveHint) {
    ComPointer<IConfigInterleaving> config;
    if (Failed(mux->QueryInterface(kIidConfigInterleaving, config.ReceiveVoid())) || !config) return;
    ReferenceTime interleave = 0, preroll = 0;
    config->get_Interleaving(&interleave, &preroll);
    if (interleaveHint > 0) {
        interleave = kInterleaveTime;
        preroll = kInterleaveTime;
        config->put_Interleaving(&interleave, &preroll);
        config->put_Mode(InterleavingMode::Full);
    }
}

void StopEveryFilter(IGraphBuilder* graph) {
    ComPointer<IEnumFilters> filters;
    if (Failed(graph->EnumFilters(filters.Receive())) || !filters) return;
    for (;;) {
        ComPointer<IBaseFilter> filter;
        uint32_t fetched = 0;
        if (filters->Next(1, filter.Receive(), &fetched) != kOk || fetched != 1) return;
        filter->Stop();
    }
}

// Hands the start timecode and its rate to "QT Mux" when the graph holds one that takes them.
void SetQuickTimeTimecode(IGraphBuilder* graph) {
    ComPointer<IBaseFilter> qtMux;
    if (Failed(graph->FindFilterByName(u"QT Mux", qtMux.Receive())) || !qtMux) return;
    ComPointer<IQtMuxTimecode> timecode;
    if (Failed(qtMux->QueryInterface(kIidQtMuxTimecode, timecode.ReceiveVoid())) || !timecode) return;
    timecode->SetStartTimecode(kPackedStartTimecode, 0);
    timecode->SetTimecodeRate(kTimecodeRateTimes1000);
}

}  // namespace

CAppDirectWriter::Apartment::Apartment() : m_result(platform::ComInitialize()) {}

CAppDirectWriter::Apartment::~Apartment() {
    if (Succeeded(m_result)) platform::ComUninitialize();
}

CAppDirectWriter::CAppDirectWriter() = default;

CAppDirectWriter::~CAppDirectWriter() {
    Finish();
    ReleaseFilters();
}

void CAppDirectWriter::ReleaseFilters() {
    m_videoFilter.Reset();
    m_audioFilter.Reset();
}

HResult CAppDirectWriter::Init(const char* path, int32_t interleaveHint) {
    if (!path) return kPointer;
    try {
        const std::string target = OutputPathFor(path, &m_container);
        const size_t units = platform::MultibyteToWide(target.c_str(), nullptr, 0);
        if (units == 0) return kInvalidArg;
        std::u16string wide(units, u'\0');
        if (platform::MultibyteToWide(target.c_str(), &wide[0], units) == 0) return kInvalidArg;
        wide.resize(units - 1);  // the terminator the conversion wrote
        m_outputPath = std::move(wide);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_interleaveHint = interleaveHint;
    return kOk;
}

HResult CAppDirectWriter::EnsureGraph() {
    if (m_graph) return kOk;
    ReleaseFilters();
    HResult result = CreateGraphObject(kClsidFilterGraph, kIidGraphBuilder, m_graph.ReceiveVoid());
    if (Failed(result) || !m_graph) {
        platform::DebugPrintf("CAppDirectWriter: no filter graph, result 0x%08X\n",
                              static_cast<unsigned>(result));
        m_graph.Reset();
        return Failed(result) ? result : kFail;
    }
    return kOk;
}

HResult CAppDirectWriter::StartVideo(int32_t width, int32_t height, uint32_t timeScale, uint32_t timeRate) {
    HResult result = EnsureGraph();
    if (Failed(result)) return result;
    if (timeRate == 0) return kInvalidArg;
    // The filter counts a frame's duration in 32 bits: a rate so slow that one frame lasts longer is
    // refused rather than stamped with a wrapped duration.
    const int64_t duration = static_cast<int64_t>(1000000000) * timeScale / timeRate;
    if (duration > INT32_MAX) return kInvalidArg;
    ComPointer<CGenFilter> filter(new (std::nothrow) CGenFilter());
    if (!filter) return kOutOfMemory;
    filter->SetFormat(width, height, static_cast<int32_t>(duration),
                      static_cast<float>(timeRate) / static_cast<float>(timeScale));
    m_videoFilter = std::move(filter);
    return m_graph->AddFilter(m_videoFilter.Get(), u"App-Direct Video");
}

HResult CAppDirectWriter::StartAudio(int32_t sampleRate, int32_t channels, int32_t bitsPerSample) {
    HResult result = EnsureGraph();
    if (Failed(result)) return result;
    ComPointer<CGAudFilter> filter(new (std::nothrow) CGAudFilter());
    if (!filter) return kOutOfMemory;
    if (!filter->SetFormat(sampleRate, channels, bitsPerSample)) {
        platform::DebugPrintf("CAppDirectWriter: no media type describes %d Hz, %d channels, %d bits\n",
                              sampleRate, channels, bitsPerSample);
        return kInvalidArg;
    }
    m_audioFilter = std::move(filter);
    return m_graph->AddFilter(m_audioFilter.Get(), u"App-Direct Audio");
}

HResult CAppDirectWriter::BuildAndRun() {
    if (m_running) return kOk;
    if (!m_graph || (!m_videoFilter && !m_audioFilter)) return kFail;
    IPin* videoPin = m_videoFilter ? m_videoFilter->GetPin(0) : nullptr;
    IPin* audioPin = m_audioFilter ? m_audioFilter->GetPin(0) : nullptr;
    HResult result = BuildGraph(videoPin, audioPin);
    if (Failed(result)) return result;
    ComPointer<IMediaControl> control;
    result = m_graph->QueryInterface(kIidMediaControl, control.ReceiveVoid());
    if (Failed(result) || !control) return Failed(result) ? result : kFail;
    result = control->Run();
    if (Failed(result)) {
        platform::DebugPrintf("CAppDirectWriter: the graph does not run, result 0x%08X\n",
                              static_cast<unsigned>(result));
        // A graph whose start failed part way may leave the filters it did start paused, and such
        // filters refuse to be disconnected when the graph is released: stop every one.
        control->Stop();
        StopEveryFilter(m_graph.Get());
        return result;
    }
    m_running = true;
    return result;
}

HResult CAppDirectWriter::WriteVideo(const uint8_t* data, uint32_t size, bool keyFrame) {
    HResult result = BuildAndRun();
    if (Failed(result)) return result;
    if (!m_videoFilter) return kInvalidArg;
    return m_videoFilter->DeliverFrame(data, size, keyFrame);
}

HResult CAppDirectWriter::WriteAudio(uint32_t byteCount, const uint8_t* data) {
    HResult result = BuildAndRun();
    if (Failed(result)) return result;
    if (!m_audioFilter) return kInvalidArg;
    return m_audioFilter->DeliverAudio(byteCount, data);
}

HResult CAppDirectWriter::BuildGraph(IPin* videoPin, IPin* audioPin) {
    if ((!videoPin && !audioPin) || m_outputPath.empty() || !m_graph) return kFail;
    ComPointer<IBaseFilter> mux;
    ComPointer<IBaseFilter> fileWriter;
    const char* step = "the multiplexer";
    HResult result;
    if (m_container == kContainerQuickTime) {
        result = CreateAndAdd(m_graph.Get(), kClsidQtMux, u"QT Mux", &mux);
        if (Succeeded(result)) {
            step = "the movie's file name";
            result = SetSinkFile(mux.Get(), m_outputPath.c_str());
        }
    } else {
        result = CreateAndAdd(m_graph.Get(), kClsidAviDest, u"AVI Mux", &mux);
        if (Succeeded(result)) {
            AskForFullInterleaving(mux.Get(), m_interleaveHint);
            step = "the file writer";
            result = CreateAndAdd(m_graph.Get(), kClsidFileWriter, u"File Writer", &fileWriter);
        }
        if (Succeeded(result)) {
            step = "the file writer's file name";
            result = SetSinkFile(fileWriter.Get(), m_outputPath.c_str());
        }
    }
    // The multiplexer's output goes to the file writer first: a multiplexer may reconnect its inputs
    // when its output connects, and Wine's AVI multiplexer cannot take an input connection again.
    if (Succeeded(result) && fileWriter) {
        step = "the file writer's connection";
        ComPointer<IPin> muxOutput = NthPin(mux.Get(), PinDirection::Output, 0);
        result = muxOutput ? ConnectToInput(m_graph.Get(), muxOutput.Get(), fileWriter.Get(), 0) : kFail;
    }
    // The system's multiplexer adds an input pin once one is connected, so the audio pin looks for
    // the second input only after the video pin has taken the first.
    if (Succeeded(result) && videoPin) {
        step = "the video connection";
        result = ConnectToInput(m_graph.Get(), videoPin, mux.Get(), 0);
    }
    if (Succeeded(result) && audioPin) {
        step = "the audio connection";
        result = ConnectToInput(m_graph.Get(), audioPin, mux.Get(), videoPin ? 1 : 0);
    }
    if (Failed(result)) {
        platform::DebugPrintf("CAppDirectWriter::BuildGraph: %s failed, result 0x%08X\n", step,
                              static_cast<unsigned>(result));
    }
    return result;
}

HResult CAppDirectWriter::Finish() {
    if (m_graph) SetQuickTimeTimecode(m_graph.Get());
    if (m_videoFilter) m_videoFilter->DeliverEndOfStream();
    if (m_audioFilter) m_audioFilter->DeliverEndOfStream();
    if (!m_graph) return kOk;
    HResult result = kOk;
    ComPointer<IMediaControl> control;
    if (Succeeded(m_graph->QueryInterface(kIidMediaControl, control.ReceiveVoid())) && control) {
        result = control->Stop();
    }
    m_running = false;
    control.Reset();
    m_graph.Reset();
    return result;
}

}  // namespace krvx
