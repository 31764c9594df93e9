// SSE2 forms of the hot row conversions. Each handles whole groups of pixels and leaves the tail of
// the row to the reference kernel, so odd widths give the same bytes.
#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include "convert/ColorConstants.h"
#include "convert/RowKernels.h"

namespace krvx {

namespace {

const RowKernels& Ref() {
    return ReferenceRowKernels();
}

inline __m128i PairConstant(int16_t low, int16_t high) {
    return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(low)) |
                          static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}

inline __m128i Clamp16(__m128i value, int16_t low, int16_t high) {
    return _mm_min_epi16(_mm_max_epi16(value, _mm_set1_epi16(low)), _mm_set1_epi16(high));
}

// Eight pixels (16 bytes of YUYV) per step. y = (Y - 16) * 19072 >> 7 is (Y - 16) * 149 exactly.
void YuyvToBgraRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i zero = _mm_setzero_si128();
    const __m128i red = PairConstant(1, 230);
    const __m128i blue = PairConstant(1, 270);
    const __m128i greenYU = PairConstant(2, -55);
    const __m128i greenV = PairConstant(-137, 0);
    const __m128i opaque = _mm_set1_epi8(static_cast<char>(0xFF));
    int32_t x = 0;
    for (; x + 8 <= width; x += 8, src += 16, dst += 32) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        __m128i y = Clamp16(_mm_and_si128(in, lowBytes), 16, 235);
        y = _mm_mullo_epi16(_mm_sub_epi16(y, _mm_set1_epi16(16)), _mm_set1_epi16(149));
        const __m128i c = _mm_sub_epi16(Clamp16(_mm_srli_epi16(in, 8), 16, 240), bias);
        const __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xA0), 0xA0);
        const __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xF5), 0xF5);

        __m128i rLo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(y, v), red), 7);
        __m128i rHi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(y, v), red), 7);
        __m128i bLo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(y, u), blue), 7);
        __m128i bHi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(y, u), blue), 7);
        __m128i gLo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(y, u), greenYU),
                                    _mm_madd_epi16(_mm_unpacklo_epi16(v, zero), greenV));
        __m128i gHi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(y, u), greenYU),
                                    _mm_madd_epi16(_mm_unpackhi_epi16(v, zero), greenV));
        gLo = _mm_srai_epi32(gLo, 8);
        gHi = _mm_srai_epi32(gHi, 8);

        const __m128i b8 = _mm_packus_epi16(_mm_packs_epi32(bLo, bHi), zero);
        const __m128i g8 = _mm_packus_epi16(_mm_packs_epi32(gLo, gHi), zero);
        const __m128i r8 = _mm_packus_epi16(_mm_packs_epi32(rLo, rHi), zero);
        const __m128i bg = _mm_unpacklo_epi8(b8, g8);
        const __m128i ra = _mm_unpacklo_epi8(r8, opaque);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi16(bg, ra));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_unpackhi_epi16(bg, ra));
    }
    if (x < width) Ref().yuyvToBgra(src, dst, width - x);
}

// Eight pixels per step. The re-matrixed luma ((Y - 16) * 8192 + m) >> 13 + 16 equals Y + (m >> 13),
// since the first term is a whole multiple of 8192; m and the chroma sums are formed per pair in 32 bits.
void YuyvToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width, bool highDefinition) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i alpha = _mm_set1_epi16(static_cast<int16_t>(0xFF00));
    const __m128i bias16 = _mm_set1_epi16(128);
    const __m128i bias32 = _mm_set1_epi32(128);
    const __m128i lumaShift = PairConstant(815, 1568);
    const __m128i toU = PairConstant(8110, -895);
    const __m128i toV = PairConstant(-590, 8056);
    int32_t x = 0;
    for (; x + 8 <= width; x += 8, src += 16, dst += 32) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        __m128i y = _mm_and_si128(in, lowBytes);
        const __m128i uv = _mm_srli_epi16(in, 8);
        __m128i vu;
        if (highDefinition) {
            const __m128i c = _mm_sub_epi16(uv, bias16);
            const __m128i m = _mm_srai_epi32(_mm_madd_epi16(c, lumaShift), 13);
            const __m128i u = _mm_add_epi32(_mm_srai_epi32(_mm_madd_epi16(c, toU), 13), bias32);
            const __m128i v = _mm_add_epi32(_mm_srai_epi32(_mm_madd_epi16(c, toV), 13), bias32);
            const __m128i m16 = _mm_packs_epi32(m, m);
            y = Clamp16(_mm_add_epi16(y, _mm_unpacklo_epi16(m16, m16)), 0, 255);
            const __m128i uvClamped = Clamp16(_mm_packs_epi32(u, v), 0, 255);  // u0..u3, v0..v3
            const __m128i pairs = _mm_or_si128(_mm_srli_si128(uvClamped, 8), _mm_slli_epi16(uvClamped, 8));
            vu = _mm_unpacklo_epi16(pairs, pairs);
        } else {
            // Per 32-bit lane U | V << 16 becomes V | U << 8 in its low half, then each pair is doubled.
            const __m128i pairs = _mm_or_si128(_mm_srli_epi32(uv, 16), _mm_slli_epi32(uv, 8));
            vu = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pairs, 0xA0), 0xA0);
        }
        const __m128i ya = _mm_or_si128(y, alpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi16(vu, ya));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_unpackhi_epi16(vu, ya));
    }
    if (x < width) Ref().yuyvToVuya(src, dst, width - x, highDefinition);
}

