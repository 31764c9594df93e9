// A block of int16 values owned through the decoder's IAllocator; grows, never shrinks until Release.
#pragma once
#include <cstdint>

#include <IAllocator.h>

namespace krvx {
namespace codec {

class AllocatorBuffer {
public:
    AllocatorBuffer() = default;
    AllocatorBuffer(const AllocatorBuffer&) = delete;
    AllocatorBuffer& operator=(const AllocatorBuffer&) = delete;
    ~AllocatorBuffer() { Release(); }

    void Bind(IAllocator* allocator) { m_allocator = allocator; }

    // Holds at least count values afterwards; false when the allocator refuses (the buffer is then empty).
    bool Reserve(size_t count) {
        if (count <= m_capacity && m_data != nullptr) return true;
        Release();
        const uint64_t bytes = uint64_t(count) * sizeof(int16_t);
        if (bytes == 0 || bytes > 0xFFFFFFF0u) return false;
        m_data = static_cast<int16_t*>(m_allocator->AllocAligned(static_cast<uint32_t>(bytes), 32));
        if (m_data == nullptr) return false;
        m_capacity = count;
        return true;
    }

    void Release() {
        if (m_data != nullptr) m_allocator->FreeAligned(m_data);
        m_data = nullptr;
        m_capacity = 0;
    }

    int16_t* Data() const { return m_data; }

private:
    IAllocator* m_allocator = nullptr;
    int16_t* m_data = nullptr;
    size_t m_capacity = 0;
};

}  // namespace codec
}  // namespace krvx
