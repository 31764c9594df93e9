// The host's pixel-format codes: four characters in memory order, lowest byte first.
#pragma once
#include <cstdint>

namespace krvx {

using PrPixelFormat = uint32_t;

constexpr PrPixelFormat MakePrPixelFormat(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr PrPixelFormat PrPixelFormat_BGRA_4444_8u = MakePrPixelFormat('b', 'g', 'r', 'a');
constexpr PrPixelFormat PrPixelFormat_ARGB_4444_8u = MakePrPixelFormat('a', 'r', 'g', 'b');
constexpr PrPixelFormat PrPixelFormat_BGRA_4444_16u = MakePrPixelFormat('B', 'g', 'r', 'a');
constexpr PrPixelFormat PrPixelFormat_BGRA_4444_32f = MakePrPixelFormat('B', 'G', 'r', 'a');
constexpr PrPixelFormat PrPixelFormat_ARGB_4444_32f = MakePrPixelFormat('A', 'R', 'g', 'b');
constexpr PrPixelFormat PrPixelFormat_VUYA_4444_8u = MakePrPixelFormat('v', 'u', 'y', 'a');
constexpr PrPixelFormat PrPixelFormat_VUYA_4444_32f = MakePrPixelFormat('V', 'U', 'y', 'a');
constexpr PrPixelFormat PrPixelFormat_YUYV_422_8u_709 = MakePrPixelFormat('y', 'u', 'y', '3');

static_assert(PrPixelFormat_BGRA_4444_8u == 0x61726762, "host code for bgra");
static_assert(PrPixelFormat_YUYV_422_8u_709 == 0x33797579, "host code for yuy3");

}  // namespace krvx
