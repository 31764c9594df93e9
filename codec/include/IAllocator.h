// The allocator interface the decoder library is handed: every block it and the buffers around it use.
#pragma once
#include <cstdint>

namespace krvx {

class IAllocator {
public:
    virtual void* Alloc(uint32_t size) = 0;
    virtual void Free(void* block) = 0;
    // alignment is a power of two; the block is released with FreeAligned.
    virtual void* AllocAligned(uint32_t size, uint32_t alignment) = 0;
    virtual void FreeAligned(void* block) = 0;
    virtual ~IAllocator() = default;
};

}  // namespace krvx
