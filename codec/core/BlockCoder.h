// Entropy coding of one band: blocks of 16 zigzag-mapped values packed at the block's bit width, with
// runs of all-zero blocks folded into one byte.
#pragma once
#include <cstdint>
#include <vector>

namespace krvx {
namespace codec {

// Appends the coded band to out.
void EncodeBand(const int16_t* values, uint32_t count, std::vector<uint8_t>& out);

// Decodes exactly `size` bytes into `count` values; with accumulate the decoded values are added to
// those already in `values` (wrapping at 16 bits). False when the bytes do not form a band of that count.
bool DecodeBand(const uint8_t* data, uint32_t size, int16_t* values, uint32_t count, bool accumulate);

}  // namespace codec
}  // namespace krvx
