// YUYV 8-bit to VUYA 8-bit scaling with a planar intermediate: each intermediate row holds a Y, a U and
// a V plane of job.planeStride bytes, so the vertical pass filters three samples per pixel instead of
// four, and alpha is added only when the destination row is written.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstring>

#include "convert/ScaleVectorKernels.h"

namespace krvx {
namespace detail {

namespace {

// Four pairs Y0, U, Y1, V: eight luma words, and four U and four V words in the low halves. With
// `rematrix`, per pair m = (25 U + 49 V) >> 8, Y' = Y + m - 37, U' = U - ((28 V) >> 8) + 14, clamped.
struct FourPairs {
    __m128i luma, u, v;
};

inline FourPairs SplitFourPairs(__m128i in, bool rematrix) {
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    __m128i luma = _mm_and_si128(in, lowByte);
    const __m128i uv = _mm_srli_epi16(in, 8);  // U, V, U, V ... as words
    __m128i u32 = _mm_and_si128(uv, _mm_set1_epi32(0xFFFF));
    const __m128i v32 = _mm_srli_epi32(uv, 16);
    if (rematrix) {
        // 25 U + 49 V and 28 V stay below 2^15, so the pair sums are exact.
        const __m128i m = _mm_srai_epi32(_mm_madd_epi16(uv, PairConstant(25, 49)), 8);
        const __m128i m16 = _mm_packs_epi32(m, m);
        const __m128i shift = _mm_sub_epi16(_mm_unpacklo_epi16(m16, m16), _mm_set1_epi16(37));
        luma = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(luma, shift), _mm_setzero_si128()), lowByte);
        const __m128i v28 = _mm_srai_epi32(_mm_madd_epi16(uv, PairConstant(0, 28)), 8);
        u32 = _mm_add_epi32(_mm_sub_epi32(u32, v28), _mm_set1_epi32(14));
    }
    __m128i u16 = _mm_packs_epi32(u32, u32);
    if (rematrix) u16 = _mm_min_epi16(_mm_max_epi16(u16, _mm_setzero_si128()), lowByte);
    return FourPairs{luma, u16, _mm_packs_epi32(v32, v32)};
}

// AVX2 form of SplitFourPairs: four pairs in each 128-bit lane.
struct EightPairs {
    __m256i luma, u, v;
};

__attribute__((target("avx2"))) inline EightPairs SplitEightPairs(__m256i in, bool rematrix) {
    const __m256i lowByte = _mm256_set1_epi16(0xFF);
    __m256i luma = _mm256_and_si256(in, lowByte);
    const __m256i uv = _mm256_srli_epi16(in, 8);
    __m256i u32 = _mm256_and_si256(uv, _mm256_set1_epi32(0xFFFF));
    const __m256i v32 = _mm256_srli_epi32(uv, 16);
    if (rematrix) {
        const __m256i m = _mm256_srai_epi32(_mm256_madd_epi16(uv, _mm256_set1_epi32(25 | (49 << 16))), 8);
        const __m256i m16 = _mm256_packs_epi32(m, m);
        const __m256i shift = _mm256_sub_epi16(_mm256_unpacklo_epi16(m16, m16), _mm256_set1_epi16(37));
        luma = _mm256_min_epi16(_mm256_max_epi16(_mm256_add_epi16(luma, shift), _mm256_setzero_si256()), lowByte);
        const __m256i v28 = _mm256_srai_epi32(_mm256_madd_epi16(uv, _mm256_set1_epi32(28 << 16)), 8);
        u32 = _mm256_add_epi32(_mm256_sub_epi32(u32, v28), _mm256_set1_epi32(14));
    }
    __m256i u16 = _mm256_packs_epi32(u32, u32);
    if (rematrix) u16 = _mm256_min_epi16(_mm256_max_epi16(u16, _mm256_setzero_si256()), lowByte);
    return EightPairs{luma, u16, _mm256_packs_epi32(v32, v32)};
}

// Sixteen chroma words, in order, stored as words or as bytes (they lie within 0..255).
__attribute__((target("avx2"))) inline void StoreChroma16(int16_t* out, __m256i words) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), words);
}
__attribute__((target("avx2"))) inline void StoreChroma16(uint8_t* out, __m256i words) {
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08);
    Store(out, _mm256_castsi256_si128(bytes));
}
inline void StoreChroma8(int16_t* out, __m128i words) {
    Store(out, words);
}
inline void StoreChroma8(uint8_t* out, __m128i words) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

