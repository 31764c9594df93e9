// The parsed, checked outline of one sample: header fields, metadata block and where each band lies.
#pragma once
#include <cstdint>

#include "codec/core/Bitstream.h"
#include <KRVXDecoder.h>

namespace krvx {
namespace codec {

struct SampleLayout {
    uint8_t frameType;
    uint8_t encodedFormat;
    uint8_t fieldValue;
    uint32_t width;
    uint32_t height;
    const uint8_t* metadata;
    uint32_t metadataBytes;
    const uint8_t* band[4][kBandsPerPlane];
    uint32_t bandBytes[4][kBandsPerPlane];
    uint32_t bandChecksum[4][kBandsPerPlane];
};

// Checks the header, the sizes, the metadata block and the band directory (not the band data).
KRVX_Error ParseSample(const void* sample, uint32_t sampleSize, SampleLayout& layout);

}  // namespace codec
}  // namespace krvx
