// The process-wide pointer to the host's memory functions, set by every AcquireSuites that receives
// imStdParms. The asynchronous objects are allocated through it.
#pragma once
#include <cstdint>

namespace krvx {

struct HostMemoryFunctions;

void SetProcessMemoryFunctions(HostMemoryFunctions* memoryFunctions);
HostMemoryFunctions* ProcessMemoryFunctions();

// Entry 0 and entry 3 of the process-wide table; null and nothing when no table was ever given.
void* ProcessHostAlloc(uint32_t size);
void ProcessHostFree(void* block);

}  // namespace krvx
