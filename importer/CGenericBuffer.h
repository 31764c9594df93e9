// Reusable memory for one sample or one picture: grows, never shrinks while reused.
#pragma once
#include <cstdint>

namespace krvx {

class IAllocator;

class CGenericBuffer {
public:
    explicit CGenericBuffer(IAllocator* allocator = nullptr) : m_allocator(allocator) {}
    ~CGenericBuffer() { Free(); }
    CGenericBuffer(const CGenericBuffer&) = delete;
    CGenericBuffer& operator=(const CGenericBuffer&) = delete;

    // Keeps the held memory when it is large enough and at least as aligned; else reallocates.
    // An alignment of 0 asks for plain memory.
    bool Alloc(uint32_t size, uint32_t alignment);
    void Free();

    void SetAllocator(IAllocator* allocator) { m_allocator = allocator; }
    IAllocator* Allocator() const { return m_allocator; }
    uint8_t* Data() const { return m_data; }
    uint32_t Capacity() const { return m_capacity; }
    uint32_t Alignment() const { return m_alignment; }

private:
    IAllocator* m_allocator;
    uint8_t* m_data = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_alignment = 0;
};

}  // namespace krvx
