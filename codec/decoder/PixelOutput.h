// Conversion of decoded planes into the output pixel formats (exact integer arithmetic, see FORMAT.md).
#pragma once
#include <cstdint>

#include "codec/core/ColourMath.h"

namespace krvx {
namespace codec {

// Reconstructed planes at the decode resolution: Y, Cb, Cr (10-bit) or R, G, B[, A] (12-bit).
struct DecodedPlanes {
    const int16_t* plane[4];
    uint32_t stride[4];  // in values
    uint32_t encodedFormat;
    // For every conversion between YUV and RGB: the coded picture's, whatever the decode resolution.
    const ColourMatrix* matrix;
};

// Bytes of one output row, 0 when the format is not offered.
uint32_t OutputRowBytes(uint32_t pixelFormat, uint32_t width);

// Writes width x height pixels; BGRA rows run bottom-up, the others top-down, each row at out + i * pitch.
void WritePixels(const DecodedPlanes& planes, uint32_t width, uint32_t height, uint32_t pixelFormat,
                 uint8_t* out, int32_t pitch);

}  // namespace codec
}  // namespace krvx
