#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "convert/CoefficientCache.h"
#include "convert/LanczosFilter.h"
#include "convert/WorkerPool.h"

namespace krvx {
namespace {

// The table computed directly, position by position.
std::vector<uint16_t> DirectTable(int32_t source, int32_t destination) {
    std::vector<LanczosTap> taps(static_cast<size_t>(destination) * kMaxLanczosTaps);
    std::vector<int32_t> counts(static_cast<size_t>(destination));
    for (int32_t p = 0; p < destination; ++p)
        counts[p] = ComputeLanczosTaps(source, destination, p, &taps[static_cast<size_t>(p) * kMaxLanczosTaps]);
    std::vector<uint16_t> table(CoefficientTableBytes(counts.data(), destination) / 2);
    EXPECT_NE(0u, WriteCoefficientTable(taps.data(), counts.data(), destination, table.data(),
                                        static_cast<uint32_t>(table.size() * 2)));
    return table;
}

std::shared_ptr<const CoefficientTable> Get(CWorkerPool& pool, int32_t source, int32_t destination) {
    std::shared_ptr<const CoefficientTable> table;
    EXPECT_TRUE(GetCoefficientTables(&source, &destination, 1, pool, &table));
    return table;
}

TEST(CoefficientCache, KeptTablesEqualFreshOnesAndOffsetsFindEveryPosition) {
    ClearCoefficientCache();
    CWorkerPool pool(2);
    const int32_t sources[] = {1920, 960, 1080, 17, 0};
    const int32_t destinations[] = {960, 960, 540, 1920, 3};
    std::shared_ptr<const CoefficientTable> first[5], again[5];
    ASSERT_TRUE(GetCoefficientTables(sources, destinations, 5, pool, first));
    ASSERT_TRUE(GetCoefficientTables(sources, destinations, 5, pool, again));
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(first[i]);
        EXPECT_EQ(first[i], again[i]) << "a second frame of the same size reuses the table";
        EXPECT_EQ(DirectTable(sources[i], destinations[i]), first[i]->entries);
        ASSERT_EQ(static_cast<size_t>(destinations[i]), first[i]->offsets.size());
        for (int32_t p = 0; p < destinations[i]; ++p) EXPECT_EQ(p, first[i]->entries[first[i]->offsets[p]]);
    }
    // A source of no samples gives positions without taps: each is its number and an end mark.
    EXPECT_EQ(kTableEnd, first[4]->entries[first[4]->offsets[2] + 1]);
}

TEST(CoefficientCache, PassesOfOneJobShareATableAndEmptyDestinationsGetNone) {
    ClearCoefficientCache();
    CWorkerPool pool(2);
    const int32_t sources[] = {720, 720, 720};
    const int32_t destinations[] = {360, 0, 360};
    std::shared_ptr<const CoefficientTable> tables[3];
    ASSERT_TRUE(GetCoefficientTables(sources, destinations, 3, pool, tables));
    ASSERT_TRUE(tables[0]);
    EXPECT_EQ(tables[0], tables[2]);
    EXPECT_FALSE(tables[1]);
}

TEST(CoefficientCache, TheLeastRecentlyUsedTableGoesFirst) {
    ClearCoefficientCache();
    CWorkerPool pool(2);
    const std::shared_ptr<const CoefficientTable> firstKept = Get(pool, 100, 50);
    const std::shared_ptr<const CoefficientTable> secondKept = Get(pool, 100, 51);
    for (int32_t d = 52; d < 50 + kCachedCoefficientTables; ++d) Get(pool, 100, d);
    // Every place is taken; the first table is used again, so the second is now the oldest in use.
    EXPECT_EQ(firstKept, Get(pool, 100, 50));
    Get(pool, 100, 200);
    EXPECT_EQ(firstKept, Get(pool, 100, 50));
    const std::shared_ptr<const CoefficientTable> recomputed = Get(pool, 100, 51);
    EXPECT_NE(secondKept, recomputed);
    EXPECT_EQ(secondKept->entries, recomputed->entries);
}

}  // namespace
}  // namespace krvx
