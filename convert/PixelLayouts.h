// The pixel layouts the conversions read and write, named by their channel order in memory and their
// sample type. Callers map their own format codes onto these at the call.
#pragma once
#include <cstdint>

namespace krvx {

// Decoded frames: what the decoder writes.
enum class DecodedLayout : uint32_t {
    Unknown = 0,
    Bgra8,   // B, G, R, A bytes
    Yuyv8,   // 4:2:2 bytes Y0, U, Y1, V
    Yu64,    // 4:2:2 16-bit Y0, V, Y1, U
    Rgb13,   // signed 16-bit R, G, B, 8191 for 1.0
    Rgba13,  // signed 16-bit R, G, B, A, 8191 for 1.0
    Rgba16,  // 16-bit A, R, G, B, 0 to 65535
};

// Host frames: what the conversions deliver.
enum class HostLayout : uint32_t {
    Unknown = 0,
    Bgra8,
    Argb8,
    Bgra16,  // 0 for black, 32768 for white
    BgraFloat,
    ArgbFloat,
    Vuya8,
    VuyaFloat,
    Yuyv8,  // packed 4:2:2, Y0, U, Y1, V
};

// Bytes one row of `width` pixels takes in a host layout (packed 4:2:2 in whole pairs); 0 for Unknown.
constexpr int64_t HostRowBytes(HostLayout layout, int64_t width) {
    switch (layout) {
        case HostLayout::Bgra8:
        case HostLayout::Argb8:
        case HostLayout::Vuya8:
            return width * 4;
        case HostLayout::Bgra16:
            return width * 8;
        case HostLayout::BgraFloat:
        case HostLayout::ArgbFloat:
        case HostLayout::VuyaFloat:
            return width * 16;
        case HostLayout::Yuyv8:
            return (width + 1) / 2 * 4;
        default:
            return 0;
    }
}

}  // namespace krvx
