#include "importer/CGenericBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <IAllocator.h>
#include "platform/debug.h"

namespace krvx {

namespace {
// The C runtime's aligned allocation, portably: the original address sits just below the block.
void* RuntimeAlignedAlloc(uint32_t size, uint32_t alignment) {
    if (alignment < sizeof(void*)) alignment = sizeof(void*);
    // The request grows by the alignment and the stored address. In a 32-bit process a size near 4 GiB
    // would wrap to a few bytes, handed out as the whole block: refuse it.
    if (size > SIZE_MAX - alignment - sizeof(void*)) return nullptr;
    void* raw = std::malloc(static_cast<size_t>(size) + alignment + sizeof(void*));
    if (!raw) return nullptr;
    uintptr_t aligned = (reinterpret_cast<uintptr_t>(raw) + sizeof(void*) + alignment - 1) / alignment * alignment;
    std::memcpy(reinterpret_cast<void*>(aligned - sizeof(void*)), &raw, sizeof(raw));
    return reinterpret_cast<void*>(aligned);
}

void RuntimeAlignedFree(void* block) {
    if (!block) return;
    void* raw;
    std::memcpy(&raw, static_cast<char*>(block) - sizeof(void*), sizeof(raw));
    std::free(raw);
}
}  // namespace

bool CGenericBuffer::Alloc(uint32_t size, uint32_t alignment) {
    if (size == 0) return true;
    if (m_data && m_capacity >= size && m_alignment >= alignment) return true;
    Free();

    void* block;
    if (m_allocator)
        block = alignment ? m_allocator->AllocAligned(size, alignment) : m_allocator->Alloc(size);
    else
        block = alignment ? RuntimeAlignedAlloc(size, alignment) : std::malloc(size);
    if (!block) {
        platform::DebugPrintf("CGenericBuffer::Alloc failed size: %d, alignment: %d\n", static_cast<int>(size),
                              static_cast<int>(alignment));
        return false;
    }
    m_data = static_cast<uint8_t*>(block);
    m_capacity = size;
    m_alignment = alignment;
    return true;
}

void CGenericBuffer::Free() {
    if (m_data) {
        if (m_allocator) {
            if (m_alignment)
                m_allocator->FreeAligned(m_data);
            else
                m_allocator->Free(m_data);
        } else if (m_alignment) {
            RuntimeAlignedFree(m_data);
        } else {
            std::free(m_data);
        }
    }
    m_data = nullptr;
    m_capacity = 0;
    m_alignment = 0;
}

}  // namespace krvx
