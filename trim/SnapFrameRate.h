// The frame rate of a rate/scale pair, with the two broadcast rates snapped to their exact values.
#pragma once
#include <cstdint>

namespace krvx {

enum FrameRateCode : int32_t {
    kFrameRateAsIs = 0,
    kFrameRate2997 = 2,
    kFrameRate23976 = 3,
};

// rate / scale in single precision. Above 23 and below 23.99 gives 23.976024627685547 with code 3;
// above 29 and below 29.995 gives 29.970029830932617 with code 2; anything else is returned as it is
// with code 0. A scale of 0 gives 0.
float SnapFrameRate(uint32_t rate, uint32_t scale, int32_t* code);

}  // namespace krvx
