#include "trim/CAppDirectWriter.h"

#include <cstdio>
#include <new>
#include <string>

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

// The start timecode handed to "QT Mux", and its rate in frames per second.
constexpr const char* kStartTimecode = "00:00:00:00";
constexpr double kTimecodeRate = 24.0;
constexpr ReferenceTime kInterleaveTime = 250000;

// The index-th pin of the filter in the given direction, with a reference held; null when none.
IPin* NthPin(IBaseFilter* filter, PinDirection direction, int index) {
    IEnumPins* pins = nullptr;
    if (!filter || Failed(filter->EnumPins(&pins)) || !pins) return nullptr;
    IPin* found = nullptr;
    IPin* pin = nullptr;
    uint32_t fetched = 0;
    while (!found && pins->Next(1, &pin, &fetched) == kOk && fetched == 1) {
        PinDirection actual = PinDirection::Input;
        if (Succeeded(pin->QueryDirection(&actual)) && actual == direction && index-- == 0) {
            found = pin;
        } else {
            pin->Release();
        }
    }
    pins->Release();
    return found;
}

// Connects `output` to the index-th input pin of `filter`; E_FAIL when it has no such pin.
HResult ConnectToInput(IGraphBuilder* graph, IPin* output, IBaseFilter* filter, int index) {
    IPin* input = NthPin(filter, PinDirection::Input, index);
    if (!input) return kFail;
    HResult result = graph->Connect(output, input);
    input->Release();
    return result;
}

// Names the file a sink filter writes, replacing an existing one.
HResult SetSinkFile(IBaseFilter* filter, const char16_t* path) {
    IFileSinkFilter2* sink = nullptr;
    if (Failed(filter->QueryInterface(kIidFileSinkFilter2, reinterpret_cast<void**>(&sink))) || !sink)
        return kFail;
    HResult result = sink->SetFileName(path, nullptr);
    if (Succeeded(result)) result = sink->SetMode(kFileOverwrite);
    sink->Release();
    return result;
}

HResult CreateAndAdd(IGraphBuilder* graph, const Guid& classId, const char16_t* name, IBaseFilter** filter) {
    *filter = nullptr;
    HResult result = CreateGraphObject(classId, kIidBaseFilter, reinterpret_cast<void**>(filter));
    if (Failed(result) || !*filter) {
        platform::DebugPrintf("CAppDirectWriter: cannot create a filter, result 0x%08X\n",
                              static_cast<unsigned>(result));
        return Failed(result) ? result : kFail;
    }
    result = graph->AddFilter(*filter, name);
    if (Failed(result)) {
        (*filter)->Release();
        *filter = nullptr;
    }
    return result;
}

void AskForFullInterleaving(IBaseFilter* mux, int32_t interleaveHint) {
    IConfigInterleaving* config = nullptr;
    if (Failed(mux->QueryInterface(kIidConfigInterleaving, reinterpret_cast<void**>(&config))) || !config)
        return;
    ReferenceTime interleave = 0, preroll = 0;
    config->get_Interleaving(&interleave, &preroll);
    if (interleaveHint > 0) {
        interleave = kInterleaveTime;
        preroll = kInterleaveTime;
        config->put_Interleaving(&interleave, &preroll);
        config->put_Mode(InterleavingMode::Full);
    }
    config->Release();
}

void StopEveryFilter(IGraphBuilder* graph) {
    IEnumFilters* filters = nullptr;
    if (Failed(graph->EnumFilters(&filters)) || !filters) return;
    IBaseFilter* filter = nullptr;
    uint32_t fetched = 0;
    while (filters->Next(1, &filter, &fetched) == kOk && fetched == 1) {
        filter->Stop();
        filter->Release();
    }
    filters->Release();
}

}  // namespace

CAppDirectWriter::CAppDirectWriter() {
    m_comResult = platform::ComInitialize();
}

CAppDirectWriter::~CAppDirectWriter() {
    Finish();
    ReleaseFilters();
    if (m_graph) {
        m_graph->Release();
        m_graph = nullptr;
    }
    delete[] m_outputPath;
    m_outputPath = nullptr;
    if (Succeeded(m_comResult)) platform::ComUninitialize();
}

