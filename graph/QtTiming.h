// Time scales of a QuickTime movie: a frame rate as a time scale and a frame duration (29.97 becomes
// 30000/1001), and the timecode track's format from a rate given in thousandths of frames per second.
#pragma once
#include <cstdint>

namespace krvx {
namespace graph {

struct QtFrameTiming {
    uint32_t timeScale;      // time units per second
    uint32_t frameDuration;  // time units per frame
};

// From the average time per frame of a DirectShow video format (100-nanosecond units). Rates within a
// hair of N or N * 1000 / 1001 frames per second snap to them; others keep the exact fraction. False
// when the time is not above 0.
bool QtFrameTimingFromAverageTimePerFrame(int64_t averageTimePerFrame, QtFrameTiming* timing);

// From frames per second, snapped the same way (others are kept to a thousandth of a frame per second).
// False when the rate is not above 0 or too large.
bool QtFrameTimingFromRate(double framesPerSecond, QtFrameTiming* timing);

struct QtTimecodeFormat {
    uint32_t timeScale;       // N * 1000
    uint32_t frameDuration;   // 1000, or 1001 for the N * 1000 / 1001 rates
    uint8_t framesPerSecond;  // N, the frames counted in one timecode second
};

// From a rate in thousandths of frames per second (24000 for 24, 29970 for 29.97). False when the rate
// is below 0.5 or above 255 frames per second.
bool QtTimecodeFormatFromRate(uint32_t rateTimes1000, QtTimecodeFormat* format);

// The frame number of a start timecode packed as hours << 24 | minutes << 16 | seconds << 8 | frames,
// counted without dropped frames.
uint32_t QtTimecodeFrameNumber(uint32_t packedStart, uint8_t framesPerSecond);

}  // namespace graph
}  // namespace krvx
