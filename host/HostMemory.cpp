#include "host/HostMemory.h"

#include <atomic>

#include "host/HostTables.h"

namespace krvx {

namespace {
std::atomic<HostMemoryFunctions*> g_memoryFunctions{nullptr};
}

void SetProcessMemoryFunctions(HostMemoryFunctions* memoryFunctions) { g_memoryFunctions = memoryFunctions; }
HostMemoryFunctions* ProcessMemoryFunctions() { return g_memoryFunctions.load(); }

void* ProcessHostAlloc(uint32_t size) {
    auto newPtr = HostSlot<HostNewPtrFn>(g_memoryFunctions.load(), kMemNewPtr);
    return newPtr ? newPtr(size) : nullptr;
}

void ProcessHostFree(void* block) {
    auto disposePtr = HostSlot<HostDisposePtrFn>(g_memoryFunctions.load(), kMemDisposePtr);
    if (disposePtr) disposePtr(static_cast<char*>(block));
}

}  // namespace krvx
