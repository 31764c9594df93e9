// KRVX_CreateSampleDecoder: the decoder object lives in memory from the caller's allocator.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "codec/decoder/SampleDecoderImpl.h"
#include <KRVXDecoder.h>

namespace {

// Used only when the caller passes no allocator.
class MallocAllocator final : public krvx::IAllocator {
public:
    void* Alloc(uint32_t size) override { return std::malloc(size); }
    void Free(void* block) override { std::free(block); }
    void* AllocAligned(uint32_t size, uint32_t alignment) override {
        if (alignment < sizeof(void*)) alignment = sizeof(void*);
        // In a 32-bit process a size near 4 GiB plus the alignment and the stored address would wrap.
        if (size > SIZE_MAX - alignment - sizeof(void*)) return nullptr;
        void* raw = std::malloc(size_t(size) + alignment + sizeof(void*));
        if (raw == nullptr) return nullptr;
        const uintptr_t start = reinterpret_cast<uintptr_t>(raw) + sizeof(void*);
        const uintptr_t aligned = (start + alignment - 1) & ~uintptr_t(alignment - 1);
        reinterpret_cast<void**>(aligned)[-1] = raw;
        return reinterpret_cast<void*>(aligned);
    }
    void FreeAligned(void* block) override {
        if (block != nullptr) std::free(static_cast<void**>(block)[-1]);
    }
};

MallocAllocator g_mallocAllocator;

}  // namespace

extern "C" KRVX_API krvx::SampleDecoder* KRVX_CreateSampleDecoder(krvx::IAllocator* allocator,
                                                                  void* /*logStream*/) {
    if (allocator == nullptr) allocator = &g_mallocAllocator;
    void* memory = allocator->AllocAligned(
        sizeof(krvx::codec::SampleDecoderImpl),
        alignof(krvx::codec::SampleDecoderImpl) < 16 ? 16 : alignof(krvx::codec::SampleDecoderImpl));
    if (memory == nullptr) return nullptr;
    return new (memory) krvx::codec::SampleDecoderImpl(allocator);
}
