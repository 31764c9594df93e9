// AVX2 forms of the scaling passes, called by the SSE2 drivers (ScaleKernelsSse2.cpp) when the job
// says so. They give the same bytes as the SSE2 forms they stand in for.
#if defined(__x86_64__) || defined(__i386__)
#include "convert/ScaleKernelsAvx2.h"

#include <immintrin.h>

#include "convert/ScaleJob.h"
#include "convert/ScaleVectorKernels.h"

namespace krvx {
namespace detail {

// AVX2 form: sixteen taps per multiply-add, and a last eight with SSE2 when the span needs it.
__attribute__((target("avx2"))) void DotPlaneAvx2(const int16_t* src, const DenseTaps& taps, int32_t* out) {
    const int32_t span = taps.span;
    const int32_t wide = span & ~15;
    int32_t p = 0;
    if (span == 8) {
        // One position per lane: the weights of neighbouring positions lie side by side.
        for (; p + 4 <= taps.positions; p += 4) {
            const int16_t* w = taps.weights + static_cast<size_t>(p) * 8;
            const __m256i a =
                _mm256_madd_epi16(_mm256_set_m128i(Load(src + taps.first[p + 1]), Load(src + taps.first[p])),
                                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w)));
            const __m256i b = _mm256_madd_epi16(
                _mm256_set_m128i(Load(src + taps.first[p + 3]), Load(src + taps.first[p + 2])),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + 16)));
            const __m256i h = _mm256_hadd_epi32(a, b);
            const __m256i h2 = _mm256_hadd_epi32(h, h);  // lanes: p, p+2 | p+1, p+3
            Store(out + p, _mm_unpacklo_epi32(_mm256_castsi256_si128(h2), _mm256_extracti128_si256(h2, 1)));
        }
    }
    for (; p + 4 <= taps.positions; p += 4) {
        __m128i acc[4];
        for (int32_t k = 0; k < 4; ++k) {
            const int16_t* s = src + taps.first[p + k];
            const int16_t* w = taps.weights + static_cast<size_t>(p + k) * span;
            __m256i a = _mm256_setzero_si256();
            for (int32_t m = 0; m < wide; m += 16)
                a = _mm256_add_epi32(
                    a, _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + m)),
                                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + m))));
            __m128i folded = _mm_add_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
            if (wide < span) folded = _mm_add_epi32(folded, _mm_madd_epi16(Load(s + wide), Load(w + wide)));
            acc[k] = folded;
        }
        Store(out + p, SumLanes4(acc));
    }
    DotTail(src, taps, p, out);
}

namespace {

// Sum over the span of one position as eight 32-bit partial sums. A span known when compiling
// (kSpan > 0) unrolls the loop; 0 takes it from `span`.
template <int32_t kSpan>
__attribute__((target("avx2"))) inline __m256i MaddSpanAvx2(const int16_t* s, const int16_t* w, int32_t span) {
    const int32_t n = kSpan > 0 ? kSpan : span;
    __m256i a = _mm256_setzero_si256();
    int32_t m = 0;
    for (; m + 16 <= n; m += 16)
        a = _mm256_add_epi32(a, _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + m)),
                                                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + m))));
    if (m < n) a = _mm256_add_epi32(a, _mm256_zextsi128_si256(_mm_madd_epi16(Load(s + m), Load(w + m))));
    return a;
}

// Eight positions per step: their partial sums are folded together with three rounds of pair-wise
// adds, then shifted, clamped and stored as bytes. Returns the positions done.
template <int32_t kSpan>
__attribute__((target("avx2"))) int32_t DotPlaneBytesAvx2(const int16_t* src, const DenseTaps& taps,
                                                          uint8_t* out, int32_t begin, int32_t end) {
    const int32_t span = kSpan > 0 ? kSpan : taps.span;
    int32_t p = begin;
    for (; p + 8 <= end; p += 8) {
        const int16_t* w = taps.weights + static_cast<size_t>(p) * span;
        const int32_t* first = taps.first + p;
        const __m256i h01 = _mm256_hadd_epi32(MaddSpanAvx2<kSpan>(src + first[0], w, span),
                                              MaddSpanAvx2<kSpan>(src + first[1], w + span, span));
        const __m256i h23 = _mm256_hadd_epi32(MaddSpanAvx2<kSpan>(src + first[2], w + 2 * span, span),
                                              MaddSpanAvx2<kSpan>(src + first[3], w + 3 * span, span));
        const __m256i h45 = _mm256_hadd_epi32(MaddSpanAvx2<kSpan>(src + first[4], w + 4 * span, span),
                                              MaddSpanAvx2<kSpan>(src + first[5], w + 5 * span, span));
        const __m256i h67 = _mm256_hadd_epi32(MaddSpanAvx2<kSpan>(src + first[6], w + 6 * span, span),
                                              MaddSpanAvx2<kSpan>(src + first[7], w + 7 * span, span));
        const __m256i low = _mm256_hadd_epi32(h01, h23);   // positions 0-3: low halves | high halves
        const __m256i high = _mm256_hadd_epi32(h45, h67);  // positions 4-7 likewise
        const __m256i sums = _mm256_srai_epi32(
            _mm256_add_epi32(_mm256_permute2x128_si256(low, high, 0x20), _mm256_permute2x128_si256(low, high, 0x31)),
            8);
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p), _mm_packus_epi16(words, words));
    }
    return p;
}

}  // namespace

