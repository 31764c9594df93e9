#include "ConvertTestSupport.h"

#include <cstdlib>
#include <cstring>

namespace krvx {
namespace test {

void* MallocAllocator::Alloc(uint32_t size) {
    const int32_t number = ++m_count;
    if (m_failFrom > 0 && number >= m_failFrom) return nullptr;
    void* block = std::malloc(size);
    if (block) ++m_live;
    return block;
}

void MallocAllocator::Free(void* block) {
    if (block) --m_live;
    std::free(block);
}

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

std::vector<int16_t> RandomSamples(size_t count, int32_t low, int32_t high, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> pick(low, high);
    std::vector<int16_t> samples(count);
    for (int16_t& s : samples) s = static_cast<int16_t>(pick(random));
    return samples;
}

}  // namespace test
}  // namespace krvx