// Sixteen pairs per step; returns the pairs done.
template <typename Chroma>
__attribute__((target("avx2"))) int32_t SplitYuyvAvx2(const uint8_t* row, int32_t pairs, bool rematrix,
                                                      int16_t* y, Chroma* u, Chroma* v) {
    int32_t p = 0;
    for (; p + 16 <= pairs; p += 16) {
        const EightPairs a =
            SplitEightPairs(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * p)), rematrix);
        const EightPairs b =
            SplitEightPairs(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * p + 32)), rematrix);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + 2 * p), a.luma);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + 2 * p + 16), b.luma);
        // Each lane holds four chroma words of a and four of b: put the quarters back in order.
        StoreChroma16(u + p, _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(a.u, b.u), 0xD8));
        StoreChroma16(v + p, _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(a.v, b.v), 0xD8));
    }
    return p;
}

// One YUYV row into a 16-bit Y plane and U and V planes of words (to be filtered) or of bytes (when
// the chroma pass copies).
template <typename Chroma>
void SplitYuyv(const uint8_t* row, int32_t width, bool rematrix, bool avx2, int16_t* y, Chroma* u, Chroma* v) {
    const int32_t pairs = width / 2;
    int32_t p = avx2 ? SplitYuyvAvx2(row, pairs, rematrix, y, u, v) : 0;
    for (; p + 8 <= pairs; p += 8) {
        const FourPairs a = SplitFourPairs(Load(row + 4 * p), rematrix);
        const FourPairs b = SplitFourPairs(Load(row + 4 * p + 16), rematrix);
        Store(y + 2 * p, a.luma);
        Store(y + 2 * p + 8, b.luma);
        StoreChroma8(u + p, _mm_unpacklo_epi64(a.u, b.u));
        StoreChroma8(v + p, _mm_unpacklo_epi64(a.v, b.v));
    }
    for (; p < pairs; ++p) {
        const uint8_t* in = row + 4 * p;
        if (rematrix) {
            const int32_t m = (25 * in[1] + 49 * in[3]) >> 8;
            y[2 * p] = ClampByte(in[0] + m - 37);
            y[2 * p + 1] = ClampByte(in[2] + m - 37);
            u[p] = ClampByte(in[1] - ((28 * in[3]) >> 8) + 14);
        } else {
            y[2 * p] = in[0];
            y[2 * p + 1] = in[2];
            u[p] = in[1];
        }
        v[p] = in[3];
    }
    // The unpaired last pixel of an odd row is taken as it is.
    if (width & 1) y[width - 1] = row[2 * (width - 1)];
}

}  // namespace

void YuyvPlanarHorizontal(const ScaleJob& job, int32_t r, uint8_t* scratch) {
    const int32_t width = job.sourceWidth;
    const int32_t pairs = width / 2;
    int16_t* y = reinterpret_cast<int16_t*>(scratch);
    int16_t* u = y + ((width + 15) & ~7);
    int16_t* v = u + ((pairs + 15) & ~7);
    const uint8_t* row = RowAt(job.source, r, job.sourcePitch);
    const bool rematrix = job.highDefinition && job.destinationHeight <= 576;

    // The frame is turned over here.
    uint8_t* out = RowAt(job.intermediate, job.sourceHeight - 1 - r, job.intermediatePitch);
    const int32_t stride = job.planeStride;
    const int32_t padding = stride - job.destinationWidth;
    if (job.chroma.identity) {
        SplitYuyv(row, width, rematrix, job.avx2, y, out + stride, out + 2 * stride);
    } else {
        SplitYuyv(row, width, rematrix, job.avx2, y, u, v);
        DotPlaneBytes(job, u, job.chroma, out + stride);
        DotPlaneBytes(job, v, job.chroma, out + 2 * stride);
    }
    DotPlaneBytes(job, y, job.horizontal, out);
    for (int32_t plane = 1; plane <= 3; ++plane) std::memset(out + plane * stride - padding, 0, padding);
}

void YuyvPlanarVertical(const ScaleJob& job, int32_t row, uint8_t* scratch) {
    const int32_t stride = job.planeStride;
    VerticalBytes(job, row, 3 * stride, scratch);
    InterleaveFourPlanes(scratch + 2 * stride, scratch + stride, scratch, nullptr, job.destinationWidth,
                         RowAt(job.destination, row, job.destinationPitch));
}

}  // namespace detail
}  // namespace krvx
#endif
