#include "codec/core/Wavelet.h"

#include <cstddef>

namespace krvx {
namespace codec {
namespace {

inline void Split(int32_t a, int32_t b, int16_t& low, int16_t& high) {
    low = static_cast<int16_t>((a + b) >> 1);
    high = static_cast<int16_t>(a - b);
}

// Inverse of Split: a = low + ceil(high / 2) taken as (high + 1) >> 1, b = a - high.
inline void Merge(int32_t low, int32_t high, int16_t& a, int16_t& b) {
    const int32_t first = low + ((high + 1) >> 1);
    a = static_cast<int16_t>(first);
    b = static_cast<int16_t>(first - high);
}

}  // namespace

void ForwardLevel(const int16_t* picture, uint32_t w, uint32_t h, BandPointers bands, int16_t* scratch) {
    const uint32_t lw = (w + 1) / 2, hw = w / 2, lh = (h + 1) / 2, hh = h / 2;
    // Rows: scratch row y holds lw low values, then hw high values.
    for (uint32_t y = 0; y < h; ++y) {
        const int16_t* in = picture + static_cast<std::size_t>(y) * w;
        int16_t* low = scratch + static_cast<std::size_t>(y) * w;
        int16_t* high = low + lw;
        for (uint32_t x = 0; x < hw; ++x) Split(in[2 * x], in[2 * x + 1], low[x], high[x]);
        if (lw > hw) low[hw] = in[w - 1];
    }
    // Columns.
    for (uint32_t y = 0; y < lh; ++y) {
        const int16_t* r0 = scratch + static_cast<std::size_t>(2 * y) * w;
        const bool pair = 2 * y + 1 < h;
        const int16_t* r1 = pair ? r0 + w : nullptr;
        for (uint32_t x = 0; x < lw; ++x) {
            if (pair) {
                Split(r0[x], r1[x], bands.ll[y * lw + x], bands.lh[y * lw + x]);
            } else {
                bands.ll[y * lw + x] = r0[x];
            }
        }
        for (uint32_t x = 0; x < hw; ++x) {
            if (pair) {
                Split(r0[lw + x], r1[lw + x], bands.hl[y * hw + x], bands.hh[y * hw + x]);
            } else {
                bands.hl[y * hw + x] = r0[lw + x];
            }
        }
    }
    (void)hh;
}

void InverseLevel(ConstBandPointers bands, uint32_t w, uint32_t h, int16_t* picture, int16_t* rowScratch) {
    const uint32_t lw = (w + 1) / 2, hw = w / 2, lh = (h + 1) / 2, hh = h / 2;
    int16_t* r0 = rowScratch;
    int16_t* r1 = rowScratch + w;
    for (uint32_t y = 0; y < lh; ++y) {
        const bool pair = y < hh;
        const int16_t* ll = bands.ll + static_cast<std::size_t>(y) * lw;
        const int16_t* hl = bands.hl + static_cast<std::size_t>(y) * hw;
        if (pair) {
            const int16_t* lhRow = bands.lh + static_cast<std::size_t>(y) * lw;
            const int16_t* hhRow = bands.hh + static_cast<std::size_t>(y) * hw;
            for (uint32_t x = 0; x < lw; ++x) Merge(ll[x], lhRow[x], r0[x], r1[x]);
            for (uint32_t x = 0; x < hw; ++x) Merge(hl[x], hhRow[x], r0[lw + x], r1[lw + x]);
        } else {
            for (uint32_t x = 0; x < lw; ++x) r0[x] = ll[x];
            for (uint32_t x = 0; x < hw; ++x) r0[lw + x] = hl[x];
        }
        for (uint32_t row = 0; row < (pair ? 2u : 1u); ++row) {
            const int16_t* src = row == 0 ? r0 : r1;
            int16_t* out = picture + static_cast<std::size_t>(2 * y + row) * w;
            for (uint32_t x = 0; x < hw; ++x) Merge(src[x], src[lw + x], out[2 * x], out[2 * x + 1]);
            if (lw > hw) out[w - 1] = src[hw];
        }
    }
}

}  // namespace codec
}  // namespace krvx
