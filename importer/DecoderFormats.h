// Which decoder format each host format is decoded in, and the bytes per pixel of decoded formats.
#pragma once
#include <cstdint>

namespace krvx {

// The encoded format code of clips whose coded frames carry alpha.
constexpr uint32_t kEncodedFormatWithAlpha = 2;

// Decoder format and decoded bytes per pixel for a host format: kImNoErr, or kImUnsupported for a host
// format the plug-in never offers.
int32_t DecoderFormatForHostFormat(uint32_t hostFormat, uint32_t encodedFormat, uint32_t* decoderFormat,
                                   uint32_t* bytesPerPixel);

// Bytes per pixel of a decoded format, 0 for a packed or unknown one.
uint32_t BytesPerPixel(uint32_t format);

}  // namespace krvx
