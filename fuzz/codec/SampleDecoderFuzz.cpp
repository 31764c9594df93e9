// Feeds arbitrary bytes to GetSampleInfo, DecodeSample and the metadata reader. The first two bytes pick
// the output format and resolution (and, with bit 7 of the first, whether checksums are fixed up); the rest
// is decoded after a valid key frame, so dependent-frame paths with reference state are reached too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/core/Bitstream.h"
#include "codec/encoder/KRVXEncoder.h"
#include <KRVXDecoder.h>

namespace {

const std::vector<uint8_t>& KeyFrame(uint32_t format) {
    static std::vector<uint8_t> samples[3];
    if (samples[format].empty()) {
        krvx::encode::FrameEncoder encoder;
        encoder.Encode(krvx::encode::RenderPattern(krvx::encode::kPatternBox, 24, 16, format, 0), true,
                       samples[format]);
    }
    return samples[format];
}

// Recomputes every checksum the bytes claim to have, so that mutations reach the band decoder.
void Reseal(std::vector<uint8_t>& s) {
    using namespace krvx::codec;
    if (s.size() < kHeaderBytes) return;
    const uint64_t metadataBytes = ReadU32(&s[12]);
    if (kHeaderBytes + metadataBytes > s.size()) return;
    WriteU32(&s[20], Checksum(s.data() + kHeaderBytes, uint32_t(metadataBytes)));
    const int planes = PlaneCount(s[6]);
    const uint64_t directoryBytes = uint64_t(planes) * kBandsPerPlane * 8 + 4;
    uint8_t* directory = s.data() + kHeaderBytes + metadataBytes;
    if (kHeaderBytes + metadataBytes + directoryBytes <= s.size()) {
        uint64_t offset = kHeaderBytes + metadataBytes + directoryBytes;
        for (int i = 0; i < planes * kBandsPerPlane; ++i) {
            const uint64_t bytes = ReadU32(directory + 8 * i);
            if (offset + bytes > s.size()) break;
            WriteU32(directory + 8 * i + 4, Checksum(s.data() + offset, uint32_t(bytes)));
            offset += bytes;
        }
        WriteU32(directory + directoryBytes - 4, Checksum(directory, uint32_t(directoryBytes - 4)));
    }
    WriteU32(&s[28], Checksum(s.data(), 28));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const uint32_t kFormats[] = {krvx::KRVX_PIXEL_FORMAT_BGRA, krvx::KRVX_PIXEL_FORMAT_YUYV,
                                        krvx::KRVX_PIXEL_FORMAT_YU64, krvx::KRVX_PIXEL_FORMAT_WP13,
                                        krvx::KRVX_PIXEL_FORMAT_W13A, krvx::KRVX_PIXEL_FORMAT_B64A};
    const uint32_t pixelFormat = kFormats[data[0] % 6];
    const int resolution = 1 + (data[1] & 3);
    const uint32_t keyFormat = (data[1] >> 2) % 3;
    std::vector<uint8_t> bytes(data + 2, data + size);
    if (data[0] & 0x80) Reseal(bytes);
    const uint8_t* sample = bytes.data();
    const uint32_t sampleSize = static_cast<uint32_t>(bytes.size());

    krvx::SampleDecoder* decoder = KRVX_CreateSampleDecoder(nullptr, nullptr);
    KRVX_SampleInfo info;
    decoder->GetSampleInfo(sample, sampleSize, &info);
    const std::vector<uint8_t>& key = KeyFrame(keyFormat);
    decoder->PrepareDecode(0, 0, pixelFormat, resolution, 1, key.data(), uint32_t(key.size()), nullptr,
                           nullptr, nullptr);
    decoder->DecodeSample(key.data(), uint32_t(key.size()), nullptr, 0);
    int32_t w = 0, h = 0, rowBytes = 0;
    decoder->PrepareDecode(0, 0, pixelFormat, resolution, 0, sample, sampleSize, &w, &h, &rowBytes);
    // Room for the largest picture the header may claim at this resolution.
    std::vector<uint8_t> out(w > 0 && h > 0 ? size_t(rowBytes) * h : 16);
    decoder->DecodeSample(sample, sampleSize, out.data(), rowBytes > 0 ? rowBytes : 16);
    decoder->Destroy(1);

    KRVX_MetadataHandle handle = nullptr;
    if (KRVX_OpenMetadata(&handle) == 0) {
        if (KRVX_InitSampleMetadata(handle, data[0] & 2, sample, sampleSize) == 0) {
            uint32_t tag, type, itemSize;
            const void* item;
            volatile uint8_t sink = 0;
            while (KRVX_ReadMetadata(handle, &tag, &type, &itemSize, &item) == 0) {
                for (uint32_t i = 0; i < itemSize; ++i) sink = sink + static_cast<const uint8_t*>(item)[i];
            }
        }
        KRVX_CloseMetadata(handle);
    }
    return 0;
}
