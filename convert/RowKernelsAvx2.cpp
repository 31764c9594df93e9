// AVX2 forms of the hot row conversions: the SSE2 algorithms on both 128-bit lanes at once (every
// shuffle and pack works within a lane), with the two halves put back in pixel order on the store.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "convert/ColorConstants.h"
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

KRVX_AVX2 void YuyvToBgraRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i bias = _mm256_set1_epi16(128);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i red = PairConstant(1, 230);
    const __m256i blue = PairConstant(1, 270);
    const __m256i greenYU = PairConstant(2, -55);
    const __m256i greenV = PairConstant(-137, 0);
    const __m256i opaque = _mm256_set1_epi8(static_cast<char>(0xFF));
    int32_t x = 0;
    for (; x + 16 <= width; x += 16, src += 32, dst += 64) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        __m256i y = Clamp16(_mm256_and_si256(in, lowBytes), 16, 235);
        y = _mm256_mullo_epi16(_mm256_sub_epi16(y, _mm256_set1_epi16(16)), _mm256_set1_epi16(149));
        const __m256i c = _mm256_sub_epi16(Clamp16(_mm256_srli_epi16(in, 8), 16, 240), bias);
        const __m256i u = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(c, 0xA0), 0xA0);
        const __m256i v = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(c, 0xF5), 0xF5);
        const __m256i yuLo = _mm256_unpacklo_epi16(y, u), yuHi = _mm256_unpackhi_epi16(y, u);
        const __m256i rLo = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(y, v), red), 7);
        const __m256i rHi = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(y, v), red), 7);
        const __m256i bLo = _mm256_srai_epi32(_mm256_madd_epi16(yuLo, blue), 7);
        const __m256i bHi = _mm256_srai_epi32(_mm256_madd_epi16(yuHi, blue), 7);
        const __m256i gLo =
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(yuLo, greenYU),
                                               _mm256_madd_epi16(_mm256_unpacklo_epi16(v, zero), greenV)),
                              8);
        const __m256i gHi =
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(yuHi, greenYU),
                                               _mm256_madd_epi16(_mm256_unpackhi_epi16(v, zero), greenV)),
                              8);
        const __m256i b8 = _mm256_packus_epi16(_mm256_packs_epi32(bLo, bHi), zero);
        const __m256i g8 = _mm256_packus_epi16(_mm256_packs_epi32(gLo, gHi), zero);
        const __m256i r8 = _mm256_packus_epi16(_mm256_packs_epi32(rLo, rHi), zero);
        const __m256i bg = _mm256_unpacklo_epi8(b8, g8);
        const __m256i ra = _mm256_unpacklo_epi8(r8, opaque);
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

}  // namespace

namespace detail {
void FillAvx2RowKernels(RowKernels& kernels) {
    kernels.yuyvToBgra = YuyvToBgraRow;
    kernels.yuyvToVuya = YuyvToVuyaRow;
    kernels.bgraToVuya = BgraToVuyaRow;
}
}  // namespace detail

}  // namespace krvx
#endif
