#include "codec/decoder/SampleDecoderImpl.h"

#include <cstring>
#include <new>

#include "codec/core/BlockCoder.h"
#include "codec/core/Wavelet.h"
#include "codec/decoder/PixelOutput.h"

namespace krvx {
namespace codec {
namespace {

bool ValidResolution(int32_t resolution) {
    return resolution >= 1 && resolution <= 4;
}

// Offset of band b inside a plane's coefficient block.
size_t BandOffset(uint32_t w, uint32_t h, int band) {
    size_t offset = 0;
    for (int i = 0; i < band; ++i) {
        const BandGeometry g = GetBandGeometry(w, h, i);
        offset += size_t(g.width) * g.height;
    }
    return offset;
}

}  // namespace

SampleDecoderImpl::SampleDecoderImpl(IAllocator* allocator) : m_allocator(allocator) {
    for (auto& buffer : m_coefficients) buffer.Bind(allocator);
    for (auto& buffer : m_pictures) buffer.Bind(allocator);
    m_scratch.Bind(allocator);
}

SampleDecoderImpl::~SampleDecoderImpl() = default;

void SampleDecoderImpl::Destroy(uint32_t flags) {
    if ((flags & 1u) == 0) {
        ReleaseResources();
        return;
    }
    IAllocator* allocator = m_allocator;
    this->~SampleDecoderImpl();
    allocator->FreeAligned(this);
}

KRVX_Error SampleDecoderImpl::PrepareDecode(int32_t /*outputWidth*/, int32_t /*outputHeight*/,
                                            uint32_t pixelFormat, int32_t resolution, int32_t /*decodeFlag*/,
                                            const void* sample, uint32_t sampleSize, int32_t* decodedWidth,
                                            int32_t* decodedHeight, int32_t* rowBytes) {
    if (OutputRowBytes(pixelFormat, 1) == 0) {
        m_prepared = false;
        return KRVX_ERROR_UNSUPPORTED_FORMAT;
    }
    if (!ValidResolution(resolution)) {
        m_prepared = false;
        return KRVX_ERROR_INVALID_ARGUMENT;
    }
    m_prepared = true;
    m_format = pixelFormat;
    m_resolution = resolution;
    if (sample == nullptr) return KRVX_ERROR_OKAY;
    SampleLayout layout;
    const KRVX_Error error = ParseSample(sample, sampleSize, layout);
    if (error != KRVX_ERROR_OKAY) return error;
    const uint32_t w = layout.width >> (resolution - 1), h = layout.height >> (resolution - 1);
    if (decodedWidth) *decodedWidth = static_cast<int32_t>(w);
    if (decodedHeight) *decodedHeight = static_cast<int32_t>(h);
    if (rowBytes) *rowBytes = static_cast<int32_t>(OutputRowBytes(pixelFormat, w));
    return KRVX_ERROR_OKAY;
}

KRVX_Error SampleDecoderImpl::GetSampleInfo(const void* sample, uint32_t sampleSize, KRVX_SampleInfo* info) {
    if (info == nullptr) return KRVX_ERROR_INVALID_ARGUMENT;
    SampleLayout layout;
    const KRVX_Error error = ParseSample(sample, sampleSize, layout);
    if (error != KRVX_ERROR_OKAY) return error;
    info->encodedFormat = layout.encodedFormat;
    info->fieldValue = layout.fieldValue;
    info->width = layout.width;
    info->height = layout.height;
    info->keyFrame = layout.frameType == kKeyFrame ? 1u : 0u;
    info->metadataBytes = layout.metadataBytes;
    return KRVX_ERROR_OKAY;
}

bool SampleDecoderImpl::ConfigurationDiffers(int32_t /*outputWidth*/, int32_t /*outputHeight*/,
                                             uint32_t pixelFormat, int32_t resolution) {
    if (OutputRowBytes(pixelFormat, 1) == 0 || !ValidResolution(resolution)) return true;
    return !m_referenceValid || m_referenceResolution > resolution;
}

void SampleDecoderImpl::ReleaseResources() {
    for (auto& buffer : m_coefficients) buffer.Release();
    for (auto& buffer : m_pictures) buffer.Release();
    m_scratch.Release();
    m_referenceValid = false;
    m_referenceResolution = 0;
}

KRVX_Error SampleDecoderImpl::SetColourActive(int32_t value) {
    m_colourActive = value;
    return KRVX_ERROR_OKAY;
}

KRVX_Error SampleDecoderImpl::SetColourMix(int32_t value) {
    m_colourMix = value;
    return KRVX_ERROR_OKAY;
}

KRVX_Error SampleDecoderImpl::SetColourLevel(int32_t value) {
    m_colourLevel = value;
    return KRVX_ERROR_OKAY;
}

bool SampleDecoderImpl::EnsureReference(const SampleLayout& layout) {
    const bool sameGeometry =
        m_width == layout.width && m_height == layout.height && m_encodedFormat == layout.encodedFormat;
    if (!sameGeometry) {
        m_referenceValid = false;
        m_width = layout.width;
        m_height = layout.height;
        m_encodedFormat = layout.encodedFormat;
    }
    const int planes = PlaneCount(layout.encodedFormat);
    for (int p = 0; p < planes; ++p) {
        const size_t count = size_t(PlaneWidth(layout.encodedFormat, p, layout.width)) * layout.height;
        if (!m_coefficients[p].Reserve(count)) {
            m_referenceValid = false;
            return false;
        }
    }
    return true;
}

bool SampleDecoderImpl::DecodeBands(const SampleLayout& layout, int bands) {
    const bool accumulate = layout.frameType == kDependentFrame;
    const int planes = PlaneCount(layout.encodedFormat);
    for (int p = 0; p < planes; ++p) {
        const uint32_t pw = PlaneWidth(layout.encodedFormat, p, layout.width);
        int16_t* coefficients = m_coefficients[p].Data();
        size_t offset = 0;
        for (int b = 0; b < bands; ++b) {
            const BandGeometry g = GetBandGeometry(pw, layout.height, b);
            const uint32_t count = g.width * g.height;
            if (!DecodeBand(layout.band[p][b], layout.bandBytes[p][b], coefficients + offset, count,
                            accumulate)) {
                return false;
            }
            offset += count;
        }
    }
    return true;
}

bool SampleDecoderImpl::Reconstruct(int plane, uint32_t& outWidth, uint32_t& outHeight) {
    const uint32_t pw = PlaneWidth(m_encodedFormat, plane, m_width);
    const int target = m_resolution - 1;  // transform level of the delivered picture
    const int16_t* coefficients = m_coefficients[plane].Data();
    const size_t ll1 = size_t(LowSize(pw, 1)) * LowSize(m_height, 1);
    if (!m_pictures[plane].Reserve(size_t(LowSize(pw, target)) * LowSize(m_height, target)) ||
        !m_scratch.Reserve(ll1 + 2 * size_t(pw))) {
        return false;
    }
    int16_t* rows = m_scratch.Data() + ll1;
    const int16_t* low = coefficients;  // LL3
    const int steps = kLevels - target;
    if (steps == 0) {
        std::memcpy(m_pictures[plane].Data(), low,
                    sizeof(int16_t) * LowSize(pw, kLevels) * LowSize(m_height, kLevels));
    }
    for (int i = 0; i < steps; ++i) {
        const int level = kLevels - i;  // rebuilds LL(level - 1)
        const int firstBand = 1 + 3 * i;
        ConstBandPointers bands;
        bands.ll = low;
        bands.hl = coefficients + BandOffset(pw, m_height, firstBand);
        bands.lh = coefficients + BandOffset(pw, m_height, firstBand + 1);
        bands.hh = coefficients + BandOffset(pw, m_height, firstBand + 2);
        // The last step lands in the picture buffer; earlier ones alternate so input and output differ.
        const bool toPicture = ((steps - 1 - i) % 2) == 0;
        int16_t* out = toPicture ? m_pictures[plane].Data() : m_scratch.Data();
        InverseLevel(bands, LowSize(pw, level - 1), LowSize(m_height, level - 1), out, rows);
        low = out;
    }
    outWidth = LowSize(pw, target);
    outHeight = LowSize(m_height, target);
    return true;
}

void SampleDecoderImpl::ApplyColourSettings(uint32_t width, uint32_t height) {
    if ((m_colourActive & 3) == 0) return;
    const bool adjust = (m_colourActive & 1) != 0;
    const bool invert = (m_colourActive & 2) != 0;
    const int64_t mix = 256 + (m_colourMix < -256 ? -256 : (m_colourMix > 65536 ? 65536 : m_colourMix));
    const int32_t level = m_colourLevel < -65536 ? -65536 : (m_colourLevel > 65536 ? 65536 : m_colourLevel);
    auto clamp = [](int64_t v, int32_t hi) { return static_cast<int16_t>(v < 0 ? 0 : (v > hi ? hi : v)); };
    if (m_encodedFormat == 0) {
        const uint32_t cw = LowSize((m_width + 1) / 2, m_resolution - 1);
        for (int p = 0; p < 3; ++p) {
            int16_t* data = m_pictures[p].Data();
            const size_t count = size_t(p == 0 ? width : cw) * height;
            for (size_t i = 0; i < count; ++i) {
                int64_t v = data[i] < 0 ? 0 : (data[i] > 1023 ? 1023 : data[i]);
                if (adjust) v = p == 0 ? v + level : 512 + (((v - 512) * mix + 128) >> 8);
                if (invert) v = p == 0 ? 1023 - v : 1024 - v;
                data[i] = clamp(v, 1023);
            }
        }
        return;
    }
    int16_t* r = m_pictures[0].Data();
    int16_t* g = m_pictures[1].Data();
    int16_t* b = m_pictures[2].Data();
    const size_t count = size_t(width) * height;
    for (size_t i = 0; i < count; ++i) {
        int64_t c[3] = {r[i], g[i], b[i]};
        for (auto& v : c) v = v < 0 ? 0 : (v > 4095 ? 4095 : v);
        if (adjust) {
            const int64_t y = (54 * c[0] + 183 * c[1] + 19 * c[2] + 128) >> 8;
            for (auto& v : c) v = y + (((v - y) * mix + 128) >> 8) + level;
        }
        if (invert) {
            for (auto& v : c) v = 4095 - v;
        }
        r[i] = clamp(c[0], 4095);
        g[i] = clamp(c[1], 4095);
        b[i] = clamp(c[2], 4095);
    }
}

KRVX_Error SampleDecoderImpl::DecodeSample(const void* sample, uint32_t sampleSize, void* output,
                                           int32_t pitch) {
    if (!m_prepared) return KRVX_ERROR_NOT_PREPARED;
    SampleLayout layout;
    KRVX_Error error = ParseSample(sample, sampleSize, layout);
    if (error != KRVX_ERROR_OKAY) return error;
    if (layout.frameType == kDependentFrame) {
        const bool usable = m_referenceValid && m_width == layout.width && m_height == layout.height &&
                            m_encodedFormat == layout.encodedFormat && m_referenceResolution <= m_resolution;
        if (!usable) return KRVX_ERROR_NO_REFERENCE;
    }
    const uint32_t outWidth = layout.width >> (m_resolution - 1);
    const uint32_t outHeight = layout.height >> (m_resolution - 1);
    if (output != nullptr) {
        const int64_t magnitude = pitch < 0 ? -int64_t(pitch) : int64_t(pitch);
        if (magnitude < OutputRowBytes(m_format, outWidth) || magnitude == 0) return KRVX_ERROR_BAD_PITCH;
    }
    // Check every band this resolution needs before the reference state is touched.
    const int bands = BandsForResolution(m_resolution);
    const int planes = PlaneCount(layout.encodedFormat);
    for (int p = 0; p < planes; ++p) {
        for (int b = 0; b < bands; ++b) {
            if (Checksum(layout.band[p][b], layout.bandBytes[p][b]) != layout.bandChecksum[p][b]) {
                return KRVX_ERROR_BAD_SAMPLE;
            }
        }
    }
    if (!EnsureReference(layout)) return KRVX_ERROR_OUT_OF_MEMORY;
    if (!DecodeBands(layout, bands)) {
        m_referenceValid = false;
        return KRVX_ERROR_BAD_SAMPLE;
    }
    m_referenceValid = true;
    m_referenceResolution = m_resolution;
    if (output == nullptr || outWidth == 0 || outHeight == 0) return KRVX_ERROR_OKAY;

    DecodedPlanes decoded{};
    decoded.encodedFormat = m_encodedFormat;
    decoded.matrix = &MatrixForPicture(m_width, m_height);
    uint32_t lumaWidth = 0, lumaHeight = 0;
    for (int p = 0; p < planes; ++p) {
        uint32_t w = 0, h = 0;
        if (!Reconstruct(p, w, h)) return KRVX_ERROR_OUT_OF_MEMORY;
        decoded.plane[p] = m_pictures[p].Data();
        decoded.stride[p] = w;
        if (p == 0) {
            lumaWidth = w;
            lumaHeight = h;
        }
    }
    ApplyColourSettings(lumaWidth, lumaHeight);
    WritePixels(decoded, outWidth, outHeight, m_format, static_cast<uint8_t*>(output), pitch);
    return KRVX_ERROR_OKAY;
}

}  // namespace codec
}  // namespace krvx