int32_t DotPlaneBytesAvx2(const int16_t* src, const DenseTaps& taps, uint8_t* out, int32_t begin, int32_t end) {
    switch (taps.span) {
        case 8:
            return DotPlaneBytesAvx2<8>(src, taps, out, begin, end);
        case 16:
            return DotPlaneBytesAvx2<16>(src, taps, out, begin, end);
        case 24:
            return DotPlaneBytesAvx2<24>(src, taps, out, begin, end);
        case 32:
            return DotPlaneBytesAvx2<32>(src, taps, out, begin, end);
        default:
            return DotPlaneBytesAvx2<0>(src, taps, out, begin, end);
    }
}

namespace {

// The halving run of a pass: eight positions per step, each 32-bit lane of a multiply-add being one
// position's pair of taps, so no sums need folding across lanes. Position p's taps start at src[2 p]
// with weights w. kPairs > 0 fixes the number of tap pairs when compiling, so that their weights stay
// in registers.
template <int32_t kPairs>
__attribute__((target("avx2"))) void HalvingRunAvx2(const int16_t* src, const DenseTaps& taps, const int16_t* w,
                                                    int32_t pairCount, uint8_t* out) {
    const int32_t count = kPairs > 0 ? kPairs : pairCount;
    __m256i pairs[kPairs > 0 ? kPairs : kMaxLanczosTaps / 2];
    for (int32_t k = 0; k < count; ++k)
        pairs[k] = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(w[2 * k])) |
                                     static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(w[2 * k + 1]))
                                                          << 16));
    for (int32_t p = taps.runFrom; p < taps.runTo; p += 8) {
        const int16_t* s = src + 2 * p;
        __m256i sum = _mm256_setzero_si256();
        for (int32_t k = 0; k < count; ++k)
            sum = _mm256_add_epi32(
                sum, _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 2 * k)), pairs[k]));
        sum = _mm256_srai_epi32(sum, 8);
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p), _mm_packus_epi16(words, words));
    }
}

// The quartering run of a pass: a multiply-add over sixteen samples from src[4 p] covers positions p
// to p + 3, two 32-bit lanes each (taps 4 j, 4 j + 1 and 4 j + 2, 4 j + 3 of quad j); the lane pairs are
// added once at the end. Position p's taps start at src[4 p] with weights w.
template <int32_t kQuads>
__attribute__((target("avx2"))) void QuarteringRunAvx2(const int16_t* src, const DenseTaps& taps, const int16_t* w,
                                                       int32_t quadCount, uint8_t* out) {
    const int32_t count = kQuads > 0 ? kQuads : quadCount;
    __m256i quads[kQuads > 0 ? kQuads : kMaxLanczosTaps / 4];
    for (int32_t j = 0; j < count; ++j) {
        const int32_t low = static_cast<int32_t>(static_cast<uint16_t>(w[4 * j])) |
                            static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(w[4 * j + 1])) << 16);
        const int32_t high = static_cast<int32_t>(static_cast<uint16_t>(w[4 * j + 2])) |
                             static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(w[4 * j + 3])) << 16);
        quads[j] = _mm256_setr_epi32(low, high, low, high, low, high, low, high);
    }
    for (int32_t p = taps.runFrom; p < taps.runTo; p += 8) {
        const int16_t* s = src + 4 * p;
        __m256i first = _mm256_setzero_si256(), second = first;
        for (int32_t j = 0; j < count; ++j) {
            first = _mm256_add_epi32(
                first, _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * j)), quads[j]));
            second = _mm256_add_epi32(
                second,
                _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 16 + 4 * j)), quads[j]));
        }
        // Lanes: positions 0, 1, 4, 5 | 2, 3, 6, 7, put back in order.
        const __m256i sum =
            _mm256_srai_epi32(_mm256_permute4x64_epi64(_mm256_hadd_epi32(first, second), 0xD8), 8);
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p), _mm_packus_epi16(words, words));
    }
}

}  // namespace

