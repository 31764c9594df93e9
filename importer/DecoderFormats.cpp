#include "importer/DecoderFormats.h"

#include "host/HostResults.h"
#include "host/PrPixelFormat.h"
#include <KRVXPixelFormat.h>

namespace krvx {

int32_t DecoderFormatForHostFormat(uint32_t hostFormat, uint32_t encodedFormat, uint32_t* decoderFormat,
                                   uint32_t* bytesPerPixel) {
    uint32_t format;
    switch (hostFormat) {
        case PrPixelFormat_BGRA_4444_8u:
        case PrPixelFormat_ARGB_4444_8u:
            format = KRVX_PIXEL_FORMAT_BGRA;
            break;
        case PrPixelFormat_YUYV_422_8u_709:
        case PrPixelFormat_VUYA_4444_8u:
            format = KRVX_PIXEL_FORMAT_YUYV;
            break;
        case PrPixelFormat_VUYA_4444_32f:
        case PrPixelFormat_BGRA_4444_32f:
        case PrPixelFormat_ARGB_4444_32f:
            format = encodedFormat == kEncodedFormatWithAlpha ? KRVX_PIXEL_FORMAT_W13A : KRVX_PIXEL_FORMAT_WP13;
            break;
        case PrPixelFormat_BGRA_4444_16u:
            format = KRVX_PIXEL_FORMAT_B64A;
            break;
        default:
            return kImUnsupported;
    }
    if (decoderFormat) *decoderFormat = format;
    if (bytesPerPixel) *bytesPerPixel = BytesPerPixel(format);
    return kImNoErr;
}

uint32_t BytesPerPixel(uint32_t format) {
    switch (format) {
        case KRVX_PIXEL_FORMAT_YUY2:
        case KRVX_PIXEL_FORMAT_2VUY:
        case KRVX_PIXEL_FORMAT_YUYV:
        case KRVX_PIXEL_FORMAT_BYR2:
        case KRVX_PIXEL_FORMAT_BYR4:
        case KRVX_PIXEL_FORMAT_CT_10BIT_2_8:
            return 2;
        case KRVX_PIXEL_FORMAT_RG24:
            return 3;
        case KRVX_PIXEL_FORMAT_BGRA:
        case KRVX_PIXEL_FORMAT_R210:
        case KRVX_PIXEL_FORMAT_DPX0:
        case KRVX_PIXEL_FORMAT_RG30:
        case KRVX_PIXEL_FORMAT_AB10:
        case KRVX_PIXEL_FORMAT_AR10:
        case KRVX_PIXEL_FORMAT_YU64:
        case 0x42475261:
        case 0x52343038:
        case 0x56343038:
        case KRVX_PIXEL_FORMAT_CT_SHORT_2_14:
        case KRVX_PIXEL_FORMAT_CT_USHORT_10_6:
        case KRVX_PIXEL_FORMAT_CT_SHORT:
            return 4;
        case KRVX_PIXEL_FORMAT_RG48:
        case KRVX_PIXEL_FORMAT_WP13:
            return 6;
        case KRVX_PIXEL_FORMAT_B64A:
        case KRVX_PIXEL_FORMAT_W13A:
            return 8;
        case PrPixelFormat_VUYA_4444_32f:
            return 16;
        default:
            return 0;
    }
}

}  // namespace krvx
