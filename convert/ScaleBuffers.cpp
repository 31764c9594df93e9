#include "convert/ScaleBuffers.h"

#include <cstring>
#include <memory>

#include "convert/CoefficientCache.h"
#include "convert/CpuDispatch.h"

namespace krvx {

namespace {

uint32_t RoundUp16(uint64_t bytes) {
    return static_cast<uint32_t>((bytes + 15) & ~uint64_t{15});
}

}  // namespace

void* CScaleBuffers::Allocate(uint32_t bytes) {
    if (m_count == kMaxBlocks || bytes == 0) return nullptr;
    void* block = m_allocator->Alloc(bytes);
    if (block) m_blocks[m_count++] = block;
    return block;
}

void CScaleBuffers::Release() {
    while (m_count > 0) m_allocator->Free(m_blocks[--m_count]);
}

bool CScaleBuffers::Prepare(ScaleJob& job, CWorkerPool& pool) {
    if (!m_allocator) return false;
    const bool chroma = job.kind == kScaleYuyvHorizontal || job.kind == kScaleYu64Horizontal;

    // 1. The tables of the horizontal, chroma and vertical passes, kept from earlier frames or computed.
    const int32_t sources[3] = {job.sourceWidth, chroma ? job.sourceWidth / 2 : 0, job.sourceHeight};
    const int32_t destinations[3] = {job.destinationWidth, chroma ? job.destinationWidth : 0,
                                     job.destinationHeight};
    std::shared_ptr<const CoefficientTable> kept[3];
    if (!GetCoefficientTables(sources, destinations, 3, pool, kept)) return false;

    // 2. The job's own copies of the 16-bit tables, the vertical row offsets and the dense forms.
    uint16_t* tables[3] = {nullptr, nullptr, nullptr};
    DenseTaps* dense[3] = {&job.horizontal, &job.chroma, &job.vertical};
    const bool vector = ActiveKernelLevel() != KernelLevel::Scalar;
    for (int i = 0; i < 3; ++i) {
        if (!kept[i]) continue;
        const uint32_t bytes = static_cast<uint32_t>(kept[i]->entries.size() * sizeof(uint16_t));
        tables[i] = static_cast<uint16_t*>(Allocate(bytes));
        if (!tables[i]) return Release(), false;
        std::memcpy(tables[i], kept[i]->entries.data(), bytes);
        if (vector) {
            const int32_t reach = TableReach(tables[i]);
            void* memory = Allocate(DenseTapsBytes(destinations[i], reach));
            if (!memory) return Release(), false;
            BuildDenseTaps(tables[i], sources[i], reach, memory, dense[i]);
        }
    }
    if (!tables[0] || !tables[2]) return Release(), false;
    job.horizontalTable = tables[0];
    job.chromaTable = tables[1];
    job.verticalTable = tables[2];
    const uint32_t offsetBytes = static_cast<uint32_t>(job.destinationHeight) * sizeof(int32_t);
    int32_t* offsets = static_cast<int32_t*>(Allocate(offsetBytes));
    if (!offsets) return Release(), false;
    std::memcpy(offsets, kept[2]->offsets.data(), offsetBytes);
    job.verticalOffsets = offsets;
    job.vector = vector;
    job.avx2 = ActiveKernelLevel() == KernelLevel::Avx2;

    // 3. Intermediate frame and per-worker scratch.
    job.intermediatePitch = static_cast<int32_t>(
        RoundUp16(static_cast<uint64_t>(job.destinationWidth) * IntermediateBytesPerPixel(job.kind)));
    job.planeStride = 0;
    if (vector && job.kind == kScaleYuyvHorizontal && job.destinationWidth <= 0x1000000 && job.horizontal.usable && job.chroma.usable &&
        job.vertical.usable) {
        job.planeStride = static_cast<int32_t>((static_cast<uint32_t>(job.destinationWidth) + 31) & ~31u);
        job.intermediatePitch = 3 * job.planeStride;
    }
    const uint64_t intermediateBytes = static_cast<uint64_t>(job.intermediatePitch) * job.sourceHeight;
    job.scratchPerWorker = ScaleScratchBytes(job);
    const uint64_t scratchBytes = static_cast<uint64_t>(job.scratchPerWorker) * pool.ThreadCount();
    if (intermediateBytes > 0x7FFFFFFF || scratchBytes > 0x7FFFFFFF) return Release(), false;
    job.intermediate = static_cast<uint8_t*>(Allocate(static_cast<uint32_t>(intermediateBytes)));
    job.scratch = static_cast<uint8_t*>(Allocate(static_cast<uint32_t>(scratchBytes)));
    if (!job.intermediate || !job.scratch) return Release(), false;
    return true;
}

}  // namespace krvx
