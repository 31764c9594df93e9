// Picture to sample: three transform levels per plane, the difference to the previous frame's
// coefficients for dependent frames, block coding per band.
#include <cstring>
#include <new>

#include "codec/core/Bitstream.h"
#include "codec/core/BlockCoder.h"
#include "codec/core/Wavelet.h"
#include "codec/encoder/KRVXEncoder.h"

namespace krvx {
namespace encode {

using namespace codec;

namespace {

// Coefficients of one plane in band order LL3, HL3, LH3, HH3, HL2, ..., HH1.
void TransformPlane(const uint16_t* values, uint32_t w, uint32_t h, std::vector<int16_t>& out) {
    std::vector<int16_t> current(values, values + size_t(w) * h);
    std::vector<int16_t> scratch(size_t(w) * h);
    std::vector<int16_t> details[kLevels][3];
    uint32_t cw = w, ch = h;
    for (int level = 1; level <= kLevels; ++level) {
        const uint32_t lw = (cw + 1) / 2, hw = cw / 2, lh = (ch + 1) / 2, hh = ch / 2;
        std::vector<int16_t> low(size_t(lw) * lh);
        details[level - 1][0].resize(size_t(hw) * lh);
        details[level - 1][1].resize(size_t(lw) * hh);
        details[level - 1][2].resize(size_t(hw) * hh);
        BandPointers bands{low.data(), details[level - 1][0].data(), details[level - 1][1].data(),
                           details[level - 1][2].data()};
        ForwardLevel(current.data(), cw, ch, bands, scratch.data());
        current.swap(low);
        cw = lw;
        ch = lh;
    }
    out = current;
    for (int level = kLevels; level >= 1; --level) {
        for (int kind = 0; kind < 3; ++kind) {
            out.insert(out.end(), details[level - 1][kind].begin(), details[level - 1][kind].end());
        }
    }
}

}  // namespace

FrameEncoder::FrameEncoder(uint32_t fieldValue) : m_fieldValue(fieldValue) {}

int FrameEncoder::Encode(const Picture& picture, bool wantKeyFrame, std::vector<uint8_t>& sample,
                         bool* keyFrame) {
    if (picture.width == 0 || picture.height == 0 || picture.width > kMaxDimension ||
        picture.height > kMaxDimension || picture.format > kFormatRgba || m_fieldValue > 3) {
        return kEncodeBadPicture;
    }
    const int planes = picture.PlaneCount();
    for (int p = 0; p < planes; ++p) {
        if (picture.planes[p].size() != size_t(picture.PlaneWidth(p)) * picture.height)
            return kEncodeBadPicture;
        const uint16_t limit = static_cast<uint16_t>((1u << SampleBits(picture.format)) - 1u);
        for (uint16_t v : picture.planes[p]) {
            if (v > limit) return kEncodeBadPicture;
        }
    }
    const bool key = wantKeyFrame || !m_hasReference || m_refWidth != picture.width ||
                     m_refHeight != picture.height || m_refFormat != picture.format;

    std::vector<uint8_t> bandData[4][kBandsPerPlane];
    for (int p = 0; p < planes; ++p) {
        const uint32_t pw = picture.PlaneWidth(p);
        std::vector<int16_t> coefficients;
        TransformPlane(picture.planes[p].data(), pw, picture.height, coefficients);
        std::vector<int16_t> coded = coefficients;
        if (!key) {
            for (size_t i = 0; i < coded.size(); ++i) {
                coded[i] = static_cast<int16_t>(coefficients[i] - m_reference[p][i]);
            }
        }
        m_reference[p].swap(coefficients);
        size_t offset = 0;
        for (int b = 0; b < kBandsPerPlane; ++b) {
            const BandGeometry g = GetBandGeometry(pw, picture.height, b);
            const uint32_t count = g.width * g.height;
            EncodeBand(coded.data() + offset, count, bandData[p][b]);
            offset += count;
        }
    }
    m_hasReference = true;
    m_refWidth = picture.width;
    m_refHeight = picture.height;
    m_refFormat = picture.format;

    // Metadata block.
    std::vector<uint8_t> metadata;
    for (const MetadataItem& item : m_metadata) {
        uint8_t head[kMetadataItemHeader] = {};
        std::memcpy(head, item.tag, 4);
        head[4] = static_cast<uint8_t>(item.track);
        head[5] = static_cast<uint8_t>(item.type);
        WriteU32(head + 8, static_cast<uint32_t>(item.data.size()));
        metadata.insert(metadata.end(), head, head + kMetadataItemHeader);
        metadata.insert(metadata.end(), item.data.begin(), item.data.end());
        while (metadata.size() % 4 != 0) metadata.push_back(0);
    }

    // Directory and picture bytes.
    const uint32_t directoryBytes = static_cast<uint32_t>(planes * kBandsPerPlane * 8 + 4);
    std::vector<uint8_t> directory(directoryBytes, 0);
    size_t dataBytes = 0;
    for (int p = 0; p < planes; ++p) {
        for (int b = 0; b < kBandsPerPlane; ++b) {
            const std::vector<uint8_t>& data = bandData[p][b];
            uint8_t* entry = directory.data() + (p * kBandsPerPlane + b) * 8;
            WriteU32(entry, static_cast<uint32_t>(data.size()));
            WriteU32(entry + 4, Checksum(data.data(), static_cast<uint32_t>(data.size())));
            dataBytes += data.size();
        }
    }
    WriteU32(directory.data() + directoryBytes - 4, Checksum(directory.data(), directoryBytes - 4));

    uint8_t header[kHeaderBytes] = {'K', 'R', 'V', 'X', kVersion};
    header[5] = key ? kKeyFrame : kDependentFrame;
    header[6] = static_cast<uint8_t>(picture.format);
    header[7] = static_cast<uint8_t>(m_fieldValue);
    WriteU16(header + 8, static_cast<uint16_t>(picture.width));
    WriteU16(header + 10, static_cast<uint16_t>(picture.height));
    WriteU32(header + 12, static_cast<uint32_t>(metadata.size()));
    WriteU32(header + 16, static_cast<uint32_t>(directoryBytes + dataBytes));
    WriteU32(header + 20, Checksum(metadata.data(), static_cast<uint32_t>(metadata.size())));
    WriteU32(header + 28, Checksum(header, 28));

    sample.clear();
    sample.reserve(kHeaderBytes + metadata.size() + directoryBytes + dataBytes);
    sample.insert(sample.end(), header, header + kHeaderBytes);
    sample.insert(sample.end(), metadata.begin(), metadata.end());
    sample.insert(sample.end(), directory.begin(), directory.end());
    for (int p = 0; p < planes; ++p) {
        for (int b = 0; b < kBandsPerPlane; ++b)
            sample.insert(sample.end(), bandData[p][b].begin(), bandData[p][b].end());
    }
    if (keyFrame) *keyFrame = key;
    return kEncodeOkay;
}

}  // namespace encode
}  // namespace krvx
