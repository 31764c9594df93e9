// Building blocks shared by the vector forms of the scaling passes (SSE2 always, AVX2 when the job
// says so). They sum the same products as the reference routines in 32-bit integers, so the bytes
// are the same.
#pragma once
#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "convert/ScaleJob.h"

namespace krvx {
namespace detail {

template <typename T>
inline T* RowAt(T* base, int32_t row, int32_t pitch) {
    return reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(base) + static_cast<intptr_t>(row) * pitch);
}

inline __m128i Load(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
inline void Store(void* p, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

// Four 32-bit lanes of the 16-bit pair (low, high), as a multiply-add takes two weights.
inline __m128i PairConstant(int32_t low, int32_t high) {
    return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(low)) |
                          static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}

inline uint8_t ClampByte(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// The four lane sums of four accumulators, as one vector of four 32-bit totals.
inline __m128i SumLanes4(const __m128i (&acc)[4]) {
    const __m128i t0 = _mm_add_epi32(_mm_unpacklo_epi32(acc[0], acc[1]), _mm_unpackhi_epi32(acc[0], acc[1]));
    const __m128i t1 = _mm_add_epi32(_mm_unpacklo_epi32(acc[2], acc[3]), _mm_unpackhi_epi32(acc[2], acc[3]));
    return _mm_add_epi32(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1));
}

// The positions from p on, one at a time.
inline void DotTail(const int16_t* src, const DenseTaps& taps, int32_t p, int32_t* out) {
    for (; p < taps.positions; ++p) {
        const int16_t* s = src + taps.first[p];
        const int16_t* w = taps.weights + static_cast<size_t>(p) * taps.span;
        int32_t sum = 0;
        for (int32_t m = 0; m < taps.span; ++m) sum += s[m] * w[m];
        out[p] = sum;
    }
}

// The weights lo .. hi - 1 of a dense row of `span` that lie between its first and last non-zero one.
inline void NonZeroWeights(const int16_t* w, int32_t span, int32_t* lo, int32_t* hi) {
    *lo = 0;
    *hi = span;
    while (*lo < *hi && w[*lo] == 0) ++*lo;
    while (*hi > *lo && w[*hi - 1] == 0) --*hi;
}

// The taps of destination row y that can be non-zero, in pairs: rows first + lo .. first + lo + count - 1.
struct VerticalPairs {
    int32_t first;
    const int16_t* w;  // weight of row first + lo + m is w[m]
    int32_t count;     // even
};

// out[p] = clamp((sum over the span of src[first[p] + m] x weight[p][m]) >> 8, 0, 255) for every
// position of `taps`.
void DotPlaneBytes(const ScaleJob& job, const int16_t* src, const DenseTaps& taps, uint8_t* out);

// Four byte planes into four-byte pixels c0, c1, c2, c3; a null c3 writes 255.
void InterleaveFourPlanes(const uint8_t* c0, const uint8_t* c1, const uint8_t* c2, const uint8_t* c3,
                          int32_t width, uint8_t* out);

// Vertical pass of destination row y over `bytes` bytes of an 8-bit intermediate: each byte the sum
// over the row's taps shifted right by 8 and clamped to 0..255.
void VerticalBytes(const ScaleJob& job, int32_t y, int32_t bytes, uint8_t* out);

// The routines of the YUYV to VUYA 8-bit job with a planar intermediate (ScaleYuyvSse2.cpp).
void YuyvPlanarHorizontal(const ScaleJob& job, int32_t r, uint8_t* scratch);
void YuyvPlanarVertical(const ScaleJob& job, int32_t y, uint8_t* scratch);

}  // namespace detail
}  // namespace krvx
#endif
