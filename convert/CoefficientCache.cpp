#include "convert/CoefficientCache.h"

#include <new>

#include "convert/LanczosFilter.h"
#include "convert/WorkerPool.h"
#include "platform/sync.h"

namespace krvx {

namespace {

struct CacheSlot {
    std::shared_ptr<const CoefficientTable> table;
    uint64_t lastUse = 0;
};

struct Cache {
    platform::CriticalSection lock;
    CacheSlot slots[kCachedCoefficientTables];
    uint64_t clock = 0;
};

Cache& TheCache() {
    static Cache* const cache = new Cache;
    return *cache;
}

std::shared_ptr<const CoefficientTable> Find(Cache& cache, int32_t source, int32_t destination) {
    for (CacheSlot& slot : cache.slots) {
        if (slot.table && slot.table->sourceLength == source && slot.table->destinationLength == destination) {
            slot.lastUse = ++cache.clock;
            return slot.table;
        }
    }
    return nullptr;
}

void Keep(Cache& cache, const std::shared_ptr<const CoefficientTable>& table) {
    if (Find(cache, table->sourceLength, table->destinationLength)) return;
    CacheSlot* oldest = &cache.slots[0];
    for (CacheSlot& slot : cache.slots) {
        if (!slot.table) {
            oldest = &slot;
            break;
        }
        if (slot.lastUse < oldest->lastUse) oldest = &slot;
    }
    oldest->table = table;
    oldest->lastUse = ++cache.clock;
}

// Taps of the passes being computed, in groups of positions, one group per work item.
constexpr int32_t kPositionsPerItem = 32;

struct TapPass {
    int32_t sourceLength = 0;
    int32_t positions = 0;
    std::vector<LanczosTap> taps;  // kMaxLanczosTaps per position
    std::vector<int32_t> counts;
    int32_t firstItem = 0;
};

struct TapJob {
    TapPass* passes = nullptr;
    int count = 0;
};

void ComputeTapItem(void* context, int32_t item, uint32_t) {
    TapJob& job = *static_cast<TapJob*>(context);
    int pass = 0;
    while (pass + 1 < job.count && item >= job.passes[pass + 1].firstItem) ++pass;
    TapPass& p = job.passes[pass];
    const int32_t begin = (item - p.firstItem) * kPositionsPerItem;
    const int32_t end = begin + kPositionsPerItem < p.positions ? begin + kPositionsPerItem : p.positions;
    for (int32_t i = begin; i < end; ++i)
        p.counts[i] = ComputeLanczosTaps(p.sourceLength, p.positions, i, &p.taps[static_cast<size_t>(i) * kMaxLanczosTaps]);
}

std::shared_ptr<const CoefficientTable> MakeTable(const TapPass& pass) {
    auto table = std::make_shared<CoefficientTable>();
    table->sourceLength = pass.sourceLength;
    table->destinationLength = pass.positions;
    table->entries.resize(CoefficientTableBytes(pass.counts.data(), pass.positions) / 2);
    WriteCoefficientTable(pass.taps.data(), pass.counts.data(), pass.positions, table->entries.data(),
                          static_cast<uint32_t>(table->entries.size() * 2));
    table->offsets.resize(static_cast<size_t>(pass.positions));
    int32_t n = 0;
    for (int32_t p = 0; p < pass.positions; ++p) {
        table->offsets[static_cast<size_t>(p)] = n;
        n += 2 + 2 * pass.counts[static_cast<size_t>(p)];
    }
    return table;
}

}  // namespace

bool GetCoefficientTables(const int32_t* sourceLengths, const int32_t* destinationLengths, int count,
                          CWorkerPool& pool, std::shared_ptr<const CoefficientTable>* tables) {
    Cache& cache = TheCache();
    try {
        std::vector<TapPass> missing;
        std::vector<int> missingIndex;
        {
            platform::ScopedLock lock(cache.lock);
            for (int i = 0; i < count; ++i) {
                tables[i] = nullptr;
                if (destinationLengths[i] < 1) continue;
                tables[i] = Find(cache, sourceLengths[i], destinationLengths[i]);
                if (tables[i]) continue;
                bool duplicate = false;
                for (const TapPass& pass : missing)
                    duplicate |= pass.sourceLength == sourceLengths[i] && pass.positions == destinationLengths[i];
                if (duplicate) continue;
                missing.emplace_back();
                missing.back().sourceLength = sourceLengths[i];
                missing.back().positions = destinationLengths[i];
            }
        }
        if (missing.empty()) return true;

        int32_t items = 0;
        for (TapPass& pass : missing) {
            pass.taps.resize(static_cast<size_t>(pass.positions) * kMaxLanczosTaps);
            pass.counts.resize(static_cast<size_t>(pass.positions));
            pass.firstItem = items;
            items += (pass.positions + kPositionsPerItem - 1) / kPositionsPerItem;
        }
        TapJob job{missing.data(), static_cast<int>(missing.size())};
        pool.Run(items, &ComputeTapItem, &job);

        platform::ScopedLock lock(cache.lock);
        for (const TapPass& pass : missing) {
            const std::shared_ptr<const CoefficientTable> table = MakeTable(pass);
            Keep(cache, table);
            for (int i = 0; i < count; ++i) {
                if (sourceLengths[i] == pass.sourceLength && destinationLengths[i] == pass.positions)
                    tables[i] = table;
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        for (int i = 0; i < count; ++i) tables[i] = nullptr;
        return false;
    }
}

void ClearCoefficientCache() {
    Cache& cache = TheCache();
    platform::ScopedLock lock(cache.lock);
    for (CacheSlot& slot : cache.slots) slot = CacheSlot();
}

}  // namespace krvx
