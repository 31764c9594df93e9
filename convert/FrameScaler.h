// A scaler with a worker pool of its own, built for one frame and destroyed after it, so that BGRA
// 8-bit scaling runs independently of the shared scaling pool.
#pragma once
#include <cstdint>

#include "convert/ScaleBuffers.h"
#include "convert/ScaleJob.h"
#include "convert/ScalingPool.h"
#include "convert/WorkerPool.h"
#include "convert/ScratchAllocator.h"

namespace krvx {

class CFrameScaler {
public:
    using RowRoutine = void (*)(const ScaleJob& job, int32_t row, uint32_t worker);

    CFrameScaler(IScratchAllocator* allocator, int32_t bytesPerPixel);
    virtual ~CFrameScaler() = default;
    CFrameScaler(const CFrameScaler&) = delete;
    CFrameScaler& operator=(const CFrameScaler&) = delete;

    // The concrete scaler's row routines: one source row into the intermediate, one destination row
    // out of it.
    virtual RowRoutine HorizontalRoutine() const = 0;
    virtual RowRoutine VerticalRoutine() const = 0;

    // Scales the source into the destination (rows keep their order). 0, or 4 when the allocator is
    // absent or a buffer cannot be allocated.
    int32_t Scale(const ScaleGeometry& geometry);

    int32_t BytesPerPixel() const { return m_bytesPerPixel; }

    // Processors, minus one when there are more than two, at most 32.
    static uint32_t PrivateThreadCount(uint32_t processors);

protected:
    ScaleJob m_job;

private:
    static void RunItem(void* context, int32_t item, uint32_t worker);

    IScratchAllocator* m_allocator;
    int32_t m_bytesPerPixel;
    RowRoutine m_routine = nullptr;
    CScaleBuffers m_buffers;  // declared before the pool: freed after the workers have quit
    CWorkerPool m_pool;
};

class CFrameScaler_BGRA_8u : public CFrameScaler {
public:
    // With `alpha` the alpha channel is filtered too; otherwise it is written as 255.
    explicit CFrameScaler_BGRA_8u(IScratchAllocator* allocator, bool alpha = false);
    RowRoutine HorizontalRoutine() const override;
    RowRoutine VerticalRoutine() const override;
};

// Scales a BGRA 8-bit frame on a private CFrameScaler_BGRA_8u built for this call.
int32_t ScaleBgra8(const ScaleGeometry& geometry, IScratchAllocator* allocator, bool alpha = false);

}  // namespace krvx
