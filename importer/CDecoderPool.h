// The decoders of one asynchronous importer: concurrent requests get different decoders, and where it
// can, a request gets the decoder that decoded the frame just before its own, so nothing needs priming.
// The pool only grows, one decoder at a time and only when every decoder is in use.
#pragma once
#include <cstdint>

#include "platform/sync.h"

namespace krvx {

class CAdobeFileImporter;
class CSampleBuffer;
class SampleDecoder;

// Copied by value between the pool and a request.
struct DecoderPoolEntry {
    SampleDecoder* decoder = nullptr;
    uint8_t inUse = 0;
    int32_t lastFrame = 0;  // what the decoder's reference state holds; 0 for a new decoder

    // Prepares the entry's decoder for the buffer's sample and applies "CACT" and "CMIX" read from the
    // first five records of the override file: kImNoErr, or kImOtherErr (no decoder, no path buffer, a
    // metadata failure).
    // The prepared picture's size goes to decodedWidth and decodedHeight when given.
    int32_t PrepareWithColourSettings(const CSampleBuffer& sample, uint32_t format, int32_t resolution,
                                      int32_t decodeFlag, int32_t* decodedWidth = nullptr,
                                      int32_t* decodedHeight = nullptr) const;
};

class CDecoderPool {
public:
    // Decoders are created with the importer's allocator.
    explicit CDecoderPool(CAdobeFileImporter* importer) : m_importer(importer) {}
    // Takes every decoder out of the process-wide list and destroys it.
    ~CDecoderPool();
    CDecoderPool(const CDecoderPool&) = delete;
    CDecoderPool& operator=(const CDecoderPool&) = delete;

    // A free entry whose last frame is frame - 1, else the first free one, else a new decoder: kImNoErr,
    // or kImMemErr when no decoder can be created (or the entry array cannot grow).
    int32_t SelectDecoder(DecoderPoolEntry* out, int32_t frame);

    // Records the entry's last frame and frees it: kImNoErr, or kImOtherErr when its decoder is not the
    // pool's.
    int32_t ReturnDecoder(DecoderPoolEntry* entry);

    uint32_t Size();
    uint32_t Created() const { return m_created; }

private:
    bool Grow();

    CAdobeFileImporter* m_importer;
    DecoderPoolEntry* m_entries = nullptr;
    uint32_t m_count = 0;
    uint32_t m_capacity = 0;
    platform::CriticalSection m_lock;
    uint32_t m_created = 0;
};

}  // namespace krvx
