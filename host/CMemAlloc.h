// Blocks from a host memory-function table (allocate, allocate cleared, dispose of). Without a table
// it allocates nothing. CImporterAllocator (its own header) reads an importer's table at every call.
#pragma once
#include <cstdint>

namespace krvx {

struct HostMemoryFunctions;

class CMemAlloc {
public:
    explicit CMemAlloc(const HostMemoryFunctions* memoryFunctions = nullptr) : m_memoryFunctions(memoryFunctions) {}
    virtual void* Alloc(uint32_t size);
    virtual void* AllocClear(uint32_t size);
    virtual int32_t Free(void* block);
    virtual ~CMemAlloc() = default;

protected:
    const HostMemoryFunctions* m_memoryFunctions;
};

}  // namespace krvx
