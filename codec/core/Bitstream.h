// Layout constants and small helpers of the KRVX sample bitstream, shared by encoder and decoder.
// codec/FORMAT.md describes the layout.
#pragma once
#include <cstdint>
#include <cstring>

namespace krvx {
namespace codec {

constexpr uint32_t kHeaderBytes = 32;
constexpr uint8_t kVersion = 1;
constexpr int kLevels = 3;
constexpr int kBandsPerPlane = 1 + 3 * kLevels;  // LL3, then HL, LH, HH of levels 3, 2, 1
constexpr int kBlockValues = 16;
constexpr uint32_t kMaxDimension = 8192;
constexpr uint32_t kMetadataItemHeader = 12;

enum FrameType : uint8_t { kKeyFrame = 0, kDependentFrame = 1 };

inline uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Planes of an encoded format: YUV 4:2:2 has Y, Cb, Cr (chroma half width, rounded up); RGB has R, G, B;
// RGBA adds A.
inline int PlaneCount(uint32_t encodedFormat) {
    return encodedFormat == 2 ? 4 : 3;
}
inline uint32_t PlaneWidth(uint32_t encodedFormat, int plane, uint32_t width) {
    return (encodedFormat == 0 && plane > 0) ? (width + 1) / 2 : width;
}
inline int SampleBits(uint32_t encodedFormat) {
    return encodedFormat == 0 ? 10 : 12;
}

// Size of the low band after `levels` halvings (odd sizes keep their last sample in the low band).
inline uint32_t LowSize(uint32_t size, int levels) {
    for (int i = 0; i < levels; ++i) size = (size + 1) / 2;
    return size;
}

// Geometry of band b (0 = LL3, then HL3, LH3, HH3, HL2, LH2, HH2, HL1, LH1, HH1) of a w x h plane.
struct BandGeometry {
    uint32_t width;
    uint32_t height;
    int level;  // the transform level the band belongs to (3 for LL3)
};
inline BandGeometry GetBandGeometry(uint32_t w, uint32_t h, int band) {
    if (band == 0) return {LowSize(w, kLevels), LowSize(h, kLevels), kLevels};
    const int level = kLevels - (band - 1) / 3;
    const int kind = (band - 1) % 3;  // 0 HL, 1 LH, 2 HH
    const uint32_t pw = LowSize(w, level - 1), ph = LowSize(h, level - 1);
    const uint32_t lw = (pw + 1) / 2, hw = pw / 2, lh = (ph + 1) / 2, hh = ph / 2;
    if (kind == 0) return {hw, lh, level};
    if (kind == 1) return {lw, hh, level};
    return {hw, hh, level};
}

// Bands needed to reconstruct the picture at resolution code r (1 full .. 4 eighth): those of levels > r-1.
inline int BandsForResolution(int resolution) {
    return 1 + 3 * (kLevels - (resolution - 1));
}

// Fletcher-style checksum over little-endian 32-bit words; a short tail is padded with zero bytes.
inline uint32_t Checksum(const uint8_t* data, uint32_t size) {
    uint32_t a = 1, b = 0;
    uint32_t i = 0;
    for (; i + 4 <= size; i += 4) {
        a += ReadU32(data + i);
        b += a;
    }
    if (i < size) {
        uint8_t tail[4] = {0, 0, 0, 0};
        std::memcpy(tail, data + i, size - i);
        a += ReadU32(tail);
        b += a;
    }
    return a ^ ((b << 16) | (b >> 16));
}

}  // namespace codec
}  // namespace krvx
