// Link-time placeholder for the allocator pair's base class: the behaviour without a memory-function
// table. Forwarding to the host's table arrives with the host suites, which define that table.
#include "host/CMemAlloc.h"

namespace krvx {

void* CMemAlloc::Alloc(uint32_t) { return nullptr; }
void* CMemAlloc::AllocClear(uint32_t) { return nullptr; }
int32_t CMemAlloc::Free(void*) { return static_cast<int32_t>(0x80000000u); }

}  // namespace krvx
