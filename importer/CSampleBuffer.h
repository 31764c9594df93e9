// One compressed sample as read from the file: the bytes [data + offset, data + offset + sample size).
#pragma once
#include <cstdint>

#include "importer/CGenericBuffer.h"

namespace krvx {

class AVIReader;

class CSampleBuffer : public CGenericBuffer {
public:
    using CGenericBuffer::CGenericBuffer;

    // Allocates with alignment 4 (or the raised read alignment) and holds `size` bytes of sample.
    bool Alloc(uint32_t size);

    // Reads video frame `frame` with one sector-aligned unbuffered read: kImNoErr, kImBadFile (not
    // located or not read), kImMemErr or kImOtherErr (no reader).
    int32_t ReadSample(AVIReader* reader, uint32_t frame, uint32_t sectorSize);

    // Frees the memory and forgets the sample.
    void Release();

    // Where unbuffered reads need aligned memory, reads align the buffer to the sector size too.
    void SetReadAlignment(uint32_t alignment) { m_readAlignment = alignment < 4 ? 4 : alignment; }

    const uint8_t* Sample() const { return Data() ? Data() + m_offset : nullptr; }
    uint32_t SampleSize() const { return m_sampleSize; }
    uint32_t Offset() const { return m_offset; }

private:
    uint32_t m_sampleSize = 0;
    uint32_t m_offset = 0;
    uint32_t m_readAlignment = 4;
};

}  // namespace krvx
