// A stream's frame rate as the host is told it: the rate itself, the two NTSC rates made exact, and the
// clip's time base. Clip information, the analysis text and trimmed copies all ask here, so the bands
// are drawn in one place.
#pragma once
#include <cstdint>

namespace krvx {

// Which band snapped the rate; the analysis text shows the rate with as many decimals as its kind needs.
enum FrameRateCode : int32_t {
    kFrameRateAsIs = 0,
    kFrameRate2997 = 2,
    kFrameRate23976 = 3,
};

struct SnappedFrameRate {
    float rate;             // rate / scale in single precision; 0 for a scale of 0
    float snapped;          // the rate, or 23.976024627685547 / 29.970029830932617 inside their bands
    FrameRateCode code;     // kFrameRate23976 or kFrameRate2997 inside those bands, else kFrameRateAsIs
    int32_t timeBase;       // the host's time base for the clip ...
    int32_t ticksPerFrame;  // ... and the ticks of it one frame lasts
};

// Rates strictly between 23 and 23.99 snap to 23.976 (time base 24000, 1001 ticks per frame), strictly
// between 29 and 29.995 to 29.97 (30000, 1001); strictly between 59 and 60 the time base is 60000 with
// 1001 ticks while the rate stays; any other rate is its own time base, rounded, with 1 tick per frame.
// Single precision throughout: the bounds are compared as floats.
SnappedFrameRate SnapFrameRate(uint32_t rate, uint32_t scale);

}  // namespace krvx
