// The buffers of one scaling job, taken from and returned to the importer's allocator: the 16-bit
// coefficient tables, their dense forms, the intermediate frame and the workers' scratch rows.
#pragma once
#include <cstdint>

#include "convert/ScaleJob.h"
#include "convert/WorkerPool.h"
#include "convert/ScratchAllocator.h"

namespace krvx {

class CScaleBuffers {
public:
    explicit CScaleBuffers(IScratchAllocator* allocator) : m_allocator(allocator) {}
    ~CScaleBuffers() { Release(); }
    CScaleBuffers(const CScaleBuffers&) = delete;
    CScaleBuffers& operator=(const CScaleBuffers&) = delete;

    // Fills in the job's tables, intermediate and scratch for its horizontal kind (job.kind), computing
    // the filter taps on `pool`. False, with nothing left allocated, when the allocator is absent or
    // an allocation fails.
    bool Prepare(ScaleJob& job, CWorkerPool& pool);

    void Release();

private:
    void* Allocate(uint32_t bytes);

    static constexpr int kMaxBlocks = 12;
    IScratchAllocator* m_allocator;
    void* m_blocks[kMaxBlocks] = {};
    int m_count = 0;
};

}  // namespace krvx
