// Helpers shared by the conversion tests: a malloc-backed allocator that counts live blocks and can
// fail on request, random buffers, and row access with a pitch.
#pragma once
#include <atomic>
#include <cstdint>
#include <random>
#include <vector>

#include "convert/ScratchAllocator.h"

namespace krvx {
namespace test {

class MallocAllocator : public IScratchAllocator {
public:
    void* Alloc(uint32_t size) override;
    void Free(void* block) override;

    int32_t Live() const { return m_live.load(); }
    // The allocation with this number (1 = the next one) and every later one fail; 0 = none fails.
    void FailFrom(int32_t number) {
        m_failFrom = number;
        m_count = 0;
    }

private:
    std::atomic<int32_t> m_live{0};
    std::atomic<int32_t> m_count{0};
    int32_t m_failFrom = 0;
};

// `size` random bytes (deterministic per seed).
std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed);

// Random 16-bit samples in [low, high].
std::vector<int16_t> RandomSamples(size_t count, int32_t low, int32_t high, uint32_t seed);

template <typename T = uint8_t>
inline T* Row(void* base, int32_t pitch, int32_t y) {
    return reinterpret_cast<T*>(static_cast<uint8_t*>(base) + static_cast<intptr_t>(pitch) * y);
}

}  // namespace test
}  // namespace krvx
