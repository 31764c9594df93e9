#include "trim/SnapFrameRate.h"

namespace krvx {

float SnapFrameRate(uint32_t rate, uint32_t scale, int32_t* code) {
    int32_t snapped = kFrameRateAsIs;
    float frameRate = scale == 0 ? 0.0f : static_cast<float>(rate) / static_cast<float>(scale);
    if (frameRate > 23.0f && frameRate < 23.99f) {
        frameRate = 23.976024627685547f;
        snapped = kFrameRate23976;
    } else if (frameRate > 29.0f && frameRate < 29.995f) {
        frameRate = 29.970029830932617f;
        snapped = kFrameRate2997;
    }
    if (code) *code = snapped;
    return frameRate;
}

}  // namespace krvx
