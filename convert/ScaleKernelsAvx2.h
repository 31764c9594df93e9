// The AVX2 forms of the scaling passes (ScaleKernelsAvx2.cpp). The SSE2 drivers (ScaleKernelsSse2.cpp)
// call them only when job.avx2 is set; those that return a count do whole steps and leave the rest of
// the row to the caller.
#pragma once
#if defined(__x86_64__) || defined(__i386__)
#include <cstdint>

#include "convert/ScaleJob.h"
#include "convert/ScaleVectorKernels.h"

namespace krvx {
namespace detail {

// out[p] = sum over the span of src[first[p] + m] x weight[p][m], for every position.
void DotPlaneAvx2(const int16_t* src, const DenseTaps& taps, int32_t* out);

// Positions begin .. end - 1 of a dense pass, shifted right by 8 and clamped to bytes, eight at a
// time; returns the position reached.
int32_t DotPlaneBytesAvx2(const int16_t* src, const DenseTaps& taps, uint8_t* out, int32_t begin,
                          int32_t end);

// Positions taps.runFrom .. taps.runTo - 1 of a pass that halves or quarters, as bytes.
void StridedRunBytesAvx2(const int16_t* src, const DenseTaps& taps, uint8_t* out);

// Vertical 8-bit sums of `taps` over `bytes` bytes, each byte ORed with the matching byte of `orMask`,
// 32 bytes at a time; they return the bytes done. The byte-multiply form returns 0 when the row's
// weights do not allow it.
int32_t VerticalBytesSplitAvx2(const ScaleJob& job, const VerticalPairs& taps, int32_t bytes, uint8_t* out,
                               uint32_t orMask);
int32_t VerticalBytesAvx2(const ScaleJob& job, const VerticalPairs& taps, int32_t bytes, uint8_t* out,
                          uint32_t orMask);

// The first `channels` bytes of each BGRA pixel into 16-bit planes planeStride apart, sixteen pixels
// at a time; returns the pixels done.
int32_t SplitBgraAvx2(const uint8_t* row, int32_t width, int32_t channels, int16_t* planes,
                      int32_t planeStride);

// sums[c] = (sum over m < count of intermediate row first + m, sample c, x w[m]) >> 8 for the 16-bit
// intermediate, sixteen samples at a time; returns the samples done.
int32_t VerticalSums16Avx2(const ScaleJob& job, int32_t first, const int16_t* w, int32_t count,
                           int32_t samples, int32_t* sums);

}  // namespace detail
}  // namespace krvx
#endif
