// The metadata functions: a reader copies one track's items out of a sample and hands them out in order.
#include <cstdlib>
#include <cstring>
#include <new>

#include "codec/core/Bitstream.h"
#include "codec/decoder/SampleDecoderImpl.h"
#include "codec/decoder/SampleLayout.h"
#include <KRVXDecoder.h>

using krvx::codec::kMetadataItemHeader;
using krvx::codec::ReadU32;

struct KRVX_MetadataReader {
    uint8_t* items;  // copy of the sample's metadata block
    uint32_t bytes;
    uint32_t track;
    uint32_t position;
};

namespace {

// Walks the block once so that ReadMetadata can trust every item's size.
bool ItemsAreWellFormed(const uint8_t* block, uint32_t bytes) {
    uint32_t pos = 0;
    while (pos < bytes) {
        if (bytes - pos < kMetadataItemHeader) return false;
        const uint32_t size = ReadU32(block + pos + 8);
        const uint64_t padded = (uint64_t(size) + 3) & ~uint64_t(3);
        if (padded > bytes - pos - kMetadataItemHeader) return false;
        pos += kMetadataItemHeader + static_cast<uint32_t>(padded);
    }
    return true;
}

uint32_t Tag(const char* text) {
    return ReadU32(reinterpret_cast<const uint8_t*>(text));
}

}  // namespace

extern "C" {

KRVX_API KRVX_Error KRVX_OpenMetadata(KRVX_MetadataHandle* handle) {
    if (handle == nullptr) return KRVX_ERROR_INVALID_ARGUMENT;
    auto* reader = static_cast<KRVX_MetadataReader*>(std::calloc(1, sizeof(KRVX_MetadataReader)));
    if (reader == nullptr) return KRVX_ERROR_OUT_OF_MEMORY;
    *handle = reader;
    return KRVX_ERROR_OKAY;
}

KRVX_API KRVX_Error KRVX_InitSampleMetadata(KRVX_MetadataHandle handle, uint32_t track, const void* sample,
                                            uint32_t sampleSize) {
    if (handle == nullptr) return KRVX_ERROR_INVALID_ARGUMENT;
    std::free(handle->items);
    handle->items = nullptr;
    handle->bytes = 0;
    handle->position = 0;
    handle->track = track;
    krvx::codec::SampleLayout layout;
    const KRVX_Error error = krvx::codec::ParseSample(sample, sampleSize, layout);
    if (error != KRVX_ERROR_OKAY) return error;
    if (!ItemsAreWellFormed(layout.metadata, layout.metadataBytes)) return KRVX_ERROR_BAD_SAMPLE;
    if (layout.metadataBytes > 0) {
        handle->items = static_cast<uint8_t*>(std::malloc(layout.metadataBytes));
        if (handle->items == nullptr) return KRVX_ERROR_OUT_OF_MEMORY;
        std::memcpy(handle->items, layout.metadata, layout.metadataBytes);
        handle->bytes = layout.metadataBytes;
    }
    return KRVX_ERROR_OKAY;
}

KRVX_API KRVX_Error KRVX_ReadMetadata(KRVX_MetadataHandle handle, uint32_t* tag, uint32_t* type,
                                      uint32_t* size, const void** data) {
    if (handle == nullptr || tag == nullptr || type == nullptr || size == nullptr || data == nullptr) {
        return KRVX_ERROR_INVALID_ARGUMENT;
    }
    while (handle->position < handle->bytes) {
        const uint8_t* item = handle->items + handle->position;
        const uint32_t itemSize = ReadU32(item + 8);
        handle->position += kMetadataItemHeader + ((itemSize + 3) & ~3u);
        if (item[4] != handle->track) continue;
        *tag = ReadU32(item);
        *type = item[5];
        *size = itemSize;
        *data = item + kMetadataItemHeader;
        return KRVX_ERROR_OKAY;
    }
    return KRVX_ERROR_NO_MORE_ITEMS;
}

KRVX_API void KRVX_CloseMetadata(KRVX_MetadataHandle handle) {
    if (handle == nullptr) return;
    std::free(handle->items);
    std::free(handle);
}

KRVX_API KRVX_Error KRVX_SetActiveMetadata(krvx::SampleDecoder* decoder, KRVX_MetadataHandle /*handle*/,
                                           uint32_t tag, uint32_t type, const void* value, uint32_t size) {
    if (decoder == nullptr || value == nullptr || size != 4) return KRVX_ERROR_INVALID_ARGUMENT;
    if (type != KRVX_METADATA_INT32 && type != KRVX_METADATA_UINT32) return KRVX_ERROR_INVALID_ARGUMENT;
    int32_t v;
    std::memcpy(&v, value, 4);
    auto* impl = static_cast<krvx::codec::SampleDecoderImpl*>(decoder);
    if (tag == Tag("CACT")) return impl->SetColourActive(v);
    if (tag == Tag("CMIX")) return impl->SetColourMix(v);
    if (tag == Tag("CMVL")) return impl->SetColourLevel(v);
    return KRVX_ERROR_UNKNOWN_TAG;
}

}  // extern "C"
