// The descriptor of one scaling job and the row routines of its passes. The horizontal routines take
// a source row index, the vertical ones a destination row index.
#pragma once
#include <cstdint>

#include "convert/LanczosFilter.h"

namespace krvx {

enum ScaleKind : int32_t {
    kScaleYuyvHorizontal = 1,
    kScaleYuyvVertical = 2,
    kScaleYu64Horizontal = 3,
    kScaleYu64Vertical = 4,
    kScaleRgb13BgraHorizontal = 5,
    kScaleRgb13BgraVertical = 6,
    kScaleRgb13ArgbHorizontal = 7,
    kScaleRgb13ArgbVertical = 8,
    kScaleRgb13VuyaHorizontal = 9,
    kScaleRgb13VuyaVertical = 10,
    kScaleRgba16Horizontal = 11,
    kScaleRgba16Vertical = 12,
    // The private BGRA 8-bit scaler's passes (not run on the shared pool).
    kScaleBgra8Horizontal = 13,
    kScaleBgra8Vertical = 14,
};

struct ScaleJob {
    int32_t kind = 0;
    const uint8_t* source = nullptr;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t sourcePitch = 0;
    uint8_t* destination = nullptr;
    int32_t destinationWidth = 0;
    int32_t destinationHeight = 0;
    int32_t destinationPitch = 0;

    // 16-bit coefficient tables: horizontal (luma for 4:2:2 sources), chroma (4:2:2 only), vertical.
    const uint16_t* horizontalTable = nullptr;
    const uint16_t* chromaTable = nullptr;
    const uint16_t* verticalTable = nullptr;
    const int32_t* verticalOffsets = nullptr;  // entry offset of each destination row in verticalTable
    DenseTaps horizontal, chroma, vertical;

    uint8_t* intermediate = nullptr;
    int32_t intermediatePitch = 0;
    int32_t planeStride = 0;  // vector YUYV path: the intermediate rows hold Y, U, V planes of this many bytes
    uint8_t* scratch = nullptr;  // scratchPerWorker bytes for each worker
    uint32_t scratchPerWorker = 0;

    int32_t samplesPerPixel = 3;  // 13-bit sources: 3 (WP13) or 4 (W13A)
    bool highDefinition = false;
    bool rematrix = false;  // YU64 path: BT.709 to BT.601 on output
    bool alpha = false;     // BGRA 8-bit scaler: filter alpha instead of writing 255
    bool vector = false;    // use the dense-tap vector routines
    bool avx2 = false;      // and their AVX2 forms
};

// Intermediate layouts (bytes per intermediate pixel): YUYV path V, U, Y, 255 (4); YU64 path Y, U, V
// 16-bit (6); 13-bit paths planar rows R, G, B of 16-bit samples (6); 16-bit path four 16-bit samples
// (8); BGRA 8-bit path B, G, R, A (4).
int32_t IntermediateBytesPerPixel(int32_t horizontalKind);

// Per-worker scratch bytes a job of this kind needs.
uint32_t ScaleScratchBytes(const ScaleJob& job);

// Runs the routine of job.kind for one item with the given worker's scratch.
void RunScaleItem(const ScaleJob& job, int32_t item, uint32_t worker);

// BGRA 8-bit passes (the private scaler's routines).
void ScaleBgra8HorizontalRow(const ScaleJob& job, int32_t row, uint32_t worker);
void ScaleBgra8VerticalRow(const ScaleJob& job, int32_t row, uint32_t worker);

namespace detail {
// Vector routines (ScaleKernelsSse2.cpp); each returns false when it cannot serve the job, and the
// reference routine runs instead.
bool VectorScaleRow(const ScaleJob& job, int32_t kind, int32_t row, uint8_t* scratch);
bool VectorBgra8Row(const ScaleJob& job, bool horizontal, int32_t row, uint8_t* scratch);
}  // namespace detail

}  // namespace krvx
