// Helpers shared by the codec tests: a counting allocator, an owning decoder handle and the expected
// decoded picture computed from the encoder's input.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "codec/encoder/KRVXEncoder.h"
#include <KRVXDecoder.h>

namespace krvx {
namespace codectest {

// Counts blocks and bytes; can refuse every allocation from the n-th on.
class CountingAllocator : public IAllocator {
public:
    void* Alloc(uint32_t size) override { return Take(std::malloc(size ? size : 1)); }
    void Free(void* block) override { Give(block, false); }
    void* AllocAligned(uint32_t size, uint32_t alignment) override {
        if (m_failFrom >= 0 && m_calls >= m_failFrom) {
            ++m_calls;
            return nullptr;
        }
        ++m_calls;
        if (alignment < sizeof(void*)) alignment = sizeof(void*);
        void* raw = std::malloc(size_t(size) + alignment + sizeof(void*));
        if (raw == nullptr) return nullptr;
        const uintptr_t start = reinterpret_cast<uintptr_t>(raw) + sizeof(void*);
        void* aligned = reinterpret_cast<void*>((start + alignment - 1) & ~uintptr_t(alignment - 1));
        static_cast<void**>(aligned)[-1] = raw;
        m_aligned.insert(aligned);
        return aligned;
    }
    void FreeAligned(void* block) override {
        if (block == nullptr) return;
        if (m_aligned.erase(block) == 0) {
            ++m_badFrees;
            return;
        }
        std::free(static_cast<void**>(block)[-1]);
    }
    size_t Live() const { return m_aligned.size() + m_plain.size(); }
    int BadFrees() const { return m_badFrees; }
    int Calls() const { return m_calls; }
    void FailFrom(int call) { m_failFrom = call; }

private:
    void* Take(void* p) {
        if (p) m_plain.insert(p);
        return p;
    }
    void Give(void* p, bool) {
        if (p == nullptr) return;
        if (m_plain.erase(p) == 0) ++m_badFrees;
        std::free(p);
    }
    std::set<void*> m_aligned, m_plain;
    int m_badFrees = 0;
    int m_calls = 0;
    int m_failFrom = -1;
};

struct DecoderDeleter {
    void operator()(SampleDecoder* d) const {
        if (d) d->Destroy(1);
    }
};
using DecoderPtr = std::unique_ptr<SampleDecoder, DecoderDeleter>;

inline DecoderPtr MakeDecoder(IAllocator* allocator) {
    return DecoderPtr(KRVX_CreateSampleDecoder(allocator, nullptr));
}

// One plane of the picture halved `steps` times with the codec's low-pass rule: floor((a + b) / 2) along
// rows, then along columns; an odd last sample is kept.
std::vector<int32_t> HalvePlane(const std::vector<uint16_t>& plane, uint32_t& w, uint32_t& h, int steps);

// The picture the decoder must deliver: rows top-down in picture order, each OutputRowBytes long, with
// the colour matrix of the picture's size.
std::vector<uint8_t> ExpectedOutput(const encode::Picture& picture, int resolution, uint32_t pixelFormat,
                                    uint32_t& width, uint32_t& height, uint32_t& rowBytes);

uint32_t RowBytesOf(uint32_t pixelFormat, uint32_t width);

// Encodes frames [0, count) of a pattern with the given key-frame interval.
std::vector<std::vector<uint8_t>> EncodeFrames(encode::Pattern pattern, uint32_t w, uint32_t h,
                                               uint32_t format, uint32_t count, uint32_t gop,
                                               std::vector<encode::Picture>* pictures = nullptr,
                                               const std::vector<encode::MetadataItem>& metadata = {});

// Prepares and decodes; output null primes.
KRVX_Error Decode(SampleDecoder& decoder, const std::vector<uint8_t>& sample, uint32_t format, int resolution,
                  void* output, int32_t pitch);

// Decodes into a buffer of exactly height rows of `pitch` bytes and returns the rows in picture order.
std::vector<uint8_t> DecodeToRows(SampleDecoder& decoder, const std::vector<uint8_t>& sample, uint32_t format,
                                  int resolution, KRVX_Error& error);

inline const uint32_t kAllOutputFormats[] = {KRVX_PIXEL_FORMAT_BGRA, KRVX_PIXEL_FORMAT_YUYV,
                                             KRVX_PIXEL_FORMAT_YU64, KRVX_PIXEL_FORMAT_WP13,
                                             KRVX_PIXEL_FORMAT_W13A, KRVX_PIXEL_FORMAT_B64A};

}  // namespace codectest
}  // namespace krvx
