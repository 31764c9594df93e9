#include "host/CImporterAllocator.h"

#include <cstdlib>

#include "host/HostTables.h"
#include "host/CAdobeFileImporter.h"

namespace krvx {

void* CImporterAllocator::Alloc(uint32_t size) {
    const HostMemoryFunctions* table = m_importer->MemoryFunctions();
    if (!table) return std::malloc(size);
    auto newPtr = HostSlot<HostNewPtrFn>(table, kMemNewPtr);
    return newPtr ? newPtr(size) : nullptr;
}

void* CImporterAllocator::AllocClear(uint32_t size) {
    auto newPtrClear = HostSlot<HostNewPtrFn>(m_importer->MemoryFunctions(), kMemNewPtrClear);
    return newPtrClear ? newPtrClear(size) : nullptr;
}

int32_t CImporterAllocator::Free(void* block) {
    const HostMemoryFunctions* table = m_importer->MemoryFunctions();
    if (!table) {
        std::free(block);
        return 0;
    }
    auto disposePtr = HostSlot<HostDisposePtrFn>(table, kMemDisposePtr);
    if (disposePtr) disposePtr(static_cast<char*>(block));
    return 0;
}

}  // namespace krvx
