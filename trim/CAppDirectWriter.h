// Owns the filter graph a trimmed copy is written through: the two source filters, "AVI Mux" with
// "File Writer" or "QT Mux", and the output path. Lives on the calling thread for one copy.
#pragma once
#include <cstdint>
#include <string>

#include "dshow/ComPointer.h"
#include "dshow/ComTypes.h"

namespace krvx {

namespace dshow {
class IGraphBuilder;
class IPin;
}  // namespace dshow

class CGenFilter;
class CGAudFilter;

class CAppDirectWriter {
public:
    // Joins a COM apartment on the calling thread for the writer's life.
    CAppDirectWriter();
    // Finishes, releases the filters and the graph, and leaves the apartment.
    ~CAppDirectWriter();
    CAppDirectWriter(const CAppDirectWriter&) = delete;
    CAppDirectWriter& operator=(const CAppDirectWriter&) = delete;

    // Settles the output path and container from the multibyte destination and keeps the interleave
    // hint (above 0 asks the AVI multiplexer for full interleaving).
    dshow::HResult Init(const char* path, int32_t interleaveHint);
    // Adds "App-Direct Video" to the graph (made on the first start); frames last
    // 1,000,000,000 * timeScale / timeRate time units.
    dshow::HResult StartVideo(int32_t width, int32_t height, uint32_t timeScale, uint32_t timeRate);
    // Adds "App-Direct Audio"; E_INVALIDARG for a format the audio pin cannot describe (see
    // CGAudFilter::FormatFits), before anything is added.
    dshow::HResult StartAudio(int32_t sampleRate, int32_t channels, int32_t bitsPerSample);
    // The first write builds the graph and runs it.
    dshow::HResult WriteVideo(const uint8_t* data, uint32_t size, bool keyFrame);
    dshow::HResult WriteAudio(uint32_t byteCount, const uint8_t* data);
    // Adds the multiplexer (and for AVI the file writer) and connects the given source pins to it.
    dshow::HResult BuildGraph(dshow::IPin* videoPin, dshow::IPin* audioPin);
    // Sets the QuickTime timecode, ends both streams, stops and releases the graph.
    dshow::HResult Finish();

    dshow::IGraphBuilder* Graph() const { return m_graph.Get(); }
    // Null until Init has settled a path.
    const char16_t* OutputPath() const { return m_outputPath.empty() ? nullptr : m_outputPath.c_str(); }
    int32_t InterleaveHint() const { return m_interleaveHint; }
    int32_t Container() const { return m_container; }
    bool Running() const { return m_running; }

private:
    // The COM apartment of the calling thread, joined first and left last: every reference below is
    // released before it.
    class Apartment {
    public:
        Apartment();
        ~Apartment();
        Apartment(const Apartment&) = delete;
        Apartment& operator=(const Apartment&) = delete;

    private:
        int32_t m_result;
    };

    dshow::HResult EnsureGraph();
    dshow::HResult BuildAndRun();
    void ReleaseFilters();

    Apartment m_apartment;
    dshow::ComPointer<CGenFilter> m_videoFilter;
    dshow::ComPointer<CGAudFilter> m_audioFilter;
    dshow::ComPointer<dshow::IGraphBuilder> m_graph;
    bool m_running = false;
    std::u16string m_outputPath;
    int32_t m_interleaveHint = 1000;
    int32_t m_container = 1;
};

}  // namespace krvx
