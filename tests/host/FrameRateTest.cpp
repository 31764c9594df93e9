// The frame-rate bands that clip information, the analysis text and trimmed copies share: each band at
// its bounds, just inside and just outside, compared in single precision.
#include <gtest/gtest.h>

#include "host/FrameRate.h"

namespace krvx {
namespace {

struct Case {
    uint32_t rate, scale;
    int32_t timeBase, ticksPerFrame;
    FrameRateCode code;
};

void ExpectCase(const Case& c) {
    const SnappedFrameRate got = SnapFrameRate(c.rate, c.scale);
    EXPECT_EQ(got.timeBase, c.timeBase) << c.rate << "/" << c.scale;
    EXPECT_EQ(got.ticksPerFrame, c.ticksPerFrame) << c.rate << "/" << c.scale;
    EXPECT_EQ(got.code, c.code) << c.rate << "/" << c.scale;
    const float snapped = c.code == kFrameRate23976  ? 23.976024627685547f
                          : c.code == kFrameRate2997 ? 29.970029830932617f
                                                     : got.rate;
    EXPECT_EQ(got.snapped, snapped) << c.rate << "/" << c.scale;
}

TEST(FrameRate, EachBandIsOpenAtBothBounds) {
    const Case cases[] = {
        {23, 1, 23, 1, kFrameRateAsIs},
        {2299999, 100000, 23, 1, kFrameRateAsIs},         // 22.99999
        {2300001, 100000, 24000, 1001, kFrameRate23976},  // 23.00001
        {2398999, 100000, 24000, 1001, kFrameRate23976},  // 23.98999
        {2399, 100, 24, 1, kFrameRateAsIs},               // 23.99 itself
        {2399001, 100000, 24, 1, kFrameRateAsIs},
        {29, 1, 29, 1, kFrameRateAsIs},
        {2899999, 100000, 29, 1, kFrameRateAsIs},
        {2900001, 100000, 30000, 1001, kFrameRate2997},
        {2999499, 100000, 30000, 1001, kFrameRate2997},
        {29995, 1000, 30, 1, kFrameRateAsIs},  // 29.995 itself
        {2999501, 100000, 30, 1, kFrameRateAsIs},
        // Between 59 and 60 only the time base is exact; the rate itself stays.
        {59, 1, 59, 1, kFrameRateAsIs},
        {5900001, 100000, 60000, 1001, kFrameRateAsIs},
        {5999999, 100000, 60000, 1001, kFrameRateAsIs},
        {60, 1, 60, 1, kFrameRateAsIs},
        {6000001, 100000, 60, 1, kFrameRateAsIs},
    };
    for (const Case& c : cases) ExpectCase(c);
    EXPECT_EQ(SnapFrameRate(2399, 100).snapped, 23.99f);
    EXPECT_EQ(SnapFrameRate(5994, 100).snapped, 59.94f);
}

TEST(FrameRate, TheBoundsAreComparedInSinglePrecision) {
    // 29.994999 lies inside the band in double precision, but its single-precision quotient is 29.995.
    ExpectCase({29994999, 1000000, 30, 1, kFrameRateAsIs});
}

TEST(FrameRate, CommonRatesAndAScaleOfZero) {
    const Case cases[] = {
        {2997, 125, 24000, 1001, kFrameRate23976},
        {24000, 1001, 24000, 1001, kFrameRate23976},
        {2997, 100, 30000, 1001, kFrameRate2997},
        {30000, 1001, 30000, 1001, kFrameRate2997},
        {5994, 100, 60000, 1001, kFrameRateAsIs},
        {60000, 1001, 60000, 1001, kFrameRateAsIs},
        {48000, 1001, 48, 1, kFrameRateAsIs},
        {24, 1, 24, 1, kFrameRateAsIs},
        {25, 1, 25, 1, kFrameRateAsIs},
        {50, 1, 50, 1, kFrameRateAsIs},
    };
    for (const Case& c : cases) ExpectCase(c);
    // No scale: no rate, and a time base of 0 with one tick per frame.
    const SnappedFrameRate none = SnapFrameRate(25, 0);
    EXPECT_EQ(none.rate, 0.0f);
    EXPECT_EQ(none.snapped, 0.0f);
    EXPECT_EQ(none.code, kFrameRateAsIs);
    EXPECT_EQ(none.timeBase, 0);
    EXPECT_EQ(none.ticksPerFrame, 1);
}

}  // namespace
}  // namespace krvx
