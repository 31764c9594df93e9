// The decoder library's pixel formats: four-character constants, first character most significant.
#pragma once
#include <cstdint>

namespace krvx {

constexpr uint32_t MakeKRVXFourCC(char a, char b, char c, char d) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(d));
}

enum KRVX_PixelFormat : uint32_t {
    KRVX_PIXEL_FORMAT_UNKNOWN = 0,
    KRVX_PIXEL_FORMAT_KRVX = MakeKRVXFourCC('K', 'R', 'V', 'X'),
    KRVX_PIXEL_FORMAT_BGRA = MakeKRVXFourCC('B', 'G', 'R', 'A'),
    KRVX_PIXEL_FORMAT_YUYV = MakeKRVXFourCC('y', 'u', 'y', 'v'),
    KRVX_PIXEL_FORMAT_WP13 = MakeKRVXFourCC('W', 'P', '1', '3'),
    KRVX_PIXEL_FORMAT_W13A = MakeKRVXFourCC('W', '1', '3', 'A'),
    KRVX_PIXEL_FORMAT_B64A = MakeKRVXFourCC('b', '6', '4', 'a'),
    KRVX_PIXEL_FORMAT_YU64 = MakeKRVXFourCC('Y', 'U', '6', '4'),
    KRVX_PIXEL_FORMAT_2VUY = MakeKRVXFourCC('2', 'v', 'u', 'y'),
    KRVX_PIXEL_FORMAT_YUY2 = MakeKRVXFourCC('Y', 'U', 'Y', '2'),
    KRVX_PIXEL_FORMAT_RG48 = MakeKRVXFourCC('R', 'G', '4', '8'),
    KRVX_PIXEL_FORMAT_V210 = MakeKRVXFourCC('v', '2', '1', '0'),
    KRVX_PIXEL_FORMAT_RG30 = MakeKRVXFourCC('R', 'G', '3', '0'),
    KRVX_PIXEL_FORMAT_AB10 = MakeKRVXFourCC('A', 'B', '1', '0'),
    KRVX_PIXEL_FORMAT_AR10 = MakeKRVXFourCC('A', 'R', '1', '0'),
    KRVX_PIXEL_FORMAT_R210 = MakeKRVXFourCC('r', '2', '1', '0'),
    KRVX_PIXEL_FORMAT_DPX0 = MakeKRVXFourCC('D', 'P', 'X', '0'),
    KRVX_PIXEL_FORMAT_NV12 = MakeKRVXFourCC('N', 'V', '1', '2'),
    KRVX_PIXEL_FORMAT_BYR2 = MakeKRVXFourCC('B', 'Y', 'R', '2'),
    KRVX_PIXEL_FORMAT_BYR4 = MakeKRVXFourCC('B', 'Y', 'R', '4'),
    KRVX_PIXEL_FORMAT_BYR5 = MakeKRVXFourCC('B', 'Y', 'R', '5'),
    KRVX_PIXEL_FORMAT_RG24 = MakeKRVXFourCC('R', 'G', '2', '4'),
    KRVX_PIXEL_FORMAT_B48R = MakeKRVXFourCC('b', '4', '8', 'r'),
    KRVX_PIXEL_FORMAT_RG64 = MakeKRVXFourCC('R', 'G', '6', '4'),
    KRVX_PIXEL_FORMAT_CT_UCHAR = 0x61767538,
    KRVX_PIXEL_FORMAT_CT_10BIT_2_8 = 0x61763238,
    KRVX_PIXEL_FORMAT_CT_SHORT_2_14 = MakeKRVXFourCC('a', '2', '1', '4'),
    KRVX_PIXEL_FORMAT_CT_USHORT_10_6 = MakeKRVXFourCC('a', '1', '0', '6'),
    KRVX_PIXEL_FORMAT_CT_SHORT = 0x61763136,
};

static_assert(KRVX_PIXEL_FORMAT_BGRA == 0x42475241, "decoder code for BGRA");
static_assert(KRVX_PIXEL_FORMAT_B64A == 0x62363461, "decoder code for b64a");

}  // namespace krvx
