// The exact integer colour arithmetic of the codec (video range for YUV), shared by the decoder's
// output conversions, the encoder's input conversion and the tests. Coefficients carry 28 fraction bits;
// every result is rounded as (x * range + 2^27) >> 28 with an arithmetic (flooring) shift, then clamped.
// A standard-definition picture uses BT.601 and a larger one BT.709, by the importer's rule.
#pragma once
#include <cstdint>

namespace krvx {
namespace codec {

constexpr int kFractionBits = 28;
constexpr int64_t kOne = int64_t(1) << kFractionBits;
constexpr int64_t kHalf = int64_t(1) << (kFractionBits - 1);

constexpr int32_t RoundToInt(double x) {
    return x >= 0 ? int32_t(x + 0.5) : -int32_t(-x + 0.5);
}

// One colour matrix in integers, derived from its luma weights Kr and Kb (Kg = 1 - Kr - Kb).
struct ColourMatrix {
    // 10-bit video-range YUV to normalised R, G, B (1.0 = 2^28): y = Y - 64, cb = Cb - 512, cr = Cr - 512.
    int32_t yuvY, yuvRV, yuvGU, yuvGV, yuvBU;
    // 12-bit R, G, B (0..4095) to normalised Y (0..1) and Cb, Cr (-0.5..0.5).
    int32_t rgbY[3], rgbU[3], rgbV[3];
};

constexpr ColourMatrix MakeColourMatrix(double kr, double kb) {
    const double kg = 1.0 - kr - kb;
    const double rv = 2.0 * (1.0 - kr), bu = 2.0 * (1.0 - kb);  // Cr and Cb span 1.0 over these
    const double gu = bu * kb / kg, gv = rv * kr / kg;
    const double toYuv = double(kOne) / 4095.0;
    ColourMatrix m{};
    m.yuvY = RoundToInt(double(kOne) / 876.0);
    m.yuvRV = RoundToInt(rv * double(kOne) / 896.0);
    m.yuvGU = RoundToInt(gu * double(kOne) / 896.0);
    m.yuvGV = RoundToInt(gv * double(kOne) / 896.0);
    m.yuvBU = RoundToInt(bu * double(kOne) / 896.0);
    m.rgbY[0] = RoundToInt(kr * toYuv);
    m.rgbY[1] = RoundToInt(kg * toYuv);
    m.rgbY[2] = RoundToInt(kb * toYuv);
    m.rgbU[0] = RoundToInt(-kr / bu * toYuv);
    m.rgbU[1] = RoundToInt(-kg / bu * toYuv);
    m.rgbU[2] = RoundToInt((1.0 - kb) / bu * toYuv);
    m.rgbV[0] = RoundToInt((1.0 - kr) / rv * toYuv);
    m.rgbV[1] = RoundToInt(-kg / rv * toYuv);
    m.rgbV[2] = RoundToInt(-kb / rv * toYuv);
    return m;
}

inline constexpr ColourMatrix kBt601 = MakeColourMatrix(0.299, 0.114);
inline constexpr ColourMatrix kBt709 = MakeColourMatrix(0.2126, 0.0722);

// The integers codec/FORMAT.md lists; every build must derive exactly these.
static_assert(kBt601.yuvY == 306433 && kBt601.yuvRV == 420030 && kBt601.yuvGU == 103101 &&
                  kBt601.yuvGV == 213950 && kBt601.yuvBU == 530879,
              "BT.601 YUV-to-RGB constants");
static_assert(kBt601.rgbY[0] == 19600 && kBt601.rgbY[1] == 38479 && kBt601.rgbY[2] == 7473 &&
                  kBt601.rgbU[0] == -11061 && kBt601.rgbU[1] == -21715 && kBt601.rgbU[2] == 32776 &&
                  kBt601.rgbV[0] == 32776 && kBt601.rgbV[1] == -27446 && kBt601.rgbV[2] == -5330,
              "BT.601 RGB-to-YUV constants");
static_assert(kBt709.yuvY == 306433 && kBt709.yuvRV == 471799 && kBt709.yuvGU == 56121 &&
                  kBt709.yuvGV == 140247 && kBt709.yuvBU == 555925,
              "BT.709 YUV-to-RGB constants");
static_assert(kBt709.rgbY[0] == 13936 && kBt709.rgbY[1] == 46883 && kBt709.rgbY[2] == 4733 &&
                  kBt709.rgbU[0] == -7510 && kBt709.rgbU[1] == -25266 && kBt709.rgbU[2] == 32776 &&
                  kBt709.rgbV[0] == 32776 && kBt709.rgbV[1] == -29771 && kBt709.rgbV[2] == -3005,
              "BT.709 RGB-to-YUV constants");

// The matrix of a coded picture of the given full size. High definition, as the importer counts it:
// wider than 720 and taller than 576. Decoding at a reduced resolution keeps the coded picture's matrix.
constexpr const ColourMatrix& MatrixForPicture(uint32_t width, uint32_t height) {
    return width > 720 && height > 576 ? kBt709 : kBt601;
}

inline int32_t Clamp(int64_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : static_cast<int32_t>(v));
}

// Normalised value (1.0 = 2^28) to 0..maxValue.
inline int32_t Quantise(int64_t normalised, int32_t maxValue) {
    return Clamp((normalised * maxValue + kHalf) >> kFractionBits, 0, maxValue);
}

struct Rgb {
    int32_t r, g, b;
};

// 10-bit Y, Cb, Cr to R, G, B in 0..maxValue.
inline Rgb YuvToRgb(const ColourMatrix& m, int32_t Y, int32_t Cb, int32_t Cr, int32_t maxValue) {
    const int64_t y = int64_t(m.yuvY) * (Y - 64);
    const int32_t cb = Cb - 512, cr = Cr - 512;
    return {Quantise(y + int64_t(m.yuvRV) * cr, maxValue),
            Quantise(y - int64_t(m.yuvGU) * cb - int64_t(m.yuvGV) * cr, maxValue),
            Quantise(y + int64_t(m.yuvBU) * cb, maxValue)};
}

// Video-range parameters of a YUV output depth.
struct YuvRange {
    int32_t yOffset, yRange, cOffset, cRange, maxValue;
};
constexpr YuvRange kYuv8 = {16, 219, 128, 224, 255};
constexpr YuvRange kYuv10 = {64, 876, 512, 896, 1023};
constexpr YuvRange kYuv16 = {4096, 56064, 32768, 57344, 65535};

// 12-bit R, G, B to Y at the given depth.
inline int32_t RgbToY(const ColourMatrix& m, int32_t r, int32_t g, int32_t b, const YuvRange& range) {
    const int64_t y = int64_t(m.rgbY[0]) * r + int64_t(m.rgbY[1]) * g + int64_t(m.rgbY[2]) * b;
    return Clamp(range.yOffset + ((y * range.yRange + kHalf) >> kFractionBits), 0, range.maxValue);
}

// Chroma of a pixel pair from the sums of its two pixels' 12-bit R, G, B (one more fraction bit).
inline void RgbPairToChroma(const ColourMatrix& m, int32_t r2, int32_t g2, int32_t b2, const YuvRange& range,
                            int32_t& cb, int32_t& cr) {
    const int64_t u = int64_t(m.rgbU[0]) * r2 + int64_t(m.rgbU[1]) * g2 + int64_t(m.rgbU[2]) * b2;
    const int64_t v = int64_t(m.rgbV[0]) * r2 + int64_t(m.rgbV[1]) * g2 + int64_t(m.rgbV[2]) * b2;
    cb = Clamp(range.cOffset + ((u * range.cRange + kOne) >> (kFractionBits + 1)), 0, range.maxValue);
    cr = Clamp(range.cOffset + ((v * range.cRange + kOne) >> (kFractionBits + 1)), 0, range.maxValue);
}

// Exact depth changes.
inline int32_t Rgb12To8(int32_t c) {
    return (c * 255 + 2047) / 4095;
}
inline int32_t Rgb12To13(int32_t c) {
    return (c << 1) | (c >> 11);
}
inline int32_t Rgb12To16(int32_t c) {
    return (c << 4) | (c >> 8);
}
inline int32_t Yuv10To8(int32_t v) {
    return v >= 1022 ? 255 : (v + 2) >> 2;
}
inline int32_t Yuv10To16(int32_t v) {
    return (v << 6) | (v >> 4);
}
inline int32_t Rgb8To12(int32_t c) {
    return (c * 4095 + 127) / 255;
}

}  // namespace codec
}  // namespace krvx
