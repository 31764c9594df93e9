// SSE2 forms of the scaling passes. They use the dense tap form (zero weights where a table has no
// tap), which sums the same products as the reference in 32-bit integers, so the bytes are the same.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstring>

#include "convert/ColorConstants.h"
#include "convert/ScaleJob.h"

namespace krvx {
namespace detail {

namespace {

inline __m128i PairConstant(int32_t low, int32_t high) {
    return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(low)) |
                          static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}

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

// The four lane sums of four accumulators, as one vector of four 32-bit totals.
inline __m128i SumLanes4(const __m128i (&acc)[4]) {
    const __m128i t0 = _mm_add_epi32(_mm_unpacklo_epi32(acc[0], acc[1]), _mm_unpackhi_epi32(acc[0], acc[1]));
    const __m128i t1 = _mm_add_epi32(_mm_unpacklo_epi32(acc[2], acc[3]), _mm_unpackhi_epi32(acc[2], acc[3]));
    return _mm_add_epi32(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1));
}

// The positions from p on, one at a time.
void DotTail(const int16_t* src, const DenseTaps& taps, int32_t p, int32_t* out) {
    for (; p < taps.positions; ++p) {
        const int16_t* s = src + taps.first[p];
        const int16_t* w = taps.weights + static_cast<size_t>(p) * taps.span;
        int32_t sum = 0;
        for (int32_t m = 0; m < taps.span; ++m) sum += s[m] * w[m];
        out[p] = sum;
    }
}

void DotPlaneSse2(const int16_t* src, const DenseTaps& taps, int32_t* out);

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

// out[p] = sum over m < span of src[first[p] + m] x weight[p][m].
void DotPlane(const ScaleJob& job, const int16_t* src, const DenseTaps& taps, int32_t* out) {
    if (taps.identity) {
        for (int32_t p = 0; p < taps.positions; ++p) out[p] = src[p] * 256;
        return;
    }
    if (job.avx2)
        DotPlaneAvx2(src, taps, out);
    else
        DotPlaneSse2(src, taps, out);
}

// Four positions at a time, eight taps per multiply-add.
void DotPlaneSse2(const int16_t* src, const DenseTaps& taps, int32_t* out) {
    const int32_t span = taps.span;
    int32_t p = 0;
    for (; p + 4 <= taps.positions; p += 4) {
        __m128i acc[4];
        for (int32_t k = 0; k < 4; ++k) {
            const int16_t* s = src + taps.first[p + k];
            const int16_t* w = taps.weights + static_cast<size_t>(p + k) * span;
            __m128i a = _mm_setzero_si128();
            for (int32_t m = 0; m < span; m += 8)
                a = _mm_add_epi32(a, _mm_madd_epi16(Load(s + m), Load(w + m)));
            acc[k] = a;
        }
        Store(out + p, SumLanes4(acc));
    }
    DotTail(src, taps, p, out);
}

// Four pixels of four bytes c0, c1, c2, c3 from 32-bit lanes, each clamped to 0..255.
inline __m128i Pack4(__m128i c0, __m128i c1, __m128i c2, __m128i c3) {
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(c0, c2), _mm_packs_epi32(c1, c3));
    const __m128i pairs = _mm_unpacklo_epi8(packed, _mm_srli_si128(packed, 8));
    return _mm_unpacklo_epi16(pairs, _mm_srli_si128(pairs, 8));
}

// V, U, Y sums (before the shift) to V, U, Y, 255.
inline __m128i PackVuya(__m128i v, __m128i u, __m128i y) {
    return Pack4(_mm_srai_epi32(v, 8), _mm_srai_epi32(u, 8), _mm_srai_epi32(y, 8), _mm_set1_epi32(255));
}

