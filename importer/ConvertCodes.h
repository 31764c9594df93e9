// The conversions speak layouts of their own; these map the host's and the decoder's format codes onto
// them at the call, and lend the scaler its scratch memory from the host.
#pragma once
#include <cstdint>

#include "convert/PixelLayouts.h"
#include "convert/ScratchAllocator.h"

namespace krvx {

class CMemAlloc;

// HostLayout::Unknown for a host format no conversion writes.
HostLayout HostLayoutFor(uint32_t hostFormat);
// DecodedLayout::Unknown for a decoder format no conversion reads.
DecodedLayout DecodedLayoutFor(uint32_t decoderFormat);

// The scaler's working buffers through a host-memory allocator (the importer's, for the frame path).
class CHostScratchAllocator final : public IScratchAllocator {
public:
    explicit CHostScratchAllocator(CMemAlloc* memory) : m_memory(memory) {}
    void* Alloc(uint32_t size) override;
    void Free(void* block) override;

private:
    CMemAlloc* m_memory;
};

}  // namespace krvx