void CAppDirectWriter::ReleaseFilters() {
    if (m_videoFilter) {
        m_videoFilter->Release();
        m_videoFilter = nullptr;
    }
    if (m_audioFilter) {
        m_audioFilter->Release();
        m_audioFilter = nullptr;
    }
}

HResult CAppDirectWriter::Init(const char* path, int32_t interleaveHint) {
    if (!path) return kPointer;
    std::string target;
    try {
        target = OutputPathFor(path, &m_container);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    const size_t units = platform::MultibyteToWide(target.c_str(), nullptr, 0);
    if (units == 0) return kInvalidArg;
    char16_t* wide = new (std::nothrow) char16_t[units];
    if (!wide) return kOutOfMemory;
    if (platform::MultibyteToWide(target.c_str(), wide, units) == 0) {
        delete[] wide;
        return kInvalidArg;
    }
    delete[] m_outputPath;
    m_outputPath = wide;
    m_interleaveHint = interleaveHint;
    return kOk;
}

HResult CAppDirectWriter::EnsureGraph() {
    if (m_graph) return kOk;
    ReleaseFilters();
    HResult result = CreateGraphObject(kClsidFilterGraph, kIidGraphBuilder, reinterpret_cast<void**>(&m_graph));
    if (Failed(result) || !m_graph) {
        platform::DebugPrintf("CAppDirectWriter: no filter graph, result 0x%08X\n", static_cast<unsigned>(result));
        m_graph = nullptr;
        return Failed(result) ? result : kFail;
    }
    return kOk;
}

HResult CAppDirectWriter::StartVideo(int32_t width, int32_t height, uint32_t timeScale, uint32_t timeRate) {
    HResult result = EnsureGraph();
    if (Failed(result)) return result;
    if (timeRate == 0) return kInvalidArg;
    CGenFilter* filter = new (std::nothrow) CGenFilter();
    if (!filter) return kOutOfMemory;
    const int64_t duration = static_cast<int64_t>(1000000000) * timeScale / timeRate;
    filter->SetFormat(width, height, static_cast<int32_t>(duration),
                      static_cast<float>(timeRate) / static_cast<float>(timeScale));
    if (m_videoFilter) m_videoFilter->Release();
    m_videoFilter = filter;
    return m_graph->AddFilter(filter, u"App-Direct Video");
}

HResult CAppDirectWriter::StartAudio(int32_t sampleRate, int32_t channels, int32_t bitsPerSample) {
    HResult result = EnsureGraph();
    if (Failed(result)) return result;
    CGAudFilter* filter = new (std::nothrow) CGAudFilter();
    if (!filter) return kOutOfMemory;
    filter->SetFormat(sampleRate, channels, bitsPerSample);
    if (m_audioFilter) m_audioFilter->Release();
    m_audioFilter = filter;
    return m_graph->AddFilter(filter, u"App-Direct Audio");
}

HResult CAppDirectWriter::BuildAndRun() {
    if (m_running) return kOk;
    if (!m_graph || (!m_videoFilter && !m_audioFilter)) return kFail;
    IPin* videoPin = m_videoFilter ? m_videoFilter->GetPin(0) : nullptr;
    IPin* audioPin = m_audioFilter ? m_audioFilter->GetPin(0) : nullptr;
    HResult result = BuildGraph(videoPin, audioPin);
    if (Failed(result)) return result;
    IMediaControl* control = nullptr;
    result = m_graph->QueryInterface(kIidMediaControl, reinterpret_cast<void**>(&control));
    if (Failed(result) || !control) return Failed(result) ? result : kFail;
    result = control->Run();
    if (Failed(result)) {
        platform::DebugPrintf("CAppDirectWriter: the graph does not run, result 0x%08X\n",
                              static_cast<unsigned>(result));
        // A graph whose start failed part way may leave the filters it did start paused, and such
        // filters refuse to be disconnected when the graph is released: stop every one.
        control->Stop();
        StopEveryFilter(m_graph);
        control->Release();
        return result;
    }
    control->Release();
    m_running = 1;
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
    if ((!videoPin && !audioPin) || !m_outputPath || !m_graph) return kFail;
    IBaseFilter* mux = nullptr;
    IBaseFilter* fileWriter = nullptr;
    const char* step = "the multiplexer";
    HResult result;
    if (m_container == kContainerQuickTime) {
        result = CreateAndAdd(m_graph, kClsidQtMux, u"QT Mux", &mux);
        if (Succeeded(result)) {
            step = "the movie's file name";
            result = SetSinkFile(mux, m_outputPath);
        }
    } else {
        result = CreateAndAdd(m_graph, kClsidAviDest, u"AVI Mux", &mux);
        if (Succeeded(result)) {
            AskForFullInterleaving(mux, m_interleaveHint);
            step = "the file writer";
            result = CreateAndAdd(m_graph, kClsidFileWriter, u"File Writer", &fileWriter);
        }
        if (Succeeded(result)) {
            step = "the file writer's file name";
            result = SetSinkFile(fileWriter, m_outputPath);
        }
    }
    // The multiplexer's output goes to the file writer first: a multiplexer may reconnect its inputs
    // when its output connects, and Wine's AVI multiplexer cannot take an input connection again.
    if (Succeeded(result) && fileWriter) {
        step = "the file writer's connection";
        IPin* muxOutput = NthPin(mux, PinDirection::Output, 0);
        result = muxOutput ? ConnectToInput(m_graph, muxOutput, fileWriter, 0) : kFail;
        if (muxOutput) muxOutput->Release();
    }
    // The system's multiplexer adds an input pin once one is connected, so the audio pin looks for
    // the second input only after the video pin has taken the first.
    if (Succeeded(result) && videoPin) {
        step = "the video connection";
        result = ConnectToInput(m_graph, videoPin, mux, 0);
    }
    if (Succeeded(result) && audioPin) {
        step = "the audio connection";
        result = ConnectToInput(m_graph, audioPin, mux, videoPin ? 1 : 0);
    }
    if (Failed(result)) {
        platform::DebugPrintf("CAppDirectWriter::BuildGraph: %s failed, result 0x%08X\n", step,
                              static_cast<unsigned>(result));
    }
    if (fileWriter) fileWriter->Release();
    if (mux) mux->Release();
    return result;
}

HResult CAppDirectWriter::Finish() {
    if (m_graph) {
        IBaseFilter* qtMux = nullptr;
        if (Succeeded(m_graph->FindFilterByName(u"QT Mux", &qtMux)) && qtMux) {
            IQtMuxTimecode* timecode = nullptr;
            if (Succeeded(qtMux->QueryInterface(kIidQtMuxTimecode, reinterpret_cast<void**>(&timecode))) &&
                timecode) {
                int hours = 0, minutes = 0, seconds = 0, frames = 0;
                std::sscanf(kStartTimecode, "%02d:%02d:%02d:%02d", &hours, &minutes, &seconds, &frames);
                const uint32_t packed = (static_cast<uint32_t>(hours) << 24) + (static_cast<uint32_t>(minutes) << 16) +
                                        (static_cast<uint32_t>(seconds) << 8) + static_cast<uint32_t>(frames);
                timecode->SetStartTimecode(packed, 0);
                timecode->SetTimecodeRate(static_cast<uint32_t>(kTimecodeRate * 1000.0));
                timecode->Release();
            }
            qtMux->Release();
        }
    }
    if (m_videoFilter) m_videoFilter->DeliverEndOfStream();
    if (m_audioFilter) m_audioFilter->DeliverEndOfStream();
    if (!m_graph) return kOk;
    HResult result = kOk;
    IMediaControl* control = nullptr;
    if (Succeeded(m_graph->QueryInterface(kIidMediaControl, reinterpret_cast<void**>(&control))) && control) {
        result = control->Stop();
        control->Release();
    }
    m_running = 0;
    m_graph->Release();
    m_graph = nullptr;
    return result;
}

}  // namespace krvx