inline uint8_t ClampByte(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

bool YuyvHorizontal(const ScaleJob& job, int32_t r, uint8_t* scratch) {
    if (!job.horizontal.usable || !job.chroma.usable) return false;
    const int32_t width = job.sourceWidth;
    const int32_t pairs = width / 2;
    const int32_t outWidth = job.destinationWidth;
    int16_t* y = reinterpret_cast<int16_t*>(scratch);
    int16_t* u = y + ((width + 15) & ~7);
    int16_t* v = u + ((pairs + 15) & ~7);
    int32_t* sumY = reinterpret_cast<int32_t*>(v + ((pairs + 15) & ~7));
    int32_t* sumU = sumY + outWidth + 4;
    int32_t* sumV = sumU + outWidth + 4;
    const uint8_t* row = RowAt(job.source, r, job.sourcePitch);
    const bool rematrix = job.highDefinition && job.destinationHeight <= 576;
    // Four pairs per step; the re-matrixing fits 16-bit lanes except m and 28 V, formed in 32 bits.
    const __m128i lowByte16 = _mm_set1_epi16(0xFF);
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    int32_t p = 0;
    for (; p + 4 <= pairs; p += 4) {
        const __m128i in = Load(row + 4 * p);
        __m128i luma = _mm_and_si128(in, lowByte16);
        const __m128i uv = _mm_srli_epi16(in, 8);
        __m128i u32 = _mm_and_si128(uv, low16);
        const __m128i v32 = _mm_srli_epi32(uv, 16);
        if (rematrix) {
            const __m128i m = _mm_srai_epi32(_mm_madd_epi16(uv, PairConstant(25, 49)), 8);
            const __m128i m16 = _mm_packs_epi32(m, m);
            const __m128i shift = _mm_sub_epi16(_mm_unpacklo_epi16(m16, m16), _mm_set1_epi16(37));
            luma = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(luma, shift), _mm_setzero_si128()), lowByte16);
            const __m128i v28 = _mm_srai_epi32(_mm_madd_epi16(uv, PairConstant(0, 28)), 8);
            u32 = _mm_add_epi32(_mm_sub_epi32(u32, v28), _mm_set1_epi32(14));
        }
        const __m128i u16 = _mm_packs_epi32(u32, u32);
        Store(y + 2 * p, luma);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + p),
                         rematrix ? _mm_min_epi16(_mm_max_epi16(u16, _mm_setzero_si128()), lowByte16) : u16);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + p), _mm_packs_epi32(v32, v32));
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
    if (width & 1) y[width - 1] = row[2 * (width - 1)];
    DotPlane(job, y, job.horizontal, sumY);
    DotPlane(job, u, job.chroma, sumU);
    DotPlane(job, v, job.chroma, sumV);
    uint8_t* out = RowAt(job.intermediate, job.sourceHeight - 1 - r, job.intermediatePitch);
    int32_t x = 0;
    for (; x + 4 <= outWidth; x += 4)
        Store(out + 4 * x, PackVuya(Load(sumV + x), Load(sumU + x), Load(sumY + x)));
    for (; x < outWidth; ++x) {
        out[4 * x] = ClampByte(sumV[x] >> 8);
        out[4 * x + 1] = ClampByte(sumU[x] >> 8);
        out[4 * x + 2] = ClampByte(sumY[x] >> 8);
        out[4 * x + 3] = 255;
    }
    return true;
}

// AVX2 form of the vertical 8-bit pass over 32 bytes at a time (each lane as the SSE2 form); returns
// the number of bytes done.
__attribute__((target("avx2"))) int32_t Vertical8Avx2(const ScaleJob& job, int32_t first, const int16_t* w,
                                                      int32_t count, int32_t bytes, uint8_t* out,
                                                      bool filterAlpha) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaMask = _mm256_set1_epi32(filterAlpha ? 0 : static_cast<int32_t>(0xFF000000u));
    int32_t c = 0;
    for (; c + 32 <= bytes; c += 32) {
        __m256i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        for (int32_t m = 0; m < count; m += 2) {
            if ((w[m] | w[m + 1]) == 0) continue;
            const __m256i pair = _mm256_set1_epi32(
                static_cast<int32_t>(static_cast<uint16_t>(w[m])) |
                static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(w[m + 1])) << 16));
            const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                RowAt(job.intermediate, first + m, job.intermediatePitch) + c));
            const __m256i r1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                RowAt(job.intermediate, first + m + 1, job.intermediatePitch) + c));
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
                            _mm256_or_si256(_mm256_packus_epi16(lo16, hi16), alphaMask));
    }
    return c;
}

