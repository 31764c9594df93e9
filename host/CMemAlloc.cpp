#include "host/CMemAlloc.h"

#include "host/HostTables.h"

namespace krvx {

void* CMemAlloc::Alloc(uint32_t size) {
    auto newPtr = HostSlot<HostNewPtrFn>(m_memoryFunctions, kMemNewPtr);
    return newPtr ? newPtr(size) : nullptr;
}

void* CMemAlloc::AllocClear(uint32_t size) {
    auto newPtrClear = HostSlot<HostNewPtrFn>(m_memoryFunctions, kMemNewPtrClear);
    return newPtrClear ? newPtrClear(size) : nullptr;
}

int32_t CMemAlloc::Free(void* block) {
    if (!m_memoryFunctions) return INT32_MIN;
    auto disposePtr = HostSlot<HostDisposePtrFn>(m_memoryFunctions, kMemDisposePtr);
    if (disposePtr) disposePtr(static_cast<char*>(block));
    return 0;
}

}  // namespace krvx
