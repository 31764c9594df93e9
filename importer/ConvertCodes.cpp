#include "importer/ConvertCodes.h"

#include <KRVXPixelFormat.h>

#include "host/CMemAlloc.h"
#include "host/PrPixelFormat.h"

namespace krvx {

HostLayout HostLayoutFor(uint32_t hostFormat) {
    switch (hostFormat) {
        case PrPixelFormat_BGRA_4444_8u:
            return HostLayout::Bgra8;
        case PrPixelFormat_ARGB_4444_8u:
            return HostLayout::Argb8;
        case PrPixelFormat_BGRA_4444_16u:
            return HostLayout::Bgra16;
        case PrPixelFormat_BGRA_4444_32f:
            return HostLayout::BgraFloat;
        case PrPixelFormat_ARGB_4444_32f:
            return HostLayout::ArgbFloat;
        case PrPixelFormat_VUYA_4444_8u:
            return HostLayout::Vuya8;
        case PrPixelFormat_VUYA_4444_32f:
            return HostLayout::VuyaFloat;
        case PrPixelFormat_YUYV_422_8u_709:
            return HostLayout::Yuyv8;
        default:
            return HostLayout::Unknown;
    }
}

DecodedLayout DecodedLayoutFor(uint32_t decoderFormat) {
    switch (decoderFormat) {
        case KRVX_PIXEL_FORMAT_BGRA:
            return DecodedLayout::Bgra8;
        case KRVX_PIXEL_FORMAT_YUYV:
            return DecodedLayout::Yuyv8;
        case KRVX_PIXEL_FORMAT_YU64:
            return DecodedLayout::Yu64;
        case KRVX_PIXEL_FORMAT_WP13:
            return DecodedLayout::Rgb13;
        case KRVX_PIXEL_FORMAT_W13A:
            return DecodedLayout::Rgba13;
        case KRVX_PIXEL_FORMAT_B64A:
            return DecodedLayout::Rgba16;
        default:
            return DecodedLayout::Unknown;
    }
}

void* CHostScratchAllocator::Alloc(uint32_t size) {
    return m_memory ? m_memory->Alloc(size) : nullptr;
}

void CHostScratchAllocator::Free(void* block) {
    if (m_memory && block) m_memory->Free(block);
}

}  // namespace krvx
