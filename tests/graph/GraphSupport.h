// Building the trimmed-copy graph as the writer does, from the stand-in factory: sources, a multiplexer
// ("AVI Mux" with "File Writer", or "QT Mux"), connections by pin position; and the clip the tests push.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "TestFilters.h"
#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"

namespace krvx {
namespace graphtest {

using dshow::ComPointer;

std::u16string Wide(const std::string& text);
std::string Narrow(const dshow::OleChar* text);

// The index-th pin of the given direction, or null.
ComPointer<dshow::IPin> PinOf(dshow::IBaseFilter* filter, dshow::PinDirection direction, int index);
int PinCount(dshow::IBaseFilter* filter);
std::string PinName(dshow::IPin* pin);

// The references `object` holds besides the caller's, found by adding and dropping one.
uint32_t OtherReferences(dshow::IUnknown* object);

// Deterministic frames (sizes vary, some odd; every fourth a key frame) and audio blocks.
struct TestClip {
    int32_t width = 64;
    int32_t height = 48;
    dshow::ReferenceTime timePerFrame = 400000;  // 25 frames per second
    uint32_t audioRate = 48000;
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t samplesPerFrame = 1920;

    std::vector<uint8_t> Frame(uint32_t index) const;
    bool Key(uint32_t index) const { return index % 4 == 0; }
    std::vector<uint8_t> AudioBlock(uint32_t index) const;
    uint32_t AudioBlockBytes() const { return samplesPerFrame * channels * bits / 8; }
};

// A copy graph: sources, multiplexer and, for AVI, the file writer, built and connected through the
// stand-in factory the way the trimmed-copy writer builds it.
class CopyGraph {
public:
    // quickTime selects "QT Mux"; otherwise "AVI Mux" and "File Writer". Either source may be left out.
    CopyGraph(const TestClip& clip, const std::string& path, bool quickTime, bool video, bool audio,
              EventLog* log = nullptr);
    ~CopyGraph();

    dshow::HResult built = dshow::kFail;  // the result of building and connecting
    dshow::HResult Run();
    dshow::HResult Stop();
    // Pushes frame `index` and its audio block (when there are such sources).
    dshow::HResult PushFrame(uint32_t index);
    // End of stream on every source.
    void EndOfStream();

    const TestClip& clip;
    ComPointer<dshow::IGraphBuilder> graph;
    ComPointer<dshow::IBaseFilter> mux;
    ComPointer<dshow::IBaseFilter> fileWriter;
    ComPointer<TestSource> videoSource;  // the test's own references
    ComPointer<TestSource> audioSource;
};

}  // namespace graphtest
}  // namespace krvx
