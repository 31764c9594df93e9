// One decoded picture in a decoder pixel format: 16-byte aligned, pitch rounded up to 16 bytes.
#pragma once
#include <cstdint>

#include "importer/CGenericBuffer.h"

namespace krvx {

// Frame buffers and their pitches are aligned to this many bytes.
constexpr uint32_t kFrameAlignment = 16;

class CFrameBuffer : public CGenericBuffer {
public:
    using CGenericBuffer::CGenericBuffer;

    // kImNoErr, or kImMemErr when the memory cannot be had. A format without a per-pixel size gets
    // pitch 0 and no memory.
    int32_t Alloc(int32_t width, int32_t height, uint32_t format);
    bool IsValid() const;

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int32_t Pitch() const { return m_pitch; }
    uint32_t Format() const { return m_format; }

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_pitch = 0;
    uint32_t m_format = 0;
};

}  // namespace krvx
