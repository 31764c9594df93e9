#include "convert/ScaleBuffers.h"

#include "convert/CpuDispatch.h"

namespace krvx {

namespace {

// One pass direction whose taps are computed on the pool.
struct TapPass {
    int32_t sourceLength = 0;
    int32_t positions = 0;
    LanczosTap* taps = nullptr;  // kMaxLanczosTaps per position
    int32_t* counts = nullptr;
};

// Taps are computed in groups of positions, one group per work item.
constexpr int32_t kPositionsPerItem = 32;

struct TapJob {
    TapPass passes[3];
    int32_t destinationLengths[3] = {0, 0, 0};
    int32_t firstItem[4] = {0, 0, 0, 0};
};

void ComputeTapItem(void* context, int32_t item, uint32_t) {
    TapJob& job = *static_cast<TapJob*>(context);
    int32_t pass = 0;
    while (pass < 2 && item >= job.firstItem[pass + 1]) ++pass;
    TapPass& p = job.passes[pass];
    const int32_t begin = (item - job.firstItem[pass]) * kPositionsPerItem;
    const int32_t end = begin + kPositionsPerItem < p.positions ? begin + kPositionsPerItem : p.positions;
    for (int32_t i = begin; i < end; ++i)
        p.counts[i] = ComputeLanczosTaps(p.sourceLength, job.destinationLengths[pass], i,
                                         p.taps + static_cast<size_t>(i) * kMaxLanczosTaps);
}

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

    // 1. Taps of every position of the horizontal, chroma and vertical passes, computed in parallel.
    TapJob taps;
    const int32_t sources[3] = {job.sourceWidth, chroma ? job.sourceWidth / 2 : 0, job.sourceHeight};
    const int32_t destinations[3] = {job.destinationWidth, chroma ? job.destinationWidth : 0,
                                     job.destinationHeight};
    uint64_t tapBytes = 0;
    for (int i = 0; i < 3; ++i) {
        taps.passes[i].sourceLength = sources[i];
        taps.passes[i].positions = destinations[i];
        taps.destinationLengths[i] = destinations[i];
        tapBytes +=
            static_cast<uint64_t>(destinations[i]) * (kMaxLanczosTaps * sizeof(LanczosTap) + sizeof(int32_t));
    }
    if (tapBytes > 0x7FFFFFFF) return false;
    uint8_t* tapMemory = static_cast<uint8_t*>(Allocate(static_cast<uint32_t>(tapBytes)));
    if (!tapMemory) return Release(), false;
    for (int i = 0; i < 3; ++i) {
        taps.passes[i].taps = reinterpret_cast<LanczosTap*>(tapMemory);
        tapMemory += static_cast<size_t>(destinations[i]) * kMaxLanczosTaps * sizeof(LanczosTap);
        taps.passes[i].counts = reinterpret_cast<int32_t*>(tapMemory);
        tapMemory += static_cast<size_t>(destinations[i]) * sizeof(int32_t);
        taps.firstItem[i + 1] =
            taps.firstItem[i] + (destinations[i] + kPositionsPerItem - 1) / kPositionsPerItem;
    }
    pool.Run(taps.firstItem[3], &ComputeTapItem, &taps);

    // 2. The 16-bit tables, the vertical row offsets and the dense forms.
    uint16_t* tables[3] = {nullptr, nullptr, nullptr};
    DenseTaps* dense[3] = {&job.horizontal, &job.chroma, &job.vertical};
    const bool vector = ActiveKernelLevel() != KernelLevel::Scalar;
    for (int i = 0; i < 3; ++i) {
        if (i == 1 && !chroma) continue;
        const TapPass& p = taps.passes[i];
        const uint32_t bytes = CoefficientTableBytes(p.counts, p.positions);
        tables[i] = static_cast<uint16_t*>(Allocate(bytes));
        if (!tables[i] || WriteCoefficientTable(p.taps, p.counts, p.positions, tables[i], bytes) == 0)
            return Release(), false;
        if (vector) {
            const int32_t reach = TableReach(tables[i]);
            void* memory = Allocate(DenseTapsBytes(p.positions, reach));
            if (!memory) return Release(), false;
            BuildDenseTaps(tables[i], p.sourceLength, reach, memory, dense[i]);
        }
    }
    job.horizontalTable = tables[0];
    job.chromaTable = tables[1];
    job.verticalTable = tables[2];
    int32_t* offsets = static_cast<int32_t*>(Allocate(static_cast<uint32_t>(job.destinationHeight) * 4));
    if (!offsets) return Release(), false;
    {
        int32_t n = 0;
        for (int32_t y = 0; y < job.destinationHeight; ++y) {
            offsets[y] = n;
            n += 2 + 2 * taps.passes[2].counts[y];
        }
    }
    job.verticalOffsets = offsets;
    job.vector = vector;
    job.avx2 = ActiveKernelLevel() == KernelLevel::Avx2;

    // 3. Intermediate frame and per-worker scratch.
    job.intermediatePitch = static_cast<int32_t>(
        RoundUp16(static_cast<uint64_t>(job.destinationWidth) * IntermediateBytesPerPixel(job.kind)));
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
