#include "GraphSupport.h"

#include "graph/StandInFactory.h"

namespace krvx {
namespace graphtest {

using namespace dshow;

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::string Narrow(const OleChar* text) {
    std::string narrow;
    for (; text && *text; ++text) narrow.push_back(static_cast<char>(*text));
    return narrow;
}

ComPointer<IPin> PinOf(IBaseFilter* filter, PinDirection direction, int index) {
    ComPointer<IEnumPins> pins;
    if (Failed(filter->EnumPins(pins.Receive()))) return ComPointer<IPin>();
    for (;;) {
        ComPointer<IPin> pin;
        uint32_t fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != kOk) return ComPointer<IPin>();
        PinDirection given = PinDirection::Input;
        pin->QueryDirection(&given);
        if (given == direction && index-- == 0) return pin;
    }
}

int PinCount(IBaseFilter* filter) {
    ComPointer<IEnumPins> pins;
    if (Failed(filter->EnumPins(pins.Receive()))) return -1;
    int count = 0;
    for (;;) {
        ComPointer<IPin> pin;
        uint32_t fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != kOk) return count;
        ++count;
    }
}

std::string PinName(IPin* pin) {
    PinInfo info{};
    if (Failed(pin->QueryPinInfo(&info))) return "";
    const ComPointer<IBaseFilter> owner(info.filter);
    return Narrow(info.name);
}

uint32_t OtherReferences(IUnknown* object) {
    object->AddRef();
    return object->Release() - 1;
}

std::vector<uint8_t> TestClip::Frame(uint32_t index) const {
    std::vector<uint8_t> frame(900 + (index * 7919) % 2500);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(index * 31 + i * 13 + (i >> 8));
    return frame;
}

std::vector<uint8_t> TestClip::AudioBlock(uint32_t index) const {
    std::vector<uint8_t> block(AudioBlockBytes());
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(index * 7 + i * 3 + (i >> 9));
    return block;
}

CopyGraph::CopyGraph(const TestClip& clipToWrite, const std::string& path, bool quickTime, bool video,
                     bool audio, EventLog* log)
    : clip(clipToWrite) {
    using graph::CreateStandInObject;
    if (Failed(CreateStandInObject(kClsidFilterGraph, kIidGraphBuilder, graph.ReceiveVoid()))) return;
    const int32_t imageBytes = clip.width * clip.height * 4;
    if (video) {
        videoSource = ComPointer<TestSource>(
            TestSource::Video(clip.width, clip.height, clip.timePerFrame, imageBytes, "video", log));
        graph->AddFilter(videoSource.Get(), u"App-Direct Video");
    }
    if (audio) {
        audioSource =
            ComPointer<TestSource>(TestSource::Audio(clip.audioRate, clip.channels, clip.bits, "audio", log));
        graph->AddFilter(audioSource.Get(), u"App-Direct Audio");
    }
    const std::u16string file = Wide(path);
    ComPointer<IFileSinkFilter2> sink;
    if (quickTime) {
        if (Failed(built = CreateStandInObject(kClsidQtMux, kIidBaseFilter, mux.ReceiveVoid()))) return;
        graph->AddFilter(mux.Get(), u"QT Mux");
        built = mux->QueryInterface(kIidFileSinkFilter2, sink.ReceiveVoid());
    } else {
        if (Failed(built = CreateStandInObject(kClsidAviDest, kIidBaseFilter, mux.ReceiveVoid()))) return;
        graph->AddFilter(mux.Get(), u"AVI Mux");
        if (Failed(built = CreateStandInObject(kClsidFileWriter, kIidBaseFilter, fileWriter.ReceiveVoid())))
            return;
        graph->AddFilter(fileWriter.Get(), u"File Writer");
        built = fileWriter->QueryInterface(kIidFileSinkFilter2, sink.ReceiveVoid());
    }
    if (Failed(built) || Failed(built = sink->SetFileName(file.c_str(), nullptr)) ||
        Failed(built = sink->SetMode(kFileOverwrite))) {
        return;
    }
    int input = 0;
    if (videoSource) {
        ComPointer<IPin> in = PinOf(mux.Get(), PinDirection::Input, input++);
        if (Failed(built = in ? graph->Connect(videoSource->Output(), in.Get()) : kFail)) return;
    }
    if (audioSource) {
        ComPointer<IPin> in = PinOf(mux.Get(), PinDirection::Input, input++);
        if (Failed(built = in ? graph->Connect(audioSource->Output(), in.Get()) : kFail)) return;
    }
    if (fileWriter) {
        ComPointer<IPin> out = PinOf(mux.Get(), PinDirection::Output, 0);
        ComPointer<IPin> in = PinOf(fileWriter.Get(), PinDirection::Input, 0);
        built = out && in ? graph->Connect(out.Get(), in.Get()) : kFail;
    }
}

CopyGraph::~CopyGraph() {
    // The graph goes before the sources it holds, so the test's references are the last.
    mux.Reset();
    fileWriter.Reset();
    graph.Reset();
    videoSource.Reset();
    audioSource.Reset();
}

HResult CopyGraph::Run() {
    ComPointer<IMediaControl> control;
    HResult result = graph->QueryInterface(kIidMediaControl, control.ReceiveVoid());
    return Succeeded(result) ? control->Run() : result;
}

HResult CopyGraph::Stop() {
    ComPointer<IMediaControl> control;
    HResult result = graph->QueryInterface(kIidMediaControl, control.ReceiveVoid());
    return Succeeded(result) ? control->Stop() : result;
}

HResult CopyGraph::PushFrame(uint32_t index) {
    HResult result = kOk;
    if (videoSource) {
        std::vector<uint8_t> frame = clip.Frame(index);
        result = videoSource->Push(frame.data(), static_cast<uint32_t>(frame.size()), clip.Key(index));
        if (Failed(result)) return result;
    }
    if (audioSource) {
        std::vector<uint8_t> block = clip.AudioBlock(index);
        result = audioSource->Push(block.data(), static_cast<uint32_t>(block.size()), true);
    }
    return result;
}

void CopyGraph::EndOfStream() {
    if (videoSource) videoSource->EndOfStream();
    if (audioSource) audioSource->EndOfStream();
}

}  // namespace graphtest
}  // namespace krvx
