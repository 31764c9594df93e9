// One level of the reversible 2-D Haar (S-) transform: low = floor((a + b) / 2), high = a - b, first along
// rows, then along columns. An odd last sample stays in the low band.
#pragma once
#include <cstdint>

namespace krvx {
namespace codec {

struct BandPointers {
    int16_t* ll;  // ceil(w/2) x ceil(h/2)
    int16_t* hl;  // floor(w/2) x ceil(h/2)
    int16_t* lh;  // ceil(w/2) x floor(h/2)
    int16_t* hh;  // floor(w/2) x floor(h/2)
};

struct ConstBandPointers {
    const int16_t* ll;
    const int16_t* hl;
    const int16_t* lh;
    const int16_t* hh;
};

// Splits a w x h picture (rows of w values) into its four bands. scratch holds w * h values.
void ForwardLevel(const int16_t* picture, uint32_t w, uint32_t h, BandPointers bands, int16_t* scratch);

// Rebuilds the w x h picture from its four bands. rowScratch holds 2 * w values.
void InverseLevel(ConstBandPointers bands, uint32_t w, uint32_t h, int16_t* picture, int16_t* rowScratch);

}  // namespace codec
}  // namespace krvx
