// SSE2 forms of the scaling passes. They use the dense tap form (zero weights where a table has no
// tap), which sums the same products as the reference in 32-bit integers, so the bytes are the same.
// When the job allows AVX2, the AVX2 forms (ScaleKernelsAvx2.cpp) do the bulk of a row first.
#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include <cstring>

#include "convert/ColourConstants.h"
#include "convert/ScaleJob.h"
#include "convert/ScaleKernelsAvx2.h"
#include "convert/ScaleVectorKernels.h"

namespace krvx {
namespace detail {

namespace {

void DotPlaneSse2(const int16_t* src, const DenseTaps& taps, int32_t* out);

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

// Positions begin .. end - 1 of a dense pass.
void DotRangeBytes(const ScaleJob& job, const int16_t* src, const DenseTaps& taps, uint8_t* out, int32_t begin,
                   int32_t end) {
    int32_t p = job.avx2 ? DotPlaneBytesAvx2(src, taps, out, begin, end) : begin;
    for (; p + 4 <= end; p += 4) {
        __m128i acc[4];
        for (int32_t k = 0; k < 4; ++k) {
            const int16_t* s = src + taps.first[p + k];
            const int16_t* w = taps.weights + static_cast<size_t>(p + k) * taps.span;
            __m128i a = _mm_setzero_si128();
            for (int32_t m = 0; m < taps.span; m += 8) a = _mm_add_epi32(a, _mm_madd_epi16(Load(s + m), Load(w + m)));
            acc[k] = a;
        }
        const __m128i words = _mm_packs_epi32(_mm_srai_epi32(SumLanes4(acc), 8), _mm_setzero_si128());
        const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(out + p, &bytes, 4);
    }
    for (; p < end; ++p) {
        const int16_t* s = src + taps.first[p];
        const int16_t* w = taps.weights + static_cast<size_t>(p) * taps.span;
        int32_t sum = 0;
        for (int32_t m = 0; m < taps.span; ++m) sum += s[m] * w[m];
        out[p] = ClampByte(sum >> 8);
    }
}

}  // namespace

void DotPlaneBytes(const ScaleJob& job, const int16_t* src, const DenseTaps& taps, uint8_t* out) {
    if (taps.identity) {
        int32_t p = 0;
        for (; p + 8 <= taps.positions; p += 8) {
            const __m128i v = Load(src + p);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p), _mm_packus_epi16(v, v));
        }
        for (; p < taps.positions; ++p) out[p] = ClampByte(src[p]);
        return;
    }
    if (job.avx2 && taps.runTo > taps.runFrom) {
        DotRangeBytes(job, src, taps, out, 0, taps.runFrom);
        StridedRunBytesAvx2(src, taps, out);
        DotRangeBytes(job, src, taps, out, taps.runTo, taps.positions);
        return;
    }
    DotRangeBytes(job, src, taps, out, 0, taps.positions);
}

namespace {

VerticalPairs TrimmedVerticalTaps(const DenseTaps& taps, int32_t y) {
    const int16_t* w = taps.weights + static_cast<size_t>(y) * taps.span;
    int32_t lo = 0, hi = 0;
    NonZeroWeights(w, taps.span, &lo, &hi);
    if ((hi - lo) & 1) {
        // One zero weight more, inside the span (which lies within the source).
        if (hi < taps.span)
            ++hi;
        else
            --lo;
    }
    return VerticalPairs{taps.first[y] + lo, w + lo, hi - lo};
}

// Vertical 8-bit sums over `bytes` bytes, each byte ORed with the matching byte of `orMask` (0xFF000000
// writes alpha 255 in four-byte pixels).
void VerticalBytesMasked(const ScaleJob& job, int32_t y, int32_t bytes, uint8_t* out, uint32_t orMask) {
    const VerticalPairs taps = TrimmedVerticalTaps(job.vertical, y);
    const __m128i zero = _mm_setzero_si128();
    const __m128i mask = _mm_set1_epi32(static_cast<int32_t>(orMask));
    int32_t c = 0;
    if (job.avx2) {
        c = VerticalBytesSplitAvx2(job, taps, bytes, out, orMask);
        if (c == 0) c = VerticalBytesAvx2(job, taps, bytes, out, orMask);
    }
    for (; c + 16 <= bytes; c += 16) {
        __m128i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        const uint8_t* row = RowAt(job.intermediate, taps.first, job.intermediatePitch) + c;
        for (int32_t m = 0; m < taps.count; m += 2, row += 2 * static_cast<intptr_t>(job.intermediatePitch)) {
            const __m128i pair = PairConstant(taps.w[m], taps.w[m + 1]);
            const __m128i r0 = Load(row);
            const __m128i r1 = Load(row + job.intermediatePitch);
            const __m128i lo = _mm_unpacklo_epi8(r0, r1);
            const __m128i hi = _mm_unpackhi_epi8(r0, r1);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), pair));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), pair));
            acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), pair));
            acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), pair));
        }
        const __m128i lo16 = _mm_packs_epi32(_mm_srai_epi32(acc0, 8), _mm_srai_epi32(acc1, 8));
        const __m128i hi16 = _mm_packs_epi32(_mm_srai_epi32(acc2, 8), _mm_srai_epi32(acc3, 8));
        Store(out + c, _mm_or_si128(_mm_packus_epi16(lo16, hi16), mask));
    }
    for (; c < bytes; ++c) {
        int32_t sum = 0;
        for (int32_t m = 0; m < taps.count; ++m)
            sum += RowAt(job.intermediate, taps.first + m, job.intermediatePitch)[c] * taps.w[m];
        out[c] = static_cast<uint8_t>(ClampByte(sum >> 8) | (orMask >> (8 * (c & 3))));
    }
}

