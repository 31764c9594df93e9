// AVX2 forms of the hot row conversions: the SSE2 algorithms on both 128-bit lanes at once (every
// shuffle and pack works within a lane), with the two halves put back in pixel order on the store.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "convert/ColourConstants.h"
#include "convert/RowKernels.h"

#define KRVX_AVX2 __attribute__((target("avx2")))

namespace krvx {

namespace {

KRVX_AVX2 inline __m256i PairConstant(int16_t low, int16_t high) {
    return _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(low)) |
                             static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}

KRVX_AVX2 inline __m256i Clamp16(__m256i value, int16_t low, int16_t high) {
    return _mm256_min_epi16(_mm256_max_epi16(value, _mm256_set1_epi16(low)), _mm256_set1_epi16(high));
}

// lo holds pixels 0-3 and 8-11, hi 4-7 and 12-15: 64 bytes in pixel order.
KRVX_AVX2 inline void StoreHalves(uint8_t* dst, __m256i lo, __m256i hi) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 32), _mm256_permute2x128_si256(lo, hi, 0x31));
}

// All in 16-bit lanes, with the chroma terms formed once per pair. With y = (Y - 16) x 149 (the
// reference's (Y - 16) x 19072 >> 7, exactly) and h = y >> 1:
//   R = (y + 230 v) >> 7 = (h + 115 v) >> 6 and B = (y + 270 u) >> 7 = (h + 135 u) >> 6, since y and
//   2 h differ by at most 1, which cannot carry past a multiple of 128;
//   G = (2 y + t) >> 8 with t = -55 u - 137 v equals (y + (t >> 1)) >> 7 for the same reason; that
//   sum lies in -10752 .. 43383, so it is taken unsigned after adding 10752 = 84 x 128.
// Every intermediate fits 16 bits: h <= 16315, |115 v|, |135 u| <= 15120, |t| <= 21504.
KRVX_AVX2 void YuyvToBgraRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i blueRed = PairConstant(135, 115);   // U lanes x 135, V lanes x 115
    const __m256i green = PairConstant(-55, -137);     // per pair: t
    const __m256i greenBias = _mm256_set1_epi16(10752);
    const __m256i greenUnbias = _mm256_set1_epi16(84);
    const __m256i opaque = _mm256_set1_epi16(255);
    int32_t x = 0;
    for (; x + 16 <= width; x += 16, src += 32, dst += 64) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        __m256i y = Clamp16(_mm256_and_si256(in, lowBytes), 16, 235);
        y = _mm256_mullo_epi16(_mm256_sub_epi16(y, _mm256_set1_epi16(16)), _mm256_set1_epi16(149));
        const __m256i half = _mm256_srai_epi16(y, 1);
        const __m256i c = _mm256_sub_epi16(Clamp16(_mm256_srli_epi16(in, 8), 16, 240), _mm256_set1_epi16(128));
        const __m256i terms = _mm256_mullo_epi16(c, blueRed);  // 135 u, 115 v per pair
        const __m256i t = _mm256_srai_epi32(_mm256_madd_epi16(c, green), 1);
        const __m256i blueTerm = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(terms, 0xA0), 0xA0);
        const __m256i redTerm = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(terms, 0xF5), 0xF5);
        const __m256i greenTerm = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(t, 0xA0), 0xA0);
        const __m256i b = _mm256_srai_epi16(_mm256_add_epi16(half, blueTerm), 6);
        const __m256i r = _mm256_srai_epi16(_mm256_add_epi16(half, redTerm), 6);
        const __m256i g = _mm256_sub_epi16(
            _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(y, greenTerm), greenBias), 7), greenUnbias);
        const __m256i br = _mm256_packus_epi16(b, r);      // per lane: B0-7, R0-7
        const __m256i ga = _mm256_packus_epi16(g, opaque);  // per lane: G0-7, 255 x 8
        const __m256i bg = _mm256_unpacklo_epi8(br, ga);
        const __m256i ra = _mm256_unpackhi_epi8(br, ga);
        StoreHalves(dst, _mm256_unpacklo_epi16(bg, ra), _mm256_unpackhi_epi16(bg, ra));
    }
    if (x < width) ReferenceRowKernels().yuyvToBgra(src, dst, width - x);
}

