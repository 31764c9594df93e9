// A host frame turned back into an upright picture of 8-bit R, G, B, A, top row first: for looking at
// (PNG files) and for comparing with the picture a clip was made from.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/krvx-host/HostSim.h"

namespace krvx {
namespace sim {

struct RgbaImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4, rows top-down

    const uint8_t* Pixel(int32_t x, int32_t y) const {
        return rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
    }
};

// False for a pixel format the host harness does not know. The unpacked formats are read bottom-up,
// packed 4:2:2 top-down; YUV is turned into RGB as the host reads it: BT.601 for the VUYA formats and
// BT.709 for "yuy3" (which carries BT.601 for a standard-definition clip, passed through unchanged).
bool HostFrameToRgba(const HostSim::FrameView& frame, RgbaImage* image);

}  // namespace sim
}  // namespace krvx
