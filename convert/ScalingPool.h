// Scaling entries that run on the process-wide scaling pool: resize and convert to the host format in
// one job (horizontal pass into an intermediate frame, then vertical pass into the destination).
// Each returns 0 when the destination is complete, 4 when the allocator is absent or a buffer cannot
// be allocated (nothing is written then). Pitches are in bytes and may be negative.
#pragma once
#include <cstdint>

#include "convert/WorkerPool.h"
#include "convert/ScratchAllocator.h"

namespace krvx {

// The scaling pool, created on first use (one worker per processor, at most 32) and never torn down.
CWorkerPool& ScalingPool();

struct ScaleGeometry {
    const uint8_t* source;
    int32_t sourceWidth;
    int32_t sourceHeight;
    int32_t sourcePitch;
    uint8_t* destination;
    int32_t destinationWidth;
    int32_t destinationHeight;
    int32_t destinationPitch;

    // A scale with an empty source or destination writes nothing.
    bool IsEmpty() const {
        return sourceWidth <= 0 || sourceHeight <= 0 || destinationWidth <= 0 || destinationHeight <= 0;
    }
};

struct ScaleJob;
// Copies the frames' addresses, sizes and pitches into a scaling job.
void SetJobGeometry(ScaleJob& job, const ScaleGeometry& geometry);

// YUYV 8-bit to VUYA 8-bit; the frame is turned over. The re-matrixing of high-definition sources
// applies when the destination is at most 576 rows high.
int32_t ScaleYuyvToVuya8(const ScaleGeometry& geometry, IScratchAllocator* allocator, bool highDefinition);
// YU64 to VUYA float; the frame is turned over; `rematrix` applies BT.709 to BT.601 on output.
int32_t ScaleYu64ToVuyaFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, bool rematrix);
// 13-bit RGB (3 samples per pixel, or 4 with alpha, which is not carried) to BGRA, ARGB or VUYA
// float with alpha 1.0; rows keep their order.
int32_t ScaleRgb13ToBgraFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel);
int32_t ScaleRgb13ToArgbFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel);
int32_t ScaleRgb13ToVuyaFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel);
// Four 16-bit samples s0..s3 per pixel to s3, s2, s1, s0 halved (the same form as the same-size
// conversion); rows keep their order.
int32_t ScaleRgba16ToBgra16(const ScaleGeometry& geometry, IScratchAllocator* allocator);

}  // namespace krvx
