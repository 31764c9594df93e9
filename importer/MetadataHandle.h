// A metadata reader of the decoder library, over one track of one sample; closed on every path once
// opened. Tags are the four characters as a little-endian word, as the reader reports them.
#pragma once
#include <KRVXDecoder.h>

#include <cstdint>

#include "importer/DecoderLibrary.h"

namespace krvx {

constexpr uint32_t MetadataTag(const char (&text)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

class CMetadataHandle {
public:
    // Opens a reader; Get() stays null when the library is missing or refuses.
    explicit CMetadataHandle(const DecoderLibrary* library) : m_library(library) {
        if (m_library && m_library->openMetadata(&m_handle) != KRVX_ERROR_OKAY) m_handle = nullptr;
    }
    ~CMetadataHandle() {
        if (m_handle) m_library->closeMetadata(m_handle);
    }
    CMetadataHandle(const CMetadataHandle&) = delete;
    CMetadataHandle& operator=(const CMetadataHandle&) = delete;

    // Points the reader at `track` of the sample; false when it cannot be.
    bool Init(uint32_t track, const void* sample, uint32_t size) {
        return m_handle && m_library->initSampleMetadata(m_handle, track, sample, size) == KRVX_ERROR_OKAY;
    }
    // The next item; false at the end.
    bool Next(uint32_t* tag, uint32_t* size, const void** data) {
        uint32_t type = 0;
        return m_library->readMetadata(m_handle, tag, &type, size, data) == KRVX_ERROR_OKAY;
    }
    KRVX_MetadataHandle Get() const { return m_handle; }

private:
    const DecoderLibrary* m_library;
    KRVX_MetadataHandle m_handle = nullptr;
};

}  // namespace krvx