void StridedRunBytesAvx2(const int16_t* src, const DenseTaps& taps, uint8_t* out) {
    // The run's weights without the zeros at either end, in whole pairs or quads of taps; the span is
    // a multiple of 8, so rounding stays inside it.
    const int16_t* w = taps.weights + static_cast<size_t>(taps.runFrom) * taps.span;
    const int32_t group = taps.runStride;
    int32_t lo = 0, hi = 0;
    NonZeroWeights(w, taps.span, &lo, &hi);
    lo -= lo % group;
    hi = (hi + group - 1) / group * group;
    const int32_t groups = (hi - lo) / group;
    const int16_t* s = src + taps.runOffset + lo;
    if (group == 2) {
        switch (groups) {
            case 6:
                return HalvingRunAvx2<6>(s, taps, w + lo, groups, out);
            case 7:
                return HalvingRunAvx2<7>(s, taps, w + lo, groups, out);
            case 8:
                return HalvingRunAvx2<8>(s, taps, w + lo, groups, out);
            default:
                return HalvingRunAvx2<0>(s, taps, w + lo, groups, out);
        }
    }
    switch (groups) {
        case 6:
            return QuarteringRunAvx2<6>(s, taps, w + lo, groups, out);
        case 7:
            return QuarteringRunAvx2<7>(s, taps, w + lo, groups, out);
        case 8:
            return QuarteringRunAvx2<8>(s, taps, w + lo, groups, out);
        default:
            return QuarteringRunAvx2<0>(s, taps, w + lo, groups, out);
    }
}

namespace {

// Byte-multiply forms of the vertical 8-bit sums, 32 bytes at a time. Each weight w is split as
// 16 wh + wl with wl in -8..7, so every product fits a signed byte multiply-add. Taps go in groups of
// at most 16 whose sums H of s x wh and L of s x wl are checked to stay within 16 bits; one group
// finishes in 16 bits, since (16 H + L) >> 8 equals (H + (L >> 4)) >> 4, and two groups add their
// 16 H + L in 32 bits. They return the bytes done (0 when the row's weights do not allow this form).
constexpr int32_t kMaxGroupTaps = 16;

// The split weights of one group of taps as (wh, wh') and (wl, wl') byte pairs; false when a partial
// sum could leave 16 bits.
__attribute__((target("avx2"))) bool SplitWeightPairs(const int16_t* w, int32_t count, __m256i* high, __m256i* low) {
    int32_t highMagnitude = 0, lowMagnitude = 0;
    for (int32_t m = 0; m < count; m += 2) {
        const int32_t h0 = (w[m] + 8) >> 4, h1 = (w[m + 1] + 8) >> 4;
        const int32_t l0 = w[m] - 16 * h0, l1 = w[m + 1] - 16 * h1;
        highMagnitude += (h0 < 0 ? -h0 : h0) + (h1 < 0 ? -h1 : h1);
        lowMagnitude += (l0 < 0 ? -l0 : l0) + (l1 < 0 ? -l1 : l1);
        if (h0 < -128 || h0 > 127 || h1 < -128 || h1 > 127) return false;
        high[m / 2] = _mm256_set1_epi16(static_cast<int16_t>((h0 & 0xFF) | ((h1 & 0xFF) << 8)));
        low[m / 2] = _mm256_set1_epi16(static_cast<int16_t>((l0 & 0xFF) | ((l1 & 0xFF) << 8)));
    }
    // Every partial sum is bounded by 255 times these magnitudes.
    return 255 * highMagnitude <= 32767 && 255 * lowMagnitude <= 32767;
}

// H and L sums of one group over 32 bytes: h0, l0 for the low bytes of each row pair, h1, l1 for the high.
struct GroupSums {
    __m256i h0, h1, l0, l1;
};

__attribute__((target("avx2"))) inline GroupSums SumGroup(const uint8_t* row, intptr_t pitch, int32_t pairs,
                                                          const __m256i* high, const __m256i* low) {
    GroupSums g{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    for (int32_t k = 0; k < pairs; ++k, row += 2 * pitch) {
        const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
        const __m256i r1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + pitch));
        const __m256i lo = _mm256_unpacklo_epi8(r0, r1);
        const __m256i hi = _mm256_unpackhi_epi8(r0, r1);
        g.h0 = _mm256_add_epi16(g.h0, _mm256_maddubs_epi16(lo, high[k]));
        g.h1 = _mm256_add_epi16(g.h1, _mm256_maddubs_epi16(hi, high[k]));
        g.l0 = _mm256_add_epi16(g.l0, _mm256_maddubs_epi16(lo, low[k]));
        g.l1 = _mm256_add_epi16(g.l1, _mm256_maddubs_epi16(hi, low[k]));
    }
    return g;
}

