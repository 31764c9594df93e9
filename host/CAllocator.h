// The tracking allocator: every live block in a map, with duplicate, missing-block and leak reports and
// process-wide current and peak byte counts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>

#include <IAllocator.h>
#include "platform/sync.h"

namespace krvx {

struct HostMemoryFunctions;
struct imStdParms;

// Below every aligned block, with no padding: marker, address of the underlying block, marker.
// 12 bytes on the 32-bit target; the address widens elsewhere.
constexpr uint32_t kAlignedBlockMarker = 0x1234ABCDu;
constexpr uint32_t kAlignedHeaderSize = 8 + sizeof(void*);

class CAllocator : public IAllocator {
public:
    // Takes the memory functions from stdParms; without them the C runtime heap is used.
    explicit CAllocator(const imStdParms* stdParms);
    ~CAllocator() override;
    CAllocator(const CAllocator&) = delete;
    CAllocator& operator=(const CAllocator&) = delete;

    void* Alloc(uint32_t size) override;
    void Free(void* block) override;
    void* AllocAligned(uint32_t size, uint32_t alignment) override;
    void FreeAligned(void* block) override;

    // Live blocks, for tests and the leak check.
    size_t LiveBlockCount();

    // Process-wide counters over every instance.
    static uint32_t CurrentBytes();
    static uint32_t PeakBytes();

private:
    HostMemoryFunctions* m_memoryFunctions;
    platform::CriticalSection m_lock;
    std::map<void*, uint32_t> m_blocks;
};

}  // namespace krvx
