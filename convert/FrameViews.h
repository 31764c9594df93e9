// Plain views of the two frames a conversion joins: the decoded frame it reads and the host frame it
// writes. Pitches are in bytes and may be negative (a pointer to the last row in memory then walks
// the rows backwards).
#pragma once
#include <cstdint>

#include "convert/PixelLayouts.h"

namespace krvx {

struct DecodedFrameView {
    const uint8_t* data = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    DecodedLayout format = DecodedLayout::Unknown;
    bool bottomUp = false;  // row 0 (at data) is the bottom of the picture
};

struct HostFrameView {
    uint8_t* data = nullptr;
    int32_t rowBytes = 0;
    int32_t width = 0;
    int32_t height = 0;
    HostLayout format = HostLayout::Unknown;
};

// The decoder's row order: BGRA bottom-up, every other format top-down.
inline bool DecoderRowsBottomUp(DecodedLayout decodedFormat) {
    return decodedFormat == DecodedLayout::Bgra8;
}

// The host frame's row order (row 0 at its data): bottom-up for the unpacked formats, top-down for
// packed 4:2:2.
inline bool HostRowsBottomUp(HostLayout format) {
    return format != HostLayout::Yuyv8;
}

// A decoded frame as the decoder wrote it, row i at data + i x pitch: its rows come in the decoder's
// order for the format whatever the sign of the pitch (a negative pitch only reverses the memory order).
inline DecodedFrameView MakeDecodedView(const uint8_t* data, int32_t pitch, int32_t width, int32_t height,
                                        DecodedLayout format) {
    return DecodedFrameView{data, pitch, width, height, format, DecoderRowsBottomUp(format)};
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
