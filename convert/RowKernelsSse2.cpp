// SSE2 forms of the hot row conversions. Each handles whole groups of pixels and leaves the tail of
// the row to the reference kernel, so odd widths give the same bytes.
#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include "convert/ColourConstants.h"
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

// Four pixels per step, in single precision with the reference's order of operations. Scaling by
// 1/256 before and by 256 after changes only exponents, so both are left out: the bits are the same.
void BgraToVuyaRow(const uint8_t* src, uint8_t* dst, int32_t width) {
    const __m128i lowByte = _mm_set1_epi32(0xFF);
    const __m128i bias = _mm_set1_epi32(128);
    const __m128i opaque = _mm_set1_epi32(255);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, src += 16, dst += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128 b = _mm_cvtepi32_ps(_mm_and_si128(in, lowByte));
        const __m128 g = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(in, 8), lowByte));
        const __m128 r = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(in, 16), lowByte));
        __m128 yf = _mm_mul_ps(_mm_set1_ps(kRgbToY[0]), r);
        yf = _mm_add_ps(yf, _mm_mul_ps(_mm_set1_ps(kRgbToY[1]), g));
        yf = _mm_add_ps(yf, _mm_mul_ps(_mm_set1_ps(kRgbToY[2]), b));
        __m128 uf = _mm_mul_ps(_mm_set1_ps(kRgbToU[0]), r);
        uf = _mm_sub_ps(uf, _mm_mul_ps(_mm_set1_ps(kRgbToU[1]), g));
        uf = _mm_add_ps(uf, _mm_mul_ps(_mm_set1_ps(kRgbToU[2]), b));
        __m128 vf = _mm_mul_ps(_mm_set1_ps(kRgbToV[0]), r);
        vf = _mm_sub_ps(vf, _mm_mul_ps(_mm_set1_ps(kRgbToV[1]), g));
        vf = _mm_sub_ps(vf, _mm_mul_ps(_mm_set1_ps(kRgbToV[2]), b));
        const __m128i y = _mm_cvttps_epi32(yf);
        const __m128i u = _mm_add_epi32(_mm_cvttps_epi32(uf), bias);
        const __m128i v = _mm_add_epi32(_mm_cvttps_epi32(vf), bias);
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

// Four pixels (two pairs) per step, in the reference's order of single-precision operations. The
// second pixel of each pair takes the mean of its pair's and the next pair's chroma while that next
// pair lies inside the row; otherwise the mean of the pair's chroma with itself, which is that chroma.
void Yu64ToVuyaFloatRow(const uint16_t* src, float* dst, int32_t width, bool highDefinition, bool interpolate) {
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    const __m128 k = _mm_set1_ps(kWordScale);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 chromaRange = _mm_set1_ps(kChromaRange);
    const __m128 lumaRange = _mm_set1_ps(kLumaRange);
    const __m128 lumaFloor = _mm_set1_ps(kLumaFloor);
    const __m128 one = _mm_set1_ps(1.0f);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, src += 8, dst += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));  // Y0 V0 Y1 U0 Y2 V1 Y3 U1
        const __m128 y = _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(in, low16)), k);
        const __m128 c = _mm_sub_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(in, 16)), k), half);  // cr0 cb0 cr1 cb1
        __m128 following = c;
        if (interpolate && x + 4 < width) {
            const __m128i next = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + 8));
            following = _mm_sub_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(next, 16)), k), half);  // cr2 cb2
            following = _mm_shuffle_ps(c, following, _MM_SHUFFLE(1, 0, 3, 2));  // cr1 cb1 cr2 cb2
        } else if (interpolate) {
            following = _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 2, 3, 2));  // the last pair keeps its own
        }
        const __m128 mean = interpolate ? _mm_mul_ps(_mm_add_ps(c, following), half) : c;
        const __m128 lo = _mm_unpacklo_ps(c, mean);  // cr0 cr0' cb0 cb0'
        const __m128 hi = _mm_unpackhi_ps(c, mean);  // cr1 cr1' cb1 cb1'
        __m128 cr = _mm_movelh_ps(lo, hi);
        __m128 cb = _mm_movehl_ps(hi, lo);
        __m128 luma = y;
        if (highDefinition) {
            luma = _mm_add_ps(_mm_add_ps(y, _mm_mul_ps(_mm_set1_ps(0.099603f), cb)), _mm_mul_ps(_mm_set1_ps(0.191027f), cr));
            const __m128 blue = _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(0.990013f), cb), _mm_mul_ps(_mm_set1_ps(0.109279f), cr));
            const __m128 red = _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(0.983392f), cr), _mm_mul_ps(_mm_set1_ps(0.072404f), cb));
            cb = blue;
            cr = red;
        }
        __m128 p0 = _mm_mul_ps(cr, chromaRange), p1 = _mm_mul_ps(cb, chromaRange);
        __m128 p2 = _mm_mul_ps(_mm_sub_ps(luma, lumaFloor), lumaRange), p3 = one;
        _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
        _mm_storeu_ps(dst, p0);
        _mm_storeu_ps(dst + 4, p1);
        _mm_storeu_ps(dst + 8, p2);
        _mm_storeu_ps(dst + 12, p3);
    }
    if (x < width) Ref().yu64ToVuyaFloat(src, dst, width - x, highDefinition, interpolate);
}

// Two pixels per step: halve every sample and reverse the four of each pixel.
void Rgba16ToBgra16Row(const uint16_t* src, uint16_t* dst, int32_t width) {
    int32_t x = 0;
    for (; x + 2 <= width; x += 2, src += 8, dst += 8) {
        const __m128i in = _mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)), 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_shufflehi_epi16(_mm_shufflelo_epi16(in, _MM_SHUFFLE(0, 1, 2, 3)), _MM_SHUFFLE(0, 1, 2, 3)));
    }
    if (x < width) Ref().rgba16ToBgra16(src, dst, width - x);
}

// Four W13A pixels per step: each sample as unsigned >> 5, low byte, reordered to A, R, G, B.
void Rgb13ToArgb8Row(const int16_t* src, int32_t samplesPerPixel, uint8_t* dst, int32_t width) {
    if (samplesPerPixel != 4) return Ref().rgb13ToArgb8(src, samplesPerPixel, dst, width);
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, src += 16, dst += 16) {
        __m128i a = _mm_and_si128(_mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)), 5), lowByte);
        __m128i b = _mm_and_si128(_mm_srli_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8)), 5), lowByte);
        a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, _MM_SHUFFLE(2, 1, 0, 3)), _MM_SHUFFLE(2, 1, 0, 3));
        b = _mm_shufflehi_epi16(_mm_shufflelo_epi16(b, _MM_SHUFFLE(2, 1, 0, 3)), _MM_SHUFFLE(2, 1, 0, 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(a, b));
    }
    if (x < width) Ref().rgb13ToArgb8(src, samplesPerPixel, dst, width - x);
}

}  // namespace

namespace detail {
void FillSse2RowKernels(RowKernels& kernels) {
    kernels.yuyvToBgra = YuyvToBgraRow;
    kernels.yuyvToVuya = YuyvToVuyaRow;
    kernels.bgraToVuya = BgraToVuyaRow;
    kernels.reverseBytes = ReverseBytesRow;
    kernels.rgb13ToArgb8 = Rgb13ToArgb8Row;
    kernels.yu64ToVuyaFloat = Yu64ToVuyaFloatRow;
    kernels.rgba16ToBgra16 = Rgba16ToBgra16Row;
}
}  // namespace detail

}  // namespace krvx
#endif