// (16 Ha + La + 16 Hb + Lb) >> 8 in 32 bits, for the low or the high four words of each lane.
template <bool kHigh>
__attribute__((target("avx2"))) inline __m256i GroupTotal(__m256i ha, __m256i la, __m256i hb, __m256i lb,
                                                           __m256i combine) {
    const __m256i a = kHigh ? _mm256_unpackhi_epi16(ha, la) : _mm256_unpacklo_epi16(ha, la);
    const __m256i b = kHigh ? _mm256_unpackhi_epi16(hb, lb) : _mm256_unpacklo_epi16(hb, lb);
    return _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(a, combine), _mm256_madd_epi16(b, combine)), 8);
}

}  // namespace

__attribute__((target("avx2"))) int32_t VerticalBytesSplitAvx2(const ScaleJob& job, const VerticalPairs& taps,
                                                               int32_t bytes, uint8_t* out, uint32_t orMask) {
    if (taps.count > 2 * kMaxGroupTaps) return 0;
    __m256i high[kMaxGroupTaps], low[kMaxGroupTaps];
    const int32_t firstCount = taps.count < kMaxGroupTaps ? taps.count : kMaxGroupTaps;
    const int32_t secondCount = taps.count - firstCount;
    if (!SplitWeightPairs(taps.w, firstCount, high, low) ||
        !SplitWeightPairs(taps.w + firstCount, secondCount, high + kMaxGroupTaps / 2, low + kMaxGroupTaps / 2))
        return 0;
    const __m256i mask = _mm256_set1_epi32(static_cast<int32_t>(orMask));
    const intptr_t pitch = job.intermediatePitch;
    const uint8_t* rows = RowAt(job.intermediate, taps.first, job.intermediatePitch);
    int32_t c = 0;
    if (secondCount == 0) {
        for (; c + 32 <= bytes; c += 32) {
            const GroupSums g = SumGroup(rows + c, pitch, firstCount / 2, high, low);
            const __m256i s0 = _mm256_srai_epi16(_mm256_add_epi16(g.h0, _mm256_srai_epi16(g.l0, 4)), 4);
            const __m256i s1 = _mm256_srai_epi16(_mm256_add_epi16(g.h1, _mm256_srai_epi16(g.l1, 4)), 4);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c),
                                _mm256_or_si256(_mm256_packus_epi16(s0, s1), mask));
        }
        return c;
    }
    // 16 H + L of each group as 32-bit lanes: a multiply-add of (H, L) word pairs by (16, 1).
    const __m256i combine = _mm256_set1_epi32(16 | (1 << 16));
    for (; c + 32 <= bytes; c += 32) {
        const GroupSums a = SumGroup(rows + c, pitch, firstCount / 2, high, low);
        const GroupSums b = SumGroup(rows + c + firstCount * pitch, pitch, secondCount / 2,
                                     high + kMaxGroupTaps / 2, low + kMaxGroupTaps / 2);
        const __m256i s0 = _mm256_packs_epi32(GroupTotal<false>(a.h0, a.l0, b.h0, b.l0, combine),
                                              GroupTotal<true>(a.h0, a.l0, b.h0, b.l0, combine));
        const __m256i s1 = _mm256_packs_epi32(GroupTotal<false>(a.h1, a.l1, b.h1, b.l1, combine),
                                              GroupTotal<true>(a.h1, a.l1, b.h1, b.l1, combine));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c), _mm256_or_si256(_mm256_packus_epi16(s0, s1), mask));
    }
    return c;
}

