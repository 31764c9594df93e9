// The reference row conversions, one pixel at a time. The vector forms must give the same bytes, so this
// arithmetic (its constants, order of operations and rounding) is the definition they are checked against.
#include "convert/ColourConstants.h"
#include "convert/CpuDispatch.h"
#include "convert/RowKernels.h"

namespace krvx {

namespace {

inline int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

void YuyvToBgraRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; x += 2, src += 4) {
        const int32_t u = Clamp(src[1], 16, 240) - 128;
        const int32_t v = Clamp(src[3], 16, 240) - 128;
        for (int32_t k = 0; k < 2 && x + k < width; ++k, dst += 4) {
            const int32_t y = (Clamp(src[2 * k], 16, 235) - 16) * 19072 >> 7;
            dst[0] = static_cast<uint8_t>(Clamp((y + 270 * u) >> 7, 0, 255));
            dst[1] = static_cast<uint8_t>(Clamp((2 * y - 55 * u - 137 * v) >> 8, 0, 255));
            dst[2] = static_cast<uint8_t>(Clamp((y + 230 * v) >> 7, 0, 255));
            dst[3] = 255;
        }
    }
}

void YuyvToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width, bool highDefinition) {
    for (int32_t x = 0; x < width; x += 2, src += 4) {
        int32_t y[2] = {src[0], src[2]};
        int32_t u = src[1];
        int32_t v = src[3];
        if (highDefinition) {
            const int32_t cu = u - 128;
            const int32_t cv = v - 128;
            for (int32_t& luma : y)
                luma = Clamp((((luma - 16) * 8192 + 815 * cu + 1568 * cv) >> 13) + 16, 0, 255);
            u = Clamp(((8110 * cu - 895 * cv) >> 13) + 128, 0, 255);
            v = Clamp(((8056 * cv - 590 * cu) >> 13) + 128, 0, 255);
        }
        for (int32_t k = 0; k < 2 && x + k < width; ++k, dst += 4) {
            dst[0] = static_cast<uint8_t>(v);
            dst[1] = static_cast<uint8_t>(u);
            dst[2] = static_cast<uint8_t>(y[k]);
            dst[3] = 255;
        }
    }
}

void BgraToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 4, dst += 4) {
        const float b = src[0] * kByteScale;
        const float g = src[1] * kByteScale;
        const float r = src[2] * kByteScale;
        const float y = kRgbToY[0] * r + kRgbToY[1] * g + kRgbToY[2] * b;
        const float u = kRgbToU[0] * r - kRgbToU[1] * g + kRgbToU[2] * b;
        const float v = kRgbToV[0] * r - kRgbToV[1] * g - kRgbToV[2] * b;
        dst[0] = static_cast<uint8_t>(Clamp(static_cast<int32_t>(v * 256.0f) + 128, 0, 255));
        dst[1] = static_cast<uint8_t>(Clamp(static_cast<int32_t>(u * 256.0f) + 128, 0, 255));
        dst[2] = static_cast<uint8_t>(Clamp(static_cast<int32_t>(y * 256.0f), 0, 255));
        dst[3] = 255;
    }
}

void Yu64ToVuyaFloatRow(const uint16_t* src, float* dst, int32_t width, bool highDefinition,
                        bool interpolate) {
    for (int32_t x = 0; x < width; x += 2, src += 4) {
        const float y[2] = {src[0] * kWordScale, src[2] * kWordScale};
        float cb[2], cr[2];
        cb[0] = cb[1] = src[3] * kWordScale - 0.5f;
        cr[0] = cr[1] = src[1] * kWordScale - 0.5f;
        if (interpolate && x < width - 2) {
            cb[1] = (cb[0] + (src[7] * kWordScale - 0.5f)) * 0.5f;
            cr[1] = (cr[0] + (src[5] * kWordScale - 0.5f)) * 0.5f;
        }
        for (int32_t k = 0; k < 2 && x + k < width; ++k, dst += 4) {
            float luma = y[k], blue = cb[k], red = cr[k];
            if (highDefinition) Rematrix709To601(luma, blue, red);
            dst[0] = red * kChromaRange;
            dst[1] = blue * kChromaRange;
            dst[2] = (luma - kLumaFloor) * kLumaRange;
            dst[3] = 1.0f;
        }
    }
}

