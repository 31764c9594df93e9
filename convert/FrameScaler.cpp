#include "convert/FrameScaler.h"

#include "platform/system.h"

namespace krvx {

uint32_t CFrameScaler::PrivateThreadCount(uint32_t processors) {
    return CapThreadCount(processors > 2 ? processors - 1 : processors);
}

CFrameScaler::CFrameScaler(IScratchAllocator* allocator, int32_t bytesPerPixel)
    : m_allocator(allocator),
      m_bytesPerPixel(bytesPerPixel),
      m_buffers(allocator),
      m_pool(PrivateThreadCount(platform::ProcessorCount())) {}

void CFrameScaler::RunItem(void* context, int32_t item, uint32_t worker) {
    CFrameScaler* scaler = static_cast<CFrameScaler*>(context);
    scaler->m_routine(scaler->m_job, item, worker);
}

int32_t CFrameScaler::Scale(const ScaleGeometry& g) {
    if (!m_allocator) return 4;
    if (g.IsEmpty()) return 0;
    platform::ScopedLock jobLock(m_pool.JobLock());
    SetJobGeometry(m_job, g);
    m_job.kind = kScaleBgra8Horizontal;
    m_buffers.Release();
    if (!m_buffers.Prepare(m_job, m_pool)) return 4;
    m_routine = HorizontalRoutine();
    m_pool.Run(m_job.sourceHeight, &RunItem, this);
    m_routine = VerticalRoutine();
    m_pool.Run(m_job.destinationHeight, &RunItem, this);
    m_buffers.Release();
    return 0;
}

CFrameScaler_BGRA_8u::CFrameScaler_BGRA_8u(IScratchAllocator* allocator, bool alpha) : CFrameScaler(allocator, 4) {
    m_job.alpha = alpha;
}

CFrameScaler::RowRoutine CFrameScaler_BGRA_8u::HorizontalRoutine() const {
    return &ScaleBgra8HorizontalRow;
}
CFrameScaler::RowRoutine CFrameScaler_BGRA_8u::VerticalRoutine() const {
    return &ScaleBgra8VerticalRow;
}

int32_t ScaleBgra8(const ScaleGeometry& geometry, IScratchAllocator* allocator, bool alpha) {
    CFrameScaler_BGRA_8u scaler(allocator, alpha);
    return scaler.Scale(geometry);
}

}  // namespace krvx
