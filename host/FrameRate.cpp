#include "host/FrameRate.h"

namespace krvx {

SnappedFrameRate SnapFrameRate(uint32_t rate, uint32_t scale) {
    const float r = scale == 0 ? 0.0f : static_cast<float>(rate) / static_cast<float>(scale);
    SnappedFrameRate result{r, r, kFrameRateAsIs, 0, 1001};
    if (r > 23.0f && r < 23.99f) {
        result.snapped = 23.976024627685547f;
        result.code = kFrameRate23976;
        result.timeBase = 24000;
    } else if (r > 29.0f && r < 29.995f) {
        result.snapped = 29.970029830932617f;
        result.code = kFrameRate2997;
        result.timeBase = 30000;
    } else if (r > 59.0f && r < 60.0f) {
        result.timeBase = 60000;
    } else {
        result.timeBase = static_cast<int32_t>(r + 0.5f);
        result.ticksPerFrame = 1;
    }
    return result;
}

}  // namespace krvx