KRVX_AVX2 void YuyvToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width, bool highDefinition) {
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i alpha = _mm256_set1_epi16(static_cast<int16_t>(0xFF00));
    const __m256i bias16 = _mm256_set1_epi16(128);
    const __m256i bias32 = _mm256_set1_epi32(128);
    const __m256i lumaShift = PairConstant(815, 1568);
    const __m256i toU = PairConstant(8110, -895);
    const __m256i toV = PairConstant(-590, 8056);
    int32_t x = 0;
    for (; x + 16 <= width; x += 16, src += 32, dst += 64) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        __m256i y = _mm256_and_si256(in, lowBytes);
        const __m256i uv = _mm256_srli_epi16(in, 8);
        __m256i vu;
        if (highDefinition) {
            const __m256i c = _mm256_sub_epi16(uv, bias16);
            const __m256i m = _mm256_srai_epi32(_mm256_madd_epi16(c, lumaShift), 13);
            const __m256i u = _mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(c, toU), 13), bias32);
            const __m256i v = _mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(c, toV), 13), bias32);
            const __m256i m16 = _mm256_packs_epi32(m, m);
            y = Clamp16(_mm256_add_epi16(y, _mm256_unpacklo_epi16(m16, m16)), 0, 255);
            const __m256i uvClamped = Clamp16(_mm256_packs_epi32(u, v), 0, 255);
            const __m256i pairs =
                _mm256_or_si256(_mm256_srli_si256(uvClamped, 8), _mm256_slli_epi16(uvClamped, 8));
            vu = _mm256_unpacklo_epi16(pairs, pairs);
        } else {
            const __m256i pairs = _mm256_or_si256(_mm256_srli_epi32(uv, 16), _mm256_slli_epi32(uv, 8));
            vu = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pairs, 0xA0), 0xA0);
        }
        const __m256i ya = _mm256_or_si256(y, alpha);
        StoreHalves(dst, _mm256_unpacklo_epi16(vu, ya), _mm256_unpackhi_epi16(vu, ya));
    }
    if (x < width) ReferenceRowKernels().yuyvToVuya(src, dst, width - x, highDefinition);
}

// Without the exact power-of-two scalings, as in the SSE2 form.
KRVX_AVX2 void BgraToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m256i lowByte = _mm256_set1_epi32(0xFF);
    const __m256i bias = _mm256_set1_epi32(128);
    const __m256i opaque = _mm256_set1_epi32(255);
    int32_t x = 0;
    for (; x + 8 <= width; x += 8, src += 32, dst += 32) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        const __m256 b = _mm256_cvtepi32_ps(_mm256_and_si256(in, lowByte));
        const __m256 g = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(in, 8), lowByte));
        const __m256 r = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(in, 16), lowByte));
        __m256 yf = _mm256_mul_ps(_mm256_set1_ps(kRgbToY[0]), r);
        yf = _mm256_add_ps(yf, _mm256_mul_ps(_mm256_set1_ps(kRgbToY[1]), g));
        yf = _mm256_add_ps(yf, _mm256_mul_ps(_mm256_set1_ps(kRgbToY[2]), b));
        __m256 uf = _mm256_mul_ps(_mm256_set1_ps(kRgbToU[0]), r);
        uf = _mm256_sub_ps(uf, _mm256_mul_ps(_mm256_set1_ps(kRgbToU[1]), g));
        uf = _mm256_add_ps(uf, _mm256_mul_ps(_mm256_set1_ps(kRgbToU[2]), b));
        __m256 vf = _mm256_mul_ps(_mm256_set1_ps(kRgbToV[0]), r);
        vf = _mm256_sub_ps(vf, _mm256_mul_ps(_mm256_set1_ps(kRgbToV[1]), g));
        vf = _mm256_sub_ps(vf, _mm256_mul_ps(_mm256_set1_ps(kRgbToV[2]), b));
        const __m256i y = _mm256_cvttps_epi32(yf);
        const __m256i u = _mm256_add_epi32(_mm256_cvttps_epi32(uf), bias);
        const __m256i v = _mm256_add_epi32(_mm256_cvttps_epi32(vf), bias);
        const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(v, y), _mm256_packs_epi32(u, opaque));
        const __m256i vuya = _mm256_unpacklo_epi8(packed, _mm256_srli_si256(packed, 8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst),
                            _mm256_unpacklo_epi16(vuya, _mm256_srli_si256(vuya, 8)));
    }
    if (x < width) ReferenceRowKernels().bgraToVuya(src, dst, width - x);
}

