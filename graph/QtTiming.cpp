#include "graph/QtTiming.h"

#include <cmath>

namespace krvx {
namespace graph {
namespace {

// Rates closer than this (relative) to N or N * 1000 / 1001 are taken as those; the two candidates lie
// a thousandth apart, so the window never reaches the wrong one.
constexpr double kSnapTolerance = 0.0002;

bool SnapRate(double rate, QtFrameTiming* timing) {
    const double whole = std::floor(rate + 0.5);
    if (whole >= 1.0 && std::fabs(rate - whole) <= whole * kSnapTolerance) {
        *timing = {static_cast<uint32_t>(whole), 1};
        return true;
    }
    const double nominal = std::floor(rate * 1.001 + 0.5);
    const double ntsc = nominal * 1000.0 / 1001.0;
    if (nominal >= 1.0 && std::fabs(rate - ntsc) <= ntsc * kSnapTolerance) {
        *timing = {static_cast<uint32_t>(nominal) * 1000, 1001};
        return true;
    }
    return false;
}

uint64_t Gcd(uint64_t a, uint64_t b) {
    while (b != 0) {
        const uint64_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

}  // namespace

bool QtFrameTimingFromAverageTimePerFrame(int64_t averageTimePerFrame, QtFrameTiming* timing) {
    if (averageTimePerFrame <= 0 || averageTimePerFrame > int64_t(UINT32_MAX)) return false;
    if (SnapRate(10000000.0 / double(averageTimePerFrame), timing)) return true;
    const uint64_t divisor = Gcd(10000000, uint64_t(averageTimePerFrame));
    *timing = {static_cast<uint32_t>(10000000 / divisor),
               static_cast<uint32_t>(averageTimePerFrame / divisor)};
    return true;
}

bool QtFrameTimingFromRate(double framesPerSecond, QtFrameTiming* timing) {
    if (!(framesPerSecond > 0.0) || framesPerSecond > 1000000.0) return false;
    if (SnapRate(framesPerSecond, timing)) return true;
    const double thousandths = std::floor(framesPerSecond * 1000.0 + 0.5);
    if (thousandths < 1.0) return false;
    const uint64_t divisor = Gcd(uint64_t(thousandths), 1000);
    *timing = {static_cast<uint32_t>(uint64_t(thousandths) / divisor), static_cast<uint32_t>(1000 / divisor)};
    return true;
}

bool QtTimecodeFormatFromRate(uint32_t rateTimes1000, QtTimecodeFormat* format) {
    if (rateTimes1000 < 500 || rateTimes1000 > 255000) return false;
    QtFrameTiming timing{};
    const double rate = rateTimes1000 / 1000.0;
    const bool ntsc = SnapRate(rate, &timing) && timing.frameDuration == 1001;
    const uint32_t nominal = ntsc ? timing.timeScale / 1000 : (rateTimes1000 + 500) / 1000;
    if (nominal < 1 || nominal > 255) return false;
    *format = {nominal * 1000, ntsc ? 1001u : 1000u, static_cast<uint8_t>(nominal)};
    return true;
}

uint32_t QtTimecodeFrameNumber(uint32_t packedStart, uint8_t framesPerSecond) {
    const uint32_t hours = packedStart >> 24;
    const uint32_t minutes = (packedStart >> 16) & 0xFF;
    const uint32_t seconds = (packedStart >> 8) & 0xFF;
    const uint32_t frames = packedStart & 0xFF;
    return ((hours * 60 + minutes) * 60 + seconds) * framesPerSecond + frames;
}

}  // namespace graph
}  // namespace krvx
