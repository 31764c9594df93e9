#include "codec/decoder/SampleLayout.h"

namespace krvx {
namespace codec {

KRVX_Error ParseSample(const void* sample, uint32_t sampleSize, SampleLayout& layout) {
    if (sample == nullptr) return KRVX_ERROR_INVALID_ARGUMENT;
    if (sampleSize < kHeaderBytes) return KRVX_ERROR_BAD_SAMPLE;
    const uint8_t* p = static_cast<const uint8_t*>(sample);
    if (p[0] != 'K' || p[1] != 'R' || p[2] != 'V' || p[3] != 'X' || p[4] != kVersion)
        return KRVX_ERROR_BAD_SAMPLE;
    if (Checksum(p, 28) != ReadU32(p + 28)) return KRVX_ERROR_BAD_SAMPLE;
    layout.frameType = p[5];
    layout.encodedFormat = p[6];
    layout.fieldValue = p[7];
    layout.width = ReadU16(p + 8);
    layout.height = ReadU16(p + 10);
    if (layout.frameType > kDependentFrame || layout.encodedFormat > 2 || layout.fieldValue > 3) {
        return KRVX_ERROR_BAD_SAMPLE;
    }
    if (layout.width == 0 || layout.height == 0 || layout.width > kMaxDimension ||
        layout.height > kMaxDimension) {
        return KRVX_ERROR_BAD_SAMPLE;
    }
    const uint32_t metadataBytes = ReadU32(p + 12);
    const uint32_t pictureBytes = ReadU32(p + 16);
    if (metadataBytes % 4 != 0 || ReadU32(p + 24) != 0) return KRVX_ERROR_BAD_SAMPLE;
    if (uint64_t(kHeaderBytes) + metadataBytes + pictureBytes != sampleSize) return KRVX_ERROR_BAD_SAMPLE;
    layout.metadata = p + kHeaderBytes;
    layout.metadataBytes = metadataBytes;
    if (Checksum(layout.metadata, metadataBytes) != ReadU32(p + 20)) return KRVX_ERROR_BAD_SAMPLE;

    const int planes = PlaneCount(layout.encodedFormat);
    const uint32_t directoryBytes = static_cast<uint32_t>(planes * kBandsPerPlane * 8 + 4);
    if (pictureBytes < directoryBytes) return KRVX_ERROR_BAD_SAMPLE;
    const uint8_t* directory = layout.metadata + metadataBytes;
    if (Checksum(directory, directoryBytes - 4) != ReadU32(directory + directoryBytes - 4)) {
        return KRVX_ERROR_BAD_SAMPLE;
    }
    const uint8_t* data = directory + directoryBytes;
    uint64_t remaining = pictureBytes - directoryBytes;
    for (int plane = 0; plane < 4; ++plane) {
        for (int band = 0; band < kBandsPerPlane; ++band) {
            if (plane >= planes) {
                layout.band[plane][band] = nullptr;
                layout.bandBytes[plane][band] = 0;
                layout.bandChecksum[plane][band] = 0;
                continue;
            }
            const uint8_t* entry = directory + (plane * kBandsPerPlane + band) * 8;
            const uint32_t bytes = ReadU32(entry);
            if (bytes > remaining) return KRVX_ERROR_BAD_SAMPLE;
            layout.band[plane][band] = data;
            layout.bandBytes[plane][band] = bytes;
            layout.bandChecksum[plane][band] = ReadU32(entry + 4);
            data += bytes;
            remaining -= bytes;
        }
    }
    return remaining == 0 ? KRVX_ERROR_OKAY : KRVX_ERROR_BAD_SAMPLE;
}

}  // namespace codec
}  // namespace krvx
