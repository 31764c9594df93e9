// Frames asked for as the host asks: imGetSourceVideo with a frame time and one acceptable format.
#pragma once
#include <cstdint>
#include <string>

#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/FrameImage.h"

namespace krvx {
namespace sim {

// The host time of frame n of a clip described by `info` (its time base and ticks per frame).
int64_t FrameTime(const FileInfoRecord& info, int32_t frame);

// A host pixel format from its four characters ("bgra", "yuy3", "VUya"); 0 when the text is not four
// characters long.
uint32_t PixelFormatFromText(const std::string& text);

// "WxH" with both sides from 1 to 32768; false for anything else.
bool ParseFrameSize(const std::string& text, int32_t* width, int32_t* height);

// One frame request. The host frame the plug-in returned is given back when the request goes.
class SourceFrame {
public:
    explicit SourceFrame(Session& session) : m_session(session) {}
    ~SourceFrame() { Release(); }
    SourceFrame(const SourceFrame&) = delete;
    SourceFrame& operator=(const SourceFrame&) = delete;

    // imGetSourceVideo for frame n in `pixelFormat` at width x height (0 x 0: the plug-in chooses and
    // writes the size back). The plug-in's result.
    int32_t Request(const OpenClip& clip, int32_t frame, uint32_t pixelFormat, int32_t width, int32_t height);

    // The size the request ended with (the plug-in may have chosen it).
    int32_t Width() const { return m_format.width; }
    int32_t Height() const { return m_format.height; }
    PPixHand Frame() const { return m_frame; }
    bool View(HostSim::FrameView* view) const { return m_session.Host().Frame(m_frame, view); }
    bool ToRgba(RgbaImage* image) const;
    void Release();

private:
    Session& m_session;
    FrameFormatEntry m_format{};
    PPixHand m_frame = nullptr;
};

}  // namespace sim
}  // namespace krvx
