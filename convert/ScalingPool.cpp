#include "convert/ScalingPool.h"

#include "convert/ScaleBuffers.h"
#include "convert/ScaleJob.h"
#include "platform/system.h"

namespace krvx {

namespace {

void RunItem(void* context, int32_t item, uint32_t worker) {
    RunScaleItem(*static_cast<const ScaleJob*>(context), item, worker);
}

int32_t RunSharedScale(const ScaleGeometry& g, IScratchAllocator* allocator, int32_t horizontalKind, ScaleJob job) {
    if (!allocator) return 4;
    if (g.IsEmpty()) return 0;
    job.kind = horizontalKind;
    SetJobGeometry(job, g);

    CWorkerPool& pool = ScalingPool();
    platform::ScopedLock jobLock(pool.JobLock());
    CScaleBuffers buffers(allocator);
    if (!buffers.Prepare(job, pool)) return 4;
    pool.Run(job.sourceHeight, &RunItem, &job);
    job.kind = horizontalKind + 1;
    pool.Run(job.destinationHeight, &RunItem, &job);
    return 0;
}

}  // namespace

void SetJobGeometry(ScaleJob& job, const ScaleGeometry& g) {
    job.source = g.source;
    job.sourceWidth = g.sourceWidth;
    job.sourceHeight = g.sourceHeight;
    job.sourcePitch = g.sourcePitch;
    job.destination = g.destination;
    job.destinationWidth = g.destinationWidth;
    job.destinationHeight = g.destinationHeight;
    job.destinationPitch = g.destinationPitch;
}

CWorkerPool& ScalingPool() {
    static CWorkerPool* const pool = new CWorkerPool(CapThreadCount(platform::ProcessorCount()));
    return *pool;
}

int32_t ScaleYuyvToVuya8(const ScaleGeometry& geometry, IScratchAllocator* allocator, bool highDefinition) {
    ScaleJob job;
    job.highDefinition = highDefinition;
    return RunSharedScale(geometry, allocator, kScaleYuyvHorizontal, job);
}

int32_t ScaleYu64ToVuyaFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, bool rematrix) {
    ScaleJob job;
    job.rematrix = rematrix;
    return RunSharedScale(geometry, allocator, kScaleYu64Horizontal, job);
}

namespace {
int32_t ScaleRgb13(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel,
                   int32_t kind) {
    ScaleJob job;
    job.samplesPerPixel = samplesPerPixel == 4 ? 4 : 3;
    return RunSharedScale(geometry, allocator, kind, job);
}
}  // namespace

int32_t ScaleRgb13ToBgraFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel) {
    return ScaleRgb13(geometry, allocator, samplesPerPixel, kScaleRgb13BgraHorizontal);
}

int32_t ScaleRgb13ToArgbFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel) {
    return ScaleRgb13(geometry, allocator, samplesPerPixel, kScaleRgb13ArgbHorizontal);
}

int32_t ScaleRgb13ToVuyaFloat(const ScaleGeometry& geometry, IScratchAllocator* allocator, int32_t samplesPerPixel) {
    return ScaleRgb13(geometry, allocator, samplesPerPixel, kScaleRgb13VuyaHorizontal);
}

int32_t ScaleRgba16ToBgra16(const ScaleGeometry& geometry, IScratchAllocator* allocator) {
    return RunSharedScale(geometry, allocator, kScaleRgba16Horizontal, ScaleJob());
}

}  // namespace krvx
