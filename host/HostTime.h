// The host's clock: times travel as 64-bit ticks, 254016000000 of them per second (a multiple of every
// common frame and sample rate). The Time Suite reports it; this is what a host without one uses.
#pragma once
#include <cstdint>

namespace krvx {

constexpr int64_t kHostTicksPerSecond = 254016000000LL;

}  // namespace krvx