// Eight pixels of four 16-bit samples per step: each sample shifted right by 5 and its low byte
// picked in the order A, R, G, B by one byte shuffle, which also drops the high bytes.
KRVX_AVX2 void Rgb13ToArgb8Row(const int16_t* src, int32_t samplesPerPixel, uint8_t* dst, int32_t width) {
    if (samplesPerPixel != 4) return ReferenceRowKernels().rgb13ToArgb8(src, samplesPerPixel, dst, width);
    // Per lane: pixel 0's A, R, G, B, pixel 1's, then zeros.
    const __m256i order = _mm256_setr_epi8(6, 0, 2, 4, 14, 8, 10, 12, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                           6, 0, 2, 4, 14, 8, 10, 12, -1, -1, -1, -1, -1, -1, -1, -1);
    int32_t x = 0;
    for (; x + 8 <= width; x += 8, src += 32, dst += 32) {
        const __m256i a = _mm256_srli_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src)), 5);
        const __m256i b = _mm256_srli_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 16)), 5);
        // Lanes: pixels 0-1 and 4-5 | 2-3 and 6-7, put back in order.
        const __m256i packed = _mm256_unpacklo_epi64(_mm256_shuffle_epi8(a, order), _mm256_shuffle_epi8(b, order));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_permute4x64_epi64(packed, 0xD8));
    }
    if (x < width) ReferenceRowKernels().rgb13ToArgb8(src, samplesPerPixel, dst, width - x);
}

// Two pixels per step, one in each 128-bit lane: the samples are scaled, each broadcast across its
// lane, and the matrix applied lane-wise as V, U, Y with the reference's order of operations (a - b
// is a + (-b) in floating point, so the signs live in the constants).
KRVX_AVX2 void Rgb13ToVuyaFloatRow(const int16_t* src, int32_t samplesPerPixel, float* dst, int32_t width) {
    const __m256 scale = _mm256_set1_ps(k13BitScale);
    const __m256 red = _mm256_setr_ps(kRgbToV[0], kRgbToU[0], kRgbToY[0], 0.0f, kRgbToV[0], kRgbToU[0], kRgbToY[0], 0.0f);
    const __m256 green =
        _mm256_setr_ps(-kRgbToV[1], -kRgbToU[1], kRgbToY[1], 0.0f, -kRgbToV[1], -kRgbToU[1], kRgbToY[1], 0.0f);
    const __m256 blue =
        _mm256_setr_ps(-kRgbToV[2], kRgbToU[2], kRgbToY[2], 0.0f, -kRgbToV[2], kRgbToU[2], kRgbToY[2], 0.0f);
    const __m256 one = _mm256_set1_ps(1.0f);
    const bool alpha = samplesPerPixel == 4;
    const int32_t step = alpha ? 4 : 3;
    int32_t x = 0;
    // Each pixel is read as four samples, so a 3-sample pixel needs the next one's first sample too.
    for (; x + (alpha ? 2 : 3) <= width; x += 2, src += 2 * step, dst += 8) {
        const __m128i pair = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)),
                                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + step)));
        const __m256 f = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(pair)), scale);
        const __m256 r = _mm256_permute_ps(f, 0x00), g = _mm256_permute_ps(f, 0x55), b = _mm256_permute_ps(f, 0xAA);
        const __m256 vuy = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(red, r), _mm256_mul_ps(green, g)),
                                         _mm256_mul_ps(blue, b));
        _mm256_storeu_ps(dst, _mm256_blend_ps(vuy, alpha ? f : one, 0x88));
    }
    if (x < width) ReferenceRowKernels().rgb13ToVuyaFloat(src, samplesPerPixel, dst, width - x);
}

}  // namespace

namespace detail {
void FillAvx2RowKernels(RowKernels& kernels) {
    kernels.yuyvToBgra = YuyvToBgraRow;
    kernels.yuyvToVuya = YuyvToVuyaRow;
    kernels.bgraToVuya = BgraToVuyaRow;
    kernels.rgb13ToArgb8 = Rgb13ToArgb8Row;
    kernels.rgb13ToVuyaFloat = Rgb13ToVuyaFloatRow;
}
}  // namespace detail

}  // namespace krvx
#endif
