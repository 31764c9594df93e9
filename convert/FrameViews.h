// Plain views of the two frames a conversion joins: the decoded frame it reads and the host frame it
// writes. Pitches are in bytes and may be negative (a pointer to the last row in memory then walks
// the rows backwards).
#pragma once
#include <cstdint>

#include "entry/PrPixelFormat.h"
#include "importer/KRVXPixelFormat.h"

namespace krvx {

struct DecodedFrameView {
    const uint8_t* data = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t format = KRVX_PIXEL_FORMAT_UNKNOWN;
    bool bottomUp = false;  // the first row in memory is the bottom of the picture
};

struct HostFrameView {
    uint8_t* data = nullptr;
    int32_t rowBytes = 0;
    int32_t width = 0;
    int32_t height = 0;
    PrPixelFormat format = 0;
};

// The decoder's row order: BGRA bottom-up, every other format top-down.
inline bool DecoderRowsBottomUp(uint32_t decodedFormat) {
    return decodedFormat == KRVX_PIXEL_FORMAT_BGRA;
}

// The host's row order: bottom-up for the unpacked formats, top-down for packed 4:2:2.
inline bool HostRowsBottomUp(PrPixelFormat format) {
    return format != PrPixelFormat_YUYV_422_8u_709;
}

// The same pixels with the rows walked in the other order.
inline DecodedFrameView ReversedView(const DecodedFrameView& view) {
    DecodedFrameView reversed = view;
    if (view.height > 0) reversed.data = view.data + static_cast<intptr_t>(view.height - 1) * view.pitch;
    reversed.pitch = -view.pitch;
    reversed.bottomUp = !view.bottomUp;
    return reversed;
}

}  // namespace krvx
