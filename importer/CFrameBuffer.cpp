#include "importer/CFrameBuffer.h"

#include "host/HostResults.h"
#include "importer/DecoderFormats.h"
#include "platform/debug.h"

namespace krvx {

namespace {
}

int32_t CFrameBuffer::Alloc(int32_t width, int32_t height, uint32_t format) {
    uint64_t rowBytes = static_cast<uint64_t>(BytesPerPixel(format)) * static_cast<uint32_t>(width < 0 ? 0 : width);
    uint64_t pitch = (rowBytes + kFrameAlignment - 1) / kFrameAlignment * kFrameAlignment;
    uint64_t size = pitch * static_cast<uint32_t>(height < 0 ? 0 : height);
    if (pitch > INT32_MAX || size > UINT32_MAX ||
        !CGenericBuffer::Alloc(static_cast<uint32_t>(size), kFrameAlignment)) {
        platform::DebugPrintf("CFrameBuffer::Alloc failed size: %d, width: %d, height: %d, format: %c%c%c%c\n",
                              static_cast<int>(size), width, height, static_cast<char>(format & 0xFF),
                              static_cast<char>((format >> 8) & 0xFF), static_cast<char>((format >> 16) & 0xFF),
                              static_cast<char>((format >> 24) & 0xFF));
        return kImMemErr;
    }
    m_width = width;
    m_height = height;
    m_pitch = static_cast<int32_t>(pitch);
    m_format = format;
    return kImNoErr;
}

bool CFrameBuffer::IsValid() const {
    return m_width >= 1 && m_height >= 1 && m_pitch >= 1 && m_format != 0 && Data() && Capacity() != 0 &&
           Alignment() >= kFrameAlignment;
}

}  // namespace krvx
