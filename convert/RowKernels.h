// Per-row pixel conversions from a decoded row into a host row. Each has a scalar reference form; the
// vector forms produce the same bytes. Widths are in pixels; for 4:2:2 sources a trailing odd pixel
// is converted from its pair and nothing is written past the width.
#pragma once
#include <cstdint>

namespace krvx {

struct RowKernels {
    // YUYV 8-bit (Y0 U Y1 V) to B, G, R, 255.
    void (*yuyvToBgra)(const uint8_t* src, uint8_t* dst, int32_t width);
    // YUYV 8-bit to V, U, Y, 255, re-matrixed from BT.709 to BT.601 when highDefinition.
    void (*yuyvToVuya)(const uint8_t* src, uint8_t* dst, int32_t width, bool highDefinition);
    // B, G, R, A 8-bit to V, U, Y, 255.
    void (*bgraToVuya)(const uint8_t* src, uint8_t* dst, int32_t width);
    // YU64 (Y0 V Y1 U, 16-bit) to V, U, Y, A float.
    void (*yu64ToVuyaFloat)(const uint16_t* src, float* dst, int32_t width, bool highDefinition,
                            bool interpolate);
    // 13-bit R, G, B (, A) with 3 or 4 samples per pixel to float B, G, R, A / A, R, G, B / V, U, Y, A,
    // and to 8-bit A, R, G, B.
    void (*rgb13ToBgraFloat)(const int16_t* src, int32_t samplesPerPixel, float* dst, int32_t width);
    void (*rgb13ToArgbFloat)(const int16_t* src, int32_t samplesPerPixel, float* dst, int32_t width);
    void (*rgb13ToVuyaFloat)(const int16_t* src, int32_t samplesPerPixel, float* dst, int32_t width);
    void (*rgb13ToArgb8)(const int16_t* src, int32_t samplesPerPixel, uint8_t* dst, int32_t width);
    // Packed 4-byte pixels with their bytes reversed (B, G, R, A to A, R, G, B).
    void (*reverseBytes)(const uint8_t* src, uint8_t* dst, int32_t width);
    // Four 16-bit samples s0..s3 to s3 >> 1, s2 >> 1, s1 >> 1, s0 >> 1.
    void (*rgba16ToBgra16)(const uint16_t* src, uint16_t* dst, int32_t width);
};

const RowKernels& ReferenceRowKernels();
// The kernels of the level in use (CpuDispatch.h).
const RowKernels& ActiveRowKernels();

namespace detail {
// Each vector level replaces the kernels it speeds up and keeps the others from the level below.
void FillSse2RowKernels(RowKernels& kernels);
void FillAvx2RowKernels(RowKernels& kernels);
}  // namespace detail

}  // namespace krvx
