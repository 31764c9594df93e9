// Where the scaler gets its working buffers: a block per call, given back with Free. Callers hand in
// whatever memory their setting wants (the host's memory functions in the plug-in).
#pragma once
#include <cstdint>

namespace krvx {

class IScratchAllocator {
public:
    // Null when the block cannot be had; the scaler then answers 4.
    virtual void* Alloc(uint32_t size) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~IScratchAllocator() = default;
};

}  // namespace krvx
