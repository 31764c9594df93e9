// The exact integer colour arithmetic of the codec (BT.709, video range for YUV), shared by the decoder's
// output conversions, the encoder's input conversion and the tests. Coefficients carry 28 fraction bits;
// every result is rounded as (x * range + 2^27) >> 28 with an arithmetic (flooring) shift, then clamped.
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

// 10-bit video-range YUV to normalised R, G, B (1.0 = 2^28): y = Y - 64, cb = Cb - 512, cr = Cr - 512.
constexpr int32_t kYuvY = RoundToInt(double(kOne) / 876.0);
constexpr int32_t kYuvRV = RoundToInt(1.5748 * double(kOne) / 896.0);
constexpr int32_t kYuvGU = RoundToInt(0.187324 * double(kOne) / 896.0);
constexpr int32_t kYuvGV = RoundToInt(0.468124 * double(kOne) / 896.0);
constexpr int32_t kYuvBU = RoundToInt(1.8556 * double(kOne) / 896.0);

// 12-bit R, G, B (0..4095) to normalised Y (0..1) and Cb, Cr (-0.5..0.5).
constexpr double kKr = 0.2126, kKg = 0.7152, kKb = 0.0722;
constexpr int32_t kRgbYR = RoundToInt(kKr * double(kOne) / 4095.0);
constexpr int32_t kRgbYG = RoundToInt(kKg * double(kOne) / 4095.0);
constexpr int32_t kRgbYB = RoundToInt(kKb * double(kOne) / 4095.0);
constexpr int32_t kRgbUR = RoundToInt(-kKr / 1.8556 * double(kOne) / 4095.0);
constexpr int32_t kRgbUG = RoundToInt(-kKg / 1.8556 * double(kOne) / 4095.0);
constexpr int32_t kRgbUB = RoundToInt((1.0 - kKb) / 1.8556 * double(kOne) / 4095.0);
constexpr int32_t kRgbVR = RoundToInt((1.0 - kKr) / 1.5748 * double(kOne) / 4095.0);
constexpr int32_t kRgbVG = RoundToInt(-kKg / 1.5748 * double(kOne) / 4095.0);
constexpr int32_t kRgbVB = RoundToInt(-kKb / 1.5748 * double(kOne) / 4095.0);

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
inline Rgb YuvToRgb(int32_t Y, int32_t Cb, int32_t Cr, int32_t maxValue) {
    const int64_t y = int64_t(kYuvY) * (Y - 64);
    const int32_t cb = Cb - 512, cr = Cr - 512;
    return {Quantise(y + int64_t(kYuvRV) * cr, maxValue),
            Quantise(y - int64_t(kYuvGU) * cb - int64_t(kYuvGV) * cr, maxValue),
            Quantise(y + int64_t(kYuvBU) * cb, maxValue)};
}

// Video-range parameters of a YUV output depth.
struct YuvRange {
    int32_t yOffset, yRange, cOffset, cRange, maxValue;
};
constexpr YuvRange kYuv8 = {16, 219, 128, 224, 255};
constexpr YuvRange kYuv10 = {64, 876, 512, 896, 1023};
constexpr YuvRange kYuv16 = {4096, 56064, 32768, 57344, 65535};

// 12-bit R, G, B to Y at the given depth.
inline int32_t RgbToY(int32_t r, int32_t g, int32_t b, const YuvRange& range) {
    const int64_t y = int64_t(kRgbYR) * r + int64_t(kRgbYG) * g + int64_t(kRgbYB) * b;
    return Clamp(range.yOffset + ((y * range.yRange + kHalf) >> kFractionBits), 0, range.maxValue);
}

// Chroma of a pixel pair from the sums of its two pixels' 12-bit R, G, B (one more fraction bit).
inline void RgbPairToChroma(int32_t r2, int32_t g2, int32_t b2, const YuvRange& range, int32_t& cb,
                            int32_t& cr) {
    const int64_t u = int64_t(kRgbUR) * r2 + int64_t(kRgbUG) * g2 + int64_t(kRgbUB) * b2;
    const int64_t v = int64_t(kRgbVR) * r2 + int64_t(kRgbVG) * g2 + int64_t(kRgbVB) * b2;
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
