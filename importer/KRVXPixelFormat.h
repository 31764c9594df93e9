// The decoder library's pixel formats: four-character constants, first character most significant.
#pragma once
#include <cstdint>

namespace krvx {

constexpr uint32_t MakeKrvxFourCC(char a, char b, char c, char d) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(d));
}

enum KRVX_PixelFormat : uint32_t {
    KRVX_PIXEL_FORMAT_UNKNOWN = 0,
    KRVX_PIXEL_FORMAT_KRVX = MakeKrvxFourCC('K', 'R', 'V', 'X'),
    KRVX_PIXEL_FORMAT_BGRA = MakeKrvxFourCC('B', 'G', 'R', 'A'),
    KRVX_PIXEL_FORMAT_YUYV = MakeKrvxFourCC('y', 'u', 'y', 'v'),
    KRVX_PIXEL_FORMAT_WP13 = MakeKrvxFourCC('W', 'P', '1', '3'),
    KRVX_PIXEL_FORMAT_W13A = MakeKrvxFourCC('W', '1', '3', 'A'),
    KRVX_PIXEL_FORMAT_B64A = MakeKrvxFourCC('b', '6', '4', 'a'),
    KRVX_PIXEL_FORMAT_YU64 = MakeKrvxFourCC('Y', 'U', '6', '4'),
    KRVX_PIXEL_FORMAT_2VUY = MakeKrvxFourCC('2', 'v', 'u', 'y'),
    KRVX_PIXEL_FORMAT_YUY2 = MakeKrvxFourCC('Y', 'U', 'Y', '2'),
    KRVX_PIXEL_FORMAT_RG48 = MakeKrvxFourCC('R', 'G', '4', '8'),
    KRVX_PIXEL_FORMAT_V210 = MakeKrvxFourCC('v', '2', '1', '0'),
    KRVX_PIXEL_FORMAT_RG30 = MakeKrvxFourCC('R', 'G', '3', '0'),
};

static_assert(KRVX_PIXEL_FORMAT_BGRA == 0x42475241, "decoder code for BGRA");
static_assert(KRVX_PIXEL_FORMAT_B64A == 0x62363461, "decoder code for b64a");

}  // namespace krvx
