#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "convert/LanczosFilter.h"

namespace krvx {
namespace {

std::vector<LanczosTap> Taps(int32_t s, int32_t d, int32_t position) {
    std::vector<LanczosTap> taps(kMaxLanczosTaps);
    taps.resize(ComputeLanczosTaps(s, d, position, taps.data()));
    return taps;
}

TEST(LanczosFilter, ScalingByOneIsASingleFullTapAtTheSameIndex) {
    for (int32_t length : {1, 2, 17, 1080, 1920}) {
        for (int32_t position : {0, 1, length / 2, length - 1}) {
            if (position >= length) continue;
            const std::vector<LanczosTap> taps = Taps(length, length, position);
            ASSERT_EQ(1u, taps.size()) << length << " " << position;
            EXPECT_EQ(position, taps[0].index);
            EXPECT_EQ(256, taps[0].weight);
        }
    }
}

TEST(LanczosFilter, EveryTapListSumsTo256WithinTheSource) {
    const int32_t pairs[][2] = {{1920, 960}, {1920, 480}, {1920, 400}, {2048, 400}, {720, 1920},
                                {17, 5},     {5, 17},     {1080, 270}, {3, 1},      {1, 9}};
    for (const auto& pair : pairs) {
        for (int32_t position = 0; position < pair[1]; ++position) {
            const std::vector<LanczosTap> taps = Taps(pair[0], pair[1], position);
            ASSERT_FALSE(taps.empty());
            int32_t sum = 0;
            for (const LanczosTap& tap : taps) {
                EXPECT_GE(tap.index, 0);
                EXPECT_LT(tap.index, pair[0]);
                EXPECT_NE(0, tap.weight);
                sum += tap.weight;
            }
            EXPECT_EQ(256, sum) << pair[0] << " to " << pair[1] << " at " << position;
        }
    }
}

TEST(LanczosFilter, EdgePositionsDropTapsOutsideTheSource) {
    // Near the edges fewer taps remain than in the middle, and they still sum to 256.
    EXPECT_LT(Taps(1920, 960, 0).size(), Taps(1920, 960, 480).size());
    EXPECT_LT(Taps(100, 300, 1).size(), Taps(100, 300, 151).size());
}

TEST(LanczosFilter, DecimatesOnlyBeyondARatioOfFour) {
    // 1920 / 400 is 4: no decimation, so odd indexes occur.
    bool odd = false;
    for (int32_t p = 0; p < 400; ++p)
        for (const LanczosTap& tap : Taps(1920, 400, p)) odd = odd || (tap.index & 1);
    EXPECT_TRUE(odd);
    // 2048 / 400 is 5: the filter works on 1024 samples and every index is even.
    for (int32_t p = 0; p < 400; ++p) {
        for (const LanczosTap& tap : Taps(2048, 400, p)) {
            EXPECT_EQ(0, tap.index & 1);
            EXPECT_LT(tap.index, 2048);
        }
    }
}

int32_t Reach(const std::vector<LanczosTap>& taps) {
    int32_t low = taps.front().index, high = low;
    for (const LanczosTap& tap : taps) low = std::min(low, tap.index), high = std::max(high, tap.index);
    return high - low + 1;
}

TEST(LanczosFilter, ReductionsReachOverTheRatio) {
    // A halving reaches over about twice as many source samples as an enlargement, a quartering four times.
    EXPECT_GE(Reach(Taps(1920, 960, 480)), 10);
    EXPECT_GE(Reach(Taps(1920, 480, 240)), 20);
    EXPECT_LE(Reach(Taps(1920, 3840, 1921)), 6);
}

TEST(CoefficientTable, HoldsPositionsTapsAndEndMarks) {
    const int32_t positions = 5;
    std::vector<LanczosTap> taps(positions * kMaxLanczosTaps);
    std::vector<int32_t> counts(positions);
    for (int32_t p = 0; p < positions; ++p)
        counts[p] = ComputeLanczosTaps(12, positions, p, &taps[p * kMaxLanczosTaps]);
    const uint32_t bytes = CoefficientTableBytes(counts.data(), positions);
    EXPECT_EQ(kCoefficientTableMinBytes, bytes);
    std::vector<uint16_t> table(bytes / 2);
    const uint32_t used = WriteCoefficientTable(taps.data(), counts.data(), positions, table.data(), bytes);
    ASSERT_GT(used, 0u);
    uint32_t n = 0;
    for (int32_t p = 0; p < positions; ++p) {
        EXPECT_EQ(p, table[n++]);
        int32_t sum = 0;
        for (int32_t i = 0; i < counts[p]; ++i, n += 2) {
            EXPECT_EQ(taps[p * kMaxLanczosTaps + i].index, table[n]);
            sum += static_cast<int16_t>(table[n + 1]);
        }
        EXPECT_EQ(256, sum);
        EXPECT_EQ(kTableEnd, table[n++]);
    }
    EXPECT_EQ(kTableEnd, table[n++]);
    EXPECT_EQ(used, n);
    EXPECT_EQ(0u, WriteCoefficientTable(taps.data(), counts.data(), positions, table.data(), 20));
}

}  // namespace
}  // namespace krvx
