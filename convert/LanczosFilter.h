// The scaler's filter: Lanczos (a = 3) weights in 1/256 units for one output position, the 16-bit
// coefficient tables built from them, and a dense form of a table for the vector kernels.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {

struct LanczosTap {
    int32_t index;   // source index (already multiplied by the decimation factor)
    int32_t weight;  // 1/256 units; the taps of a position sum to 256
};

// More than any position can produce (at most 32 for the ratios the decimation leaves).
constexpr int32_t kMaxLanczosTaps = 64;

// Taps of output `position` for a pass from `sourceLength` to `destinationLength`; returns their
// number (0 for lengths below 1).
int32_t ComputeLanczosTaps(int32_t sourceLength, int32_t destinationLength, int32_t position,
                           LanczosTap* taps);

// The table is at least this many bytes: enough for every position and tap of a full-HD pass, so the
// common sizes never need a larger block; larger passes get one sized for their taps.
constexpr uint32_t kCoefficientTableMinBytes = 128000;
constexpr uint16_t kTableEnd = 0xFFFF;

// Bytes a table needs for `taps[p]`/`counts[p]` of every position (never less than the minimum).
uint32_t CoefficientTableBytes(const int32_t* counts, int32_t positions);

// Table layout, 16-bit entries: per position p: p, (index, weight) pairs, 0xFFFF; then one more 0xFFFF.
// `taps` holds kMaxLanczosTaps entries per position. Returns the entries written, or 0 when they do
// not fit in `capacityBytes`.
uint32_t WriteCoefficientTable(const LanczosTap* taps, const int32_t* counts, int32_t positions,
                               uint16_t* table, uint32_t capacityBytes);

// Dense form: per position one first index and `span` weights for first, first + 1, ... (zeros where
// the table has no tap); span is a multiple of 8 and first + span never passes the source length.
struct DenseTaps {
    int32_t positions = 0;
    int32_t span = 0;
    int32_t reach = 0;  // widest index range of one position (span is this rounded up to 8)
    int32_t* first = nullptr;
    int16_t* weights = nullptr;  // positions x span
    bool usable = false;         // false when the source is shorter than the span
    bool identity = false;       // every position p has the single tap (p, 256): the pass copies
    // Positions runFrom .. runTo - 1 (a multiple of 8 of them) share one weight row and start at
    // first = runStride x p + runOffset, with a stride of 2 or 4: the inside of a pass that halves or
    // quarters, which vector kernels run as one filter stepping that many samples per position.
    // runTo == runFrom when there is no such run.
    int32_t runFrom = 0;
    int32_t runTo = 0;
    int32_t runOffset = 0;
    int32_t runStride = 0;
};

// Bytes of the dense form for `positions` outputs whose taps stretch over at most `reach` indexes.
uint32_t DenseTapsBytes(int32_t positions, int32_t reach);
// Widest index range (max - min + 1) over all positions of a table.
int32_t TableReach(const uint16_t* table);
// Fills `dense` from a table into `memory` (DenseTapsBytes large).
void BuildDenseTaps(const uint16_t* table, int32_t sourceLength, int32_t reach, void* memory,
                    DenseTaps* dense);

}  // namespace krvx