// AVX2 form of the vertical 8-bit sums, 32 bytes at a time; returns the bytes done.
__attribute__((target("avx2"))) int32_t VerticalBytesAvx2(const ScaleJob& job, const VerticalPairs& taps,
                                                          int32_t bytes, uint8_t* out, uint32_t orMask) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i mask = _mm256_set1_epi32(static_cast<int32_t>(orMask));
    int32_t c = 0;
    for (; c + 32 <= bytes; c += 32) {
        __m256i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        const uint8_t* row = RowAt(job.intermediate, taps.first, job.intermediatePitch) + c;
        for (int32_t m = 0; m < taps.count; m += 2, row += 2 * static_cast<intptr_t>(job.intermediatePitch)) {
            const __m256i pair = _mm256_set1_epi32(
                static_cast<int32_t>(static_cast<uint16_t>(taps.w[m])) |
                static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(taps.w[m + 1])) << 16));
            const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
            const __m256i r1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + job.intermediatePitch));
            const __m256i lo = _mm256_unpacklo_epi8(r0, r1);
            const __m256i hi = _mm256_unpackhi_epi8(r0, r1);
            acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), pair));
            acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), pair));
            acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), pair));
            acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), pair));
        }
        const __m256i lo16 = _mm256_packs_epi32(_mm256_srai_epi32(acc0, 8), _mm256_srai_epi32(acc1, 8));
        const __m256i hi16 = _mm256_packs_epi32(_mm256_srai_epi32(acc2, 8), _mm256_srai_epi32(acc3, 8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c),
                            _mm256_or_si256(_mm256_packus_epi16(lo16, hi16), mask));
    }
    return c;
}

namespace {

// Splits sixteen BGRA pixels per step into 16-bit planes; returns the pixels done.
__attribute__((target("avx2"))) inline int32_t SplitBgraChannelsAvx2(const uint8_t* row, int32_t width,
                                                                     int32_t channels, int16_t* planes,
                                                                     int32_t planeStride) {
    const __m256i low = _mm256_set1_epi32(0xFF);
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * x));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * x + 32));
        for (int32_t c = 0; c < channels; ++c) {
            const __m256i ca = _mm256_and_si256(_mm256_srli_epi32(a, 8 * c), low);
            const __m256i cb = _mm256_and_si256(_mm256_srli_epi32(b, 8 * c), low);
            // packs works per lane: a0-3 b0-3 | a4-7 b4-7, put back in order.
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(planes + c * planeStride + x),
                                _mm256_permute4x64_epi64(_mm256_packs_epi32(ca, cb), 0xD8));
        }
    }
    return x;
}

}  // namespace

// The channel count made a constant when compiling, so that the loop over the channels unrolls (the
// caller is in another file, where the compiler cannot see that it is always 3 or 4).
__attribute__((target("avx2"))) int32_t SplitBgraAvx2(const uint8_t* row, int32_t width, int32_t channels,
                                                      int16_t* planes, int32_t planeStride) {
    switch (channels) {
        case 3:
            return SplitBgraChannelsAvx2(row, width, 3, planes, planeStride);
        case 4:
            return SplitBgraChannelsAvx2(row, width, 4, planes, planeStride);
        default:
            return SplitBgraChannelsAvx2(row, width, channels, planes, planeStride);
    }
}

// AVX2 form of the 16-bit vertical sums, sixteen samples at a time; returns the samples done.
__attribute__((target("avx2"))) int32_t VerticalSums16Avx2(const ScaleJob& job, int32_t first,
                                                           const int16_t* w, int32_t count, int32_t samples,
                                                           int32_t* sums) {
    int32_t c = 0;
    for (; c + 16 <= samples; c += 16) {
        __m256i lo = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
        for (int32_t m = 0; m < count; m += 2) {
            if ((w[m] | w[m + 1]) == 0) continue;
            const __m256i pair = _mm256_set1_epi32(
                static_cast<int32_t>(static_cast<uint16_t>(w[m])) |
                static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(w[m + 1])) << 16));
            const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                RowAt(reinterpret_cast<const int16_t*>(job.intermediate), first + m, job.intermediatePitch) +
                c));
            const __m256i r1 = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(RowAt(reinterpret_cast<const int16_t*>(job.intermediate),
                                                       first + m + 1, job.intermediatePitch) +
                                                 c));
            lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(r0, r1), pair));
            hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(r0, r1), pair));
        }
        lo = _mm256_srai_epi32(lo, 8);
        hi = _mm256_srai_epi32(hi, 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + c), _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + c + 8),
                            _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return c;
}

}  // namespace detail
}  // namespace krvx
#endif