// Four pixels per step, in single precision with the reference's order of operations.
void BgraToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m128i lowByte = _mm_set1_epi32(0xFF);
    const __m128 scale = _mm_set1_ps(kByteScale);
    const __m128 full = _mm_set1_ps(256.0f);
    const __m128i bias = _mm_set1_epi32(128);
    const __m128i opaque = _mm_set1_epi32(255);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, src += 16, dst += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128 b = _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(in, lowByte)), scale);
        const __m128 g = _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(in, 8), lowByte)), scale);
        const __m128 r = _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(in, 16), lowByte)), scale);
        __m128 yf = _mm_mul_ps(_mm_set1_ps(kRgbToY[0]), r);
        yf = _mm_add_ps(yf, _mm_mul_ps(_mm_set1_ps(kRgbToY[1]), g));
        yf = _mm_add_ps(yf, _mm_mul_ps(_mm_set1_ps(kRgbToY[2]), b));
        __m128 uf = _mm_mul_ps(_mm_set1_ps(kRgbToU[0]), r);
        uf = _mm_sub_ps(uf, _mm_mul_ps(_mm_set1_ps(kRgbToU[1]), g));
        uf = _mm_add_ps(uf, _mm_mul_ps(_mm_set1_ps(kRgbToU[2]), b));
        __m128 vf = _mm_mul_ps(_mm_set1_ps(kRgbToV[0]), r);
        vf = _mm_sub_ps(vf, _mm_mul_ps(_mm_set1_ps(kRgbToV[1]), g));
        vf = _mm_sub_ps(vf, _mm_mul_ps(_mm_set1_ps(kRgbToV[2]), b));
        const __m128i y = _mm_cvttps_epi32(_mm_mul_ps(yf, full));
        const __m128i u = _mm_add_epi32(_mm_cvttps_epi32(_mm_mul_ps(uf, full)), bias);
        const __m128i v = _mm_add_epi32(_mm_cvttps_epi32(_mm_mul_ps(vf, full)), bias);
        // Saturating packs clamp to 0..255: bytes v0..v3 y0..y3 u0..u3 255 x 4, then interleaved.
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(v, y), _mm_packs_epi32(u, opaque));
        const __m128i vuya = _mm_unpacklo_epi8(packed, _mm_srli_si128(packed, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi16(vuya, _mm_srli_si128(vuya, 8)));
    }
    if (x < width) Ref().bgraToVuya(src, dst, width - x);
}

// Swap the bytes of each 16-bit half, then the halves of each pixel.
void ReverseBytesRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, src += 16, dst += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i swapped = _mm_or_si128(_mm_slli_epi16(in, 8), _mm_srli_epi16(in, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_shufflehi_epi16(_mm_shufflelo_epi16(swapped, 0xB1), 0xB1));
    }
    if (x < width) Ref().reverseBytes(src, dst, width - x);
}

}  // namespace

namespace detail {
void FillSse2RowKernels(RowKernels& kernels) {
    kernels.yuyvToBgra = YuyvToBgraRow;
    kernels.yuyvToVuya = YuyvToVuyaRow;
    kernels.bgraToVuya = BgraToVuyaRow;
    kernels.reverseBytes = ReverseBytesRow;
}
}  // namespace detail

}  // namespace krvx
#endif
