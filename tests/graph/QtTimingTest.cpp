// Frame rates as QuickTime time scales and the timecode track's format.
#include <gtest/gtest.h>

#include "graph/QtTiming.h"

namespace krvx {
namespace graph {
namespace {

struct TimingCase {
    int64_t averageTimePerFrame;  // as a DirectShow video format carries it
    double framesPerSecond;
    uint32_t timeScale;
    uint32_t frameDuration;
};

TEST(QtTiming, SnapsBroadcastRatesAndKeepsOthersExact) {
    // 10,000,000 / rate + 0.5, truncated, is how the source filter writes the average time per frame.
    const TimingCase cases[] = {
        {333667, 29.970029830932617, 30000, 1001},
        {417083, 23.976024627685547, 24000, 1001},
        {400000, 25.0, 25, 1},
        {333333, 30.0, 30, 1},
        {166833, 59.94005994005994, 60000, 1001},
        {800000, 12.5, 25, 2},
    };
    for (const TimingCase& c : cases) {
        QtFrameTiming fromTime{};
        ASSERT_TRUE(QtFrameTimingFromAverageTimePerFrame(c.averageTimePerFrame, &fromTime));
        EXPECT_EQ(fromTime.timeScale, c.timeScale) << c.averageTimePerFrame;
        EXPECT_EQ(fromTime.frameDuration, c.frameDuration) << c.averageTimePerFrame;
        QtFrameTiming fromRate{};
        ASSERT_TRUE(QtFrameTimingFromRate(c.framesPerSecond, &fromRate));
        EXPECT_EQ(fromRate.timeScale, c.timeScale) << c.framesPerSecond;
        EXPECT_EQ(fromRate.frameDuration, c.frameDuration) << c.framesPerSecond;
    }
    // 23.98 typed by hand is the broadcast rate, not 24.
    QtFrameTiming typed{};
    ASSERT_TRUE(QtFrameTimingFromRate(23.976, &typed));
    EXPECT_EQ(typed.timeScale, 24000u);
    // A rate near neither candidate keeps its own fraction: 1 / 0.0416 s is not 24.
    QtFrameTiming odd{};
    ASSERT_TRUE(QtFrameTimingFromAverageTimePerFrame(416000, &odd));
    EXPECT_EQ(uint64_t(odd.frameDuration) * 10000000, uint64_t(odd.timeScale) * 416000);
    EXPECT_NE(odd.frameDuration, 1001u);

    QtFrameTiming refused{};
    EXPECT_FALSE(QtFrameTimingFromAverageTimePerFrame(0, &refused));
    EXPECT_FALSE(QtFrameTimingFromRate(0.0, &refused));
    EXPECT_FALSE(QtFrameTimingFromRate(-25.0, &refused));
}

TEST(QtTiming, TimecodeFormatAndStartFrame) {
    QtTimecodeFormat film{};
    ASSERT_TRUE(QtTimecodeFormatFromRate(24000, &film));
    EXPECT_EQ(film.timeScale, 24000u);
    EXPECT_EQ(film.frameDuration, 1000u);
    EXPECT_EQ(film.framesPerSecond, 24);
    QtTimecodeFormat ntsc{};
    ASSERT_TRUE(QtTimecodeFormatFromRate(29970, &ntsc));
    EXPECT_EQ(ntsc.timeScale, 30000u);
    EXPECT_EQ(ntsc.frameDuration, 1001u);
    EXPECT_EQ(ntsc.framesPerSecond, 30);
    EXPECT_FALSE(QtTimecodeFormatFromRate(0, &film));
    EXPECT_FALSE(QtTimecodeFormatFromRate(300000, &film));

    // 01:00:00:00 at 24 frames per second is 3600 * 24 frames in; 00:00:01:05 at 25 is 30.
    EXPECT_EQ(QtTimecodeFrameNumber(0x01000000, 24), 86400u);
    EXPECT_EQ(QtTimecodeFrameNumber(0x00000105, 25), 30u);
    EXPECT_EQ(QtTimecodeFrameNumber(0, 30), 0u);
}

}  // namespace
}  // namespace graph
}  // namespace krvx
