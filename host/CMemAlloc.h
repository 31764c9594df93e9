// The small allocator pair used by the conversion code: CMemAlloc over a host memory-function table,
// and CImporterAllocator, which reads its importer's table at every call.
#pragma once
#include <cstdint>

namespace krvx {

struct HostMemoryFunctions;
class CAVIFileImporter;

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