template <int32_t kSamples>
void Rgb13ToBgraFloat(const int16_t* src, float* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += kSamples, dst += 4) {
        dst[0] = src[2] * k13BitScale;
        dst[1] = src[1] * k13BitScale;
        dst[2] = src[0] * k13BitScale;
        dst[3] = kSamples == 4 ? src[3] * k13BitScale : 1.0f;
    }
}

template <int32_t kSamples>
void Rgb13ToArgbFloat(const int16_t* src, float* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += kSamples, dst += 4) {
        dst[0] = kSamples == 4 ? src[3] * k13BitScale : 1.0f;
        dst[1] = src[0] * k13BitScale;
        dst[2] = src[1] * k13BitScale;
        dst[3] = src[2] * k13BitScale;
    }
}

template <int32_t kSamples>
void Rgb13ToVuyaFloat(const int16_t* src, float* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += kSamples, dst += 4) {
        RgbFloatToVuya(src[0] * k13BitScale, src[1] * k13BitScale, src[2] * k13BitScale, dst);
        dst[3] = kSamples == 4 ? src[3] * k13BitScale : 1.0f;
    }
}

template <int32_t kSamples>
void Rgb13ToArgb8(const int16_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += kSamples, dst += 4) {
        dst[0] = kSamples == 4 ? static_cast<uint8_t>(static_cast<uint16_t>(src[3]) >> 5) : 255;
        dst[1] = static_cast<uint8_t>(static_cast<uint16_t>(src[0]) >> 5);
        dst[2] = static_cast<uint8_t>(static_cast<uint16_t>(src[1]) >> 5);
        dst[3] = static_cast<uint8_t>(static_cast<uint16_t>(src[2]) >> 5);
    }
}

// 13-bit sources come with 3 (WP13) or 4 (W13A) samples per pixel.
#define KRVX_BY_SAMPLES(name, DstType)                                                         \
    void name##Row(const int16_t* src, int32_t samplesPerPixel, DstType* dst, int32_t width) { \
        if (samplesPerPixel == 4)                                                              \
            name<4>(src, dst, width);                                                          \
        else                                                                                   \
            name<3>(src, dst, width);                                                          \
    }
KRVX_BY_SAMPLES(Rgb13ToBgraFloat, float)
KRVX_BY_SAMPLES(Rgb13ToArgbFloat, float)
KRVX_BY_SAMPLES(Rgb13ToVuyaFloat, float)
KRVX_BY_SAMPLES(Rgb13ToArgb8, uint8_t)
#undef KRVX_BY_SAMPLES

void ReverseBytesRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 4, dst += 4) {
        const uint8_t b0 = src[0], b1 = src[1], b2 = src[2], b3 = src[3];
        dst[0] = b3;
        dst[1] = b2;
        dst[2] = b1;
        dst[3] = b0;
    }
}

void Rgba16ToBgra16Row(const uint16_t* src, uint16_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 4, dst += 4) {
        dst[0] = static_cast<uint16_t>(src[3] >> 1);
        dst[1] = static_cast<uint16_t>(src[2] >> 1);
        dst[2] = static_cast<uint16_t>(src[1] >> 1);
        dst[3] = static_cast<uint16_t>(src[0] >> 1);
    }
}

constexpr RowKernels kReference = {
    YuyvToBgraRow,       YuyvToVuyaRow,       BgraToVuyaRow,   Yu64ToVuyaFloatRow, Rgb13ToBgraFloatRow,
    Rgb13ToArgbFloatRow, Rgb13ToVuyaFloatRow, Rgb13ToArgb8Row, ReverseBytesRow,    Rgba16ToBgra16Row,
};

struct KernelsByLevel {
    RowKernels levels[3];
    KernelsByLevel() {
        levels[0] = levels[1] = levels[2] = kReference;
#if defined(__x86_64__) || defined(__i386__)
        detail::FillSse2RowKernels(levels[1]);
        levels[2] = levels[1];
        detail::FillAvx2RowKernels(levels[2]);
#endif
    }
};

}  // namespace

const RowKernels& ReferenceRowKernels() {
    return kReference;
}

const RowKernels& ActiveRowKernels() {
    static const KernelsByLevel byLevel;
    return byLevel.levels[static_cast<int>(ActiveKernelLevel())];
}

}  // namespace krvx