// Vertical pass over an 8-bit intermediate of 4 samples per pixel into a destination row; alpha is
// 255 unless filtered.
bool Vertical8(const ScaleJob& job, int32_t y, uint8_t* out, bool filterAlpha) {
    const DenseTaps& taps = job.vertical;
    if (!taps.usable) return false;
    const int32_t bytes = job.destinationWidth * 4;
    const int32_t first = taps.first[y];
    const int16_t* w = taps.weights + static_cast<size_t>(y) * taps.span;
    const int32_t count = taps.span;  // weights may sit anywhere in the span when first was moved back
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(filterAlpha ? 0 : static_cast<int32_t>(0xFF000000u));
    int32_t c = job.avx2 ? Vertical8Avx2(job, first, w, count, bytes, out, filterAlpha) : 0;
    for (; c + 16 <= bytes; c += 16) {
        __m128i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        for (int32_t m = 0; m < count; m += 2) {
            if ((w[m] | w[m + 1]) == 0) continue;
            const __m128i pair = PairConstant(w[m], w[m + 1]);
            const __m128i r0 = Load(RowAt(job.intermediate, first + m, job.intermediatePitch) + c);
            const __m128i r1 = Load(RowAt(job.intermediate, first + m + 1, job.intermediatePitch) + c);
            const __m128i lo = _mm_unpacklo_epi8(r0, r1);
            const __m128i hi = _mm_unpackhi_epi8(r0, r1);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), pair));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), pair));
            acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), pair));
            acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), pair));
        }
        const __m128i lo16 = _mm_packs_epi32(_mm_srai_epi32(acc0, 8), _mm_srai_epi32(acc1, 8));
        const __m128i hi16 = _mm_packs_epi32(_mm_srai_epi32(acc2, 8), _mm_srai_epi32(acc3, 8));
        Store(out + c, _mm_or_si128(_mm_packus_epi16(lo16, hi16), alphaMask));
    }
    for (; c < bytes; ++c) {
        if ((c & 3) == 3 && !filterAlpha) {
            out[c] = 255;
            continue;
        }
        int32_t sum = 0;
        for (int32_t m = 0; m < count; ++m)
            sum += RowAt(job.intermediate, first + m, job.intermediatePitch)[c] * w[m];
        out[c] = ClampByte(sum >> 8);
    }
    return true;
}

// Splits sixteen BGRA pixels per step into 16-bit planes; returns the pixels done.
__attribute__((target("avx2"))) int32_t SplitBgraAvx2(const uint8_t* row, int32_t width, int32_t channels,
                                                      int16_t* planes, int32_t planeStride) {
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

// BGRA horizontal pass: the row is split into 16-bit planes, each plane filtered like the others.
bool Bgra8Horizontal(const ScaleJob& job, int32_t r, uint8_t* scratch) {
    const DenseTaps& taps = job.horizontal;
    if (!taps.usable) return false;
    const int32_t width = job.sourceWidth;
    const int32_t outWidth = job.destinationWidth;
    const int32_t planeStride = (width + 15) & ~7;
    int16_t* planes = reinterpret_cast<int16_t*>(scratch);
    int32_t* sums = reinterpret_cast<int32_t*>(planes + 4 * planeStride);
    const int32_t sumStride = (outWidth + 7) & ~3;
    const uint8_t* row = RowAt(job.source, r, job.sourcePitch);
    const __m128i low = _mm_set1_epi32(0xFF);
    const int32_t channels = job.alpha ? 4 : 3;
    int32_t x = job.avx2 ? SplitBgraAvx2(row, width, channels, planes, planeStride) : 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i a = Load(row + 4 * x), b = Load(row + 4 * x + 16);
        for (int32_t c = 0; c < channels; ++c) {
            const __m128i ca = _mm_and_si128(_mm_srli_epi32(a, 8 * c), low);
            const __m128i cb = _mm_and_si128(_mm_srli_epi32(b, 8 * c), low);
            Store(planes + c * planeStride + x, _mm_packs_epi32(ca, cb));
        }
    }
    for (; x < width; ++x)
        for (int32_t c = 0; c < channels; ++c) planes[c * planeStride + x] = row[4 * x + c];
    for (int32_t c = 0; c < channels; ++c)
        DotPlane(job, planes + c * planeStride, taps, sums + c * sumStride);
    if (!job.alpha)
        std::memset(sums + 3 * sumStride, 0x7F, sizeof(int32_t) * outWidth);  // 255 after the shift
    uint8_t* out = RowAt(job.intermediate, r, job.intermediatePitch);
    const int32_t* sb = sums;
    const int32_t* sg = sums + sumStride;
    const int32_t* sr = sums + 2 * sumStride;
    const int32_t* sa = sums + 3 * sumStride;
    x = 0;
    for (; x + 4 <= outWidth; x += 4)
        Store(out + 4 * x, Pack4(_mm_srai_epi32(Load(sb + x), 8), _mm_srai_epi32(Load(sg + x), 8),
                                 _mm_srai_epi32(Load(sr + x), 8), _mm_srai_epi32(Load(sa + x), 8)));
    for (; x < outWidth; ++x) {
        out[4 * x] = ClampByte(sb[x] >> 8);
        out[4 * x + 1] = ClampByte(sg[x] >> 8);
        out[4 * x + 2] = ClampByte(sr[x] >> 8);
        out[4 * x + 3] = ClampByte(sa[x] >> 8);
    }
    return true;
}

