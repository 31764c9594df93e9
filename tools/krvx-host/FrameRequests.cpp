#include "tools/krvx-host/FrameRequests.h"

#include "host/HostTime.h"
#include "host/Selectors.h"

namespace krvx {
namespace sim {

int64_t FrameTime(const FileInfoRecord& info, int32_t frame) {
    if (info.timeBase <= 0) return 0;
    // Ticks per frame in host units: whole for every rate the plug-in reports.
    return static_cast<int64_t>(frame) * (kHostTicksPerSecond / info.timeBase * info.ticksPerFrame);
}

uint32_t PixelFormatFromText(const std::string& text) {
    if (text.size() != 4) return 0;
    uint32_t code = 0;
    for (int i = 3; i >= 0; --i) code = (code << 8) | static_cast<uint8_t>(text[static_cast<size_t>(i)]);
    return code;
}

bool ParseFrameSize(const std::string& text, int32_t* width, int32_t* height) {
    const size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    long long sides[2] = {0, 0};
    const std::string parts[2] = {text.substr(0, x), text.substr(x + 1)};
    for (int i = 0; i < 2; ++i) {
        for (char c : parts[i]) {
            if (c < '0' || c > '9') return false;
            sides[i] = sides[i] * 10 + (c - '0');
            if (sides[i] > 32768) return false;
        }
        if (sides[i] < 1) return false;
    }
    *width = static_cast<int32_t>(sides[0]);
    *height = static_cast<int32_t>(sides[1]);
    return true;
}

int32_t SourceFrame::Request(const OpenClip& clip, int32_t frame, uint32_t pixelFormat, int32_t width,
                             int32_t height) {
    Release();
    m_format = FrameFormatEntry{width, height, pixelFormat};
    SourceVideoRecord record{};
    record.privateData = clip.Handle();
    record.frameTime = FrameTime(clip.Info(), frame);
    record.formats = &m_format;
    record.formatCount = 1;
    record.outFrame = &m_frame;
    return m_session.Call(imGetSourceVideo, nullptr, &record);
}

bool SourceFrame::ToRgba(RgbaImage* image) const {
    HostSim::FrameView view;
    return View(&view) && HostFrameToRgba(view, image);
}

void SourceFrame::Release() {
    if (m_frame) m_session.Host().DisposeFrame(m_frame);
    m_frame = nullptr;
}

}  // namespace sim
}  // namespace krvx
