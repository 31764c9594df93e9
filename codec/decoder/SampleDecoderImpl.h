// The library's sample decoder: reference state in the transform domain, per plane and band.
#pragma once
#include <cstdint>

#include "codec/core/Bitstream.h"
#include "codec/decoder/AllocatorBuffer.h"
#include "codec/decoder/SampleLayout.h"
#include <KRVXDecoder.h>

namespace krvx {
namespace codec {

class SampleDecoderImpl final : public SampleDecoder {
public:
    explicit SampleDecoderImpl(IAllocator* allocator);
    ~SampleDecoderImpl();

    void Destroy(uint32_t flags) override;
    KRVX_Error PrepareDecode(int32_t outputWidth, int32_t outputHeight, uint32_t pixelFormat,
                             int32_t resolution, int32_t decodeFlag, const void* sample, uint32_t sampleSize,
                             int32_t* decodedWidth, int32_t* decodedHeight, int32_t* rowBytes) override;
    KRVX_Error GetSampleInfo(const void* sample, uint32_t sampleSize, KRVX_SampleInfo* info) override;
    KRVX_Error DecodeSample(const void* sample, uint32_t sampleSize, void* output, int32_t pitch) override;
    void ReleaseResources() override;
    bool ConfigurationDiffers(int32_t outputWidth, int32_t outputHeight, uint32_t pixelFormat,
                              int32_t resolution) override;

    KRVX_Error SetColourActive(int32_t value);
    KRVX_Error SetColourMix(int32_t value);
    KRVX_Error SetColourLevel(int32_t value);

private:
    bool EnsureReference(const SampleLayout& layout);
    bool DecodeBands(const SampleLayout& layout, int bands);
    bool Reconstruct(int plane, uint32_t& outWidth, uint32_t& outHeight);
    void ApplyColourSettings(uint32_t width, uint32_t height);

    IAllocator* m_allocator;
    // Prepared output.
    bool m_prepared = false;
    uint32_t m_format = 0;
    int32_t m_resolution = 1;
    // Reference state: coefficients of the last decoded frame, bands stored one after another per plane.
    bool m_referenceValid = false;
    int32_t m_referenceResolution = 0;  // bands of levels >= this code - 1 are current
    uint32_t m_width = 0, m_height = 0, m_encodedFormat = 0;
    AllocatorBuffer m_coefficients[4];
    AllocatorBuffer m_pictures[4];  // reconstructed planes at the decode resolution
    AllocatorBuffer m_scratch;      // one intermediate level plus two rows
    // Active colour settings.
    int32_t m_colourActive = 0;
    int32_t m_colourMix = 256;
    int32_t m_colourLevel = 0;
};

}  // namespace codec
}  // namespace krvx