// Vertical pass over an 8-bit intermediate of 4 samples per pixel into a destination row; alpha is
// 255 unless filtered.
bool Vertical8(const ScaleJob& job, int32_t y, uint8_t* out, bool filterAlpha) {
    if (!job.vertical.usable) return false;
    VerticalBytesMasked(job, y, job.destinationWidth * 4, out, filterAlpha ? 0u : 0xFF000000u);
    return true;
}

// BGRA horizontal pass: the row is split into 16-bit planes, each plane filtered into bytes, and the
// planes put back together as B, G, R, A (alpha 255 unless it is filtered).
bool Bgra8Horizontal(const ScaleJob& job, int32_t r, uint8_t* scratch) {
    const DenseTaps& taps = job.horizontal;
    if (!taps.usable) return false;
    const int32_t width = job.sourceWidth;
    const int32_t outWidth = job.destinationWidth;
    const int32_t planeStride = (width + 15) & ~7;
    const int32_t bytePlaneStride = (outWidth + 15) & ~15;
    int16_t* planes = reinterpret_cast<int16_t*>(scratch);
    uint8_t* filtered = reinterpret_cast<uint8_t*>(planes + 4 * planeStride);
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
        DotPlaneBytes(job, planes + c * planeStride, taps, filtered + c * bytePlaneStride);
    InterleaveFourPlanes(filtered, filtered + bytePlaneStride, filtered + 2 * bytePlaneStride,
                         job.alpha ? filtered + 3 * bytePlaneStride : nullptr, outWidth,
                         RowAt(job.intermediate, r, job.intermediatePitch));
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

void InterleaveFourPlanes(const uint8_t* c0, const uint8_t* c1, const uint8_t* c2, const uint8_t* c3,
                          int32_t width, uint8_t* out) {
    const __m128i opaque = _mm_set1_epi8(static_cast<char>(0xFF));
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i s0 = Load(c0 + x), s1 = Load(c1 + x), s2 = Load(c2 + x);
        const __m128i s3 = c3 ? Load(c3 + x) : opaque;
        const __m128i low01 = _mm_unpacklo_epi8(s0, s1), high01 = _mm_unpackhi_epi8(s0, s1);
        const __m128i low23 = _mm_unpacklo_epi8(s2, s3), high23 = _mm_unpackhi_epi8(s2, s3);
        Store(out + 4 * x, _mm_unpacklo_epi16(low01, low23));
        Store(out + 4 * x + 16, _mm_unpackhi_epi16(low01, low23));
        Store(out + 4 * x + 32, _mm_unpacklo_epi16(high01, high23));
        Store(out + 4 * x + 48, _mm_unpackhi_epi16(high01, high23));
    }
    for (; x < width; ++x) {
        out[4 * x] = c0[x];
        out[4 * x + 1] = c1[x];
        out[4 * x + 2] = c2[x];
        out[4 * x + 3] = c3 ? c3[x] : 255;
    }
}

void VerticalBytes(const ScaleJob& job, int32_t y, int32_t bytes, uint8_t* out) {
    VerticalBytesMasked(job, y, bytes, out, 0);
}

bool VectorScaleRow(const ScaleJob& job, int32_t kind, int32_t row, uint8_t* scratch) {
    switch (kind) {
        case kScaleYuyvHorizontal:
            if (job.planeStride == 0) return false;
            YuyvPlanarHorizontal(job, row, scratch);
            return true;
        case kScaleYuyvVertical:
            if (job.planeStride == 0) return false;
            YuyvPlanarVertical(job, row, scratch);
            return true;
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
