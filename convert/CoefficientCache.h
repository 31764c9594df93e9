// Coefficient tables of whole passes, kept between frames. The host asks for the same sizes frame after
// frame, and computing the taps (two sines per tap) costs more than scaling a small frame does.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace krvx {

class CWorkerPool;

// One pass's 16-bit table in the layout of WriteCoefficientTable, and the entry offset of each position.
struct CoefficientTable {
    int32_t sourceLength = 0;
    int32_t destinationLength = 0;
    std::vector<uint16_t> entries;
    std::vector<int32_t> offsets;
};

// How many tables are kept; the least recently used one goes first.
constexpr int kCachedCoefficientTables = 8;

// Fills tables[i] with the table from sourceLengths[i] to destinationLengths[i] for i < count. Tables not
// kept yet are computed on `pool` (whose job lock the caller holds) and kept. A pass with a destination
// length below 1 gets null; a source length below 1 gives positions without taps. False when memory runs out.
bool GetCoefficientTables(const int32_t* sourceLengths, const int32_t* destinationLengths, int count,
                          CWorkerPool& pool, std::shared_ptr<const CoefficientTable>* tables);

// Forgets every kept table (tests use it to measure a first frame).
void ClearCoefficientCache();

}  // namespace krvx