// R, G, B of each pixel into three planes (a constant stride lets the compiler vectorise this).
template <int32_t kSamples>
void SplitPlanes(const int16_t* row, int32_t width, int16_t* planes, int32_t planeStride) {
    for (int32_t x = 0; x < width; ++x) {
        planes[x] = row[x * kSamples];
        planes[planeStride + x] = row[x * kSamples + 1];
        planes[2 * planeStride + x] = row[x * kSamples + 2];
    }
}

bool Rgb13Horizontal(const ScaleJob& job, int32_t r, uint8_t* scratch) {
    const DenseTaps& taps = job.horizontal;
    if (!taps.usable) return false;
    const int32_t width = job.sourceWidth;
    const int32_t outWidth = job.destinationWidth;
    const int32_t planeStride = (width + 15) & ~7;
    int16_t* planes = reinterpret_cast<int16_t*>(scratch);
    int32_t* sums = reinterpret_cast<int32_t*>(planes + 3 * planeStride);
    const int16_t* row = RowAt(reinterpret_cast<const int16_t*>(job.source), r, job.sourcePitch);
    if (job.samplesPerPixel == 4)
        SplitPlanes<4>(row, width, planes, planeStride);
    else
        SplitPlanes<3>(row, width, planes, planeStride);
    int16_t* out = RowAt(reinterpret_cast<int16_t*>(job.intermediate), r, job.intermediatePitch);
    for (int32_t c = 0; c < 3; ++c) {
        DotPlane(job, planes + c * planeStride, taps, sums);
        int16_t* plane = out + c * outWidth;
        int32_t x = 0;
        for (; x + 8 <= outWidth; x += 8) {
            const __m128i v =
                _mm_packs_epi32(_mm_srai_epi32(Load(sums + x), 8), _mm_srai_epi32(Load(sums + x + 4), 8));
            Store(plane + x, _mm_max_epi16(v, _mm_setzero_si128()));
        }
        for (; x < outWidth; ++x) {
            const int32_t v = sums[x] >> 8;
            plane[x] = static_cast<int16_t>(v < 0 ? 0 : (v > 32767 ? 32767 : v));
        }
    }
    return true;
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

bool Rgb13Vertical(const ScaleJob& job, int32_t y, uint8_t* scratch) {
    const DenseTaps& taps = job.vertical;
    if (!taps.usable) return false;
    const int32_t width = job.destinationWidth;
    const int32_t samples = 3 * width;
    int32_t* sums = reinterpret_cast<int32_t*>(scratch);
    const int32_t first = taps.first[y];
    const int16_t* w = taps.weights + static_cast<size_t>(y) * taps.span;
    const int32_t count = taps.span;  // weights may sit anywhere in the span when first was moved back
    int32_t c = job.avx2 ? VerticalSums16Avx2(job, first, w, count, samples, sums) : 0;
    for (; c + 8 <= samples; c += 8) {
        __m128i lo = _mm_setzero_si128(), hi = _mm_setzero_si128();
        for (int32_t m = 0; m < count; m += 2) {
            if ((w[m] | w[m + 1]) == 0) continue;
            const __m128i pair = PairConstant(w[m], w[m + 1]);
            const __m128i r0 = Load(
                RowAt(reinterpret_cast<const int16_t*>(job.intermediate), first + m, job.intermediatePitch) +
                c);
            const __m128i r1 = Load(RowAt(reinterpret_cast<const int16_t*>(job.intermediate), first + m + 1,
                                          job.intermediatePitch) +
                                    c);
            lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(r0, r1), pair));
            hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(r0, r1), pair));
        }
        Store(sums + c, _mm_srai_epi32(lo, 8));
        Store(sums + c + 4, _mm_srai_epi32(hi, 8));
    }
    for (; c < samples; ++c) {
        int32_t sum = 0;
        for (int32_t m = 0; m < count; ++m)
            sum += RowAt(reinterpret_cast<const int16_t*>(job.intermediate), first + m,
                         job.intermediatePitch)[c] *
                   w[m];
        sums[c] = sum >> 8;
    }

    float* out = RowAt(reinterpret_cast<float*>(job.destination), y, job.destinationPitch);
    const __m128 scale = _mm_set1_ps(k13BitScale);
    const __m128 one = _mm_set1_ps(1.0f);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, out += 16) {
        const __m128 r = _mm_mul_ps(_mm_cvtepi32_ps(Load(sums + x)), scale);
        const __m128 g = _mm_mul_ps(_mm_cvtepi32_ps(Load(sums + width + x)), scale);
        const __m128 b = _mm_mul_ps(_mm_cvtepi32_ps(Load(sums + 2 * width + x)), scale);
        __m128 p0, p1, p2, p3;
        if (job.kind == kScaleRgb13BgraVertical) {
            p0 = b, p1 = g, p2 = r, p3 = one;
        } else if (job.kind == kScaleRgb13ArgbVertical) {
            p0 = one, p1 = r, p2 = g, p3 = b;
        } else {
            p0 = _mm_sub_ps(
                _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(kRgbToV[0]), r), _mm_mul_ps(_mm_set1_ps(kRgbToV[1]), g)),
                _mm_mul_ps(_mm_set1_ps(kRgbToV[2]), b));
            p1 = _mm_add_ps(
                _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(kRgbToU[0]), r), _mm_mul_ps(_mm_set1_ps(kRgbToU[1]), g)),
                _mm_mul_ps(_mm_set1_ps(kRgbToU[2]), b));
            p2 = _mm_add_ps(
                _mm_add_ps(_mm_mul_ps(_mm_set1_ps(kRgbToY[0]), r), _mm_mul_ps(_mm_set1_ps(kRgbToY[1]), g)),
                _mm_mul_ps(_mm_set1_ps(kRgbToY[2]), b));
            p3 = one;
        }
        _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
        _mm_storeu_ps(out, p0);
        _mm_storeu_ps(out + 4, p1);
        _mm_storeu_ps(out + 8, p2);
        _mm_storeu_ps(out + 12, p3);
    }
    for (; x < width; ++x, out += 4) {
        const float r = sums[x] * k13BitScale;
        const float g = sums[width + x] * k13BitScale;
        const float b = sums[2 * width + x] * k13BitScale;
        if (job.kind == kScaleRgb13BgraVertical) {
            out[0] = b, out[1] = g, out[2] = r, out[3] = 1.0f;
        } else if (job.kind == kScaleRgb13ArgbVertical) {
            out[0] = 1.0f, out[1] = r, out[2] = g, out[3] = b;
        } else {
            RgbFloatToVuya(r, g, b, out);
            out[3] = 1.0f;
        }
    }
    return true;
}

}  // namespace

bool VectorScaleRow(const ScaleJob& job, int32_t kind, int32_t row, uint8_t* scratch) {
    switch (kind) {
        case kScaleYuyvHorizontal:
            return YuyvHorizontal(job, row, scratch);
        case kScaleYuyvVertical:
            return Vertical8(job, row, RowAt(job.destination, row, job.destinationPitch), false);
        case kScaleRgb13BgraHorizontal:
        case kScaleRgb13ArgbHorizontal:
        case kScaleRgb13VuyaHorizontal:
            return Rgb13Horizontal(job, row, scratch);
        case kScaleRgb13BgraVertical:
        case kScaleRgb13ArgbVertical:
        case kScaleRgb13VuyaVertical:
            return Rgb13Vertical(job, row, scratch);
        default:
            return false;
    }
}

bool VectorBgra8Row(const ScaleJob& job, bool horizontal, int32_t row, uint8_t* scratch) {
    if (horizontal) return Bgra8Horizontal(job, row, scratch);
    return Vertical8(job, row, RowAt(job.destination, row, job.destinationPitch), job.alpha);
}

}  // namespace detail
}  // namespace krvx
#endif
