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
    KRVX_PIXEL_FORMAT_AB10 = MakeKrvxFourCC('A', 'B', '1', '0'),
    KRVX_PIXEL_FORMAT_AR10 = MakeKrvxFourCC('A', 'R', '1', '0'),
    KRVX_PIXEL_FORMAT_R210 = MakeKrvxFourCC('r', '2', '1', '0'),
    KRVX_PIXEL_FORMAT_DPX0 = MakeKrvxFourCC('D', 'P', 'X', '0'),
    KRVX_PIXEL_FORMAT_NV12 = MakeKrvxFourCC('N', 'V', '1', '2'),
    KRVX_PIXEL_FORMAT_BYR2 = MakeKrvxFourCC('B', 'Y', 'R', '2'),
    KRVX_PIXEL_FORMAT_BYR4 = MakeKrvxFourCC('B', 'Y', 'R', '4'),
    KRVX_PIXEL_FORMAT_BYR5 = MakeKrvxFourCC('B', 'Y', 'R', '5'),
    KRVX_PIXEL_FORMAT_RG24 = MakeKrvxFourCC('R', 'G', '2', '4'),
    KRVX_PIXEL_FORMAT_B48R = MakeKrvxFourCC('b', '4', '8', 'r'),
    KRVX_PIXEL_FORMAT_RG64 = MakeKrvxFourCC('R', 'G', '6', '4'),
    KRVX_PIXEL_FORMAT_CT_UCHAR = 0x61767538,
    KRVX_PIXEL_FORMAT_CT_10BIT_2_8 = 0x61763238,
    KRVX_PIXEL_FORMAT_CT_SHORT_2_14 = MakeKrvxFourCC('a', '2', '1', '4'),
    KRVX_PIXEL_FORMAT_CT_USHORT_10_6 = MakeKrvxFourCC('a', '1', '0', '6'),
    KRVX_PIXEL_FORMAT_CT_SHORT = 0x61763136,
};

static_assert(KRVX_PIXEL_FORMAT_BGRA == 0x42475241, "decoder code for BGRA");
static_assert(KRVX_PIXEL_FORMAT_B64A == 0x62363461, "decoder code for b64a");

}  // namespace krvx
