#include "avi/AVIVideoStream.h"

#include <climits>
#include <cstring>

#include "avi/AVIAssert.h"
#include "avi/AVIReader.h"

namespace krvx {

using namespace dshow;

AVIVideoStream::AVIVideoStream()
    : m_bitmapHeader(), m_formatData() {}

void AVIVideoStream::Reset() {
    AVIStream::Reset();
    m_bitmapHeader = BitmapInfoHeader{};
    std::memset(m_formatData, 0, sizeof(m_formatData));
}

uint32_t AVIVideoStream::GetHandler() const {
    uint32_t handler = AVIStream::GetHandler();
    return handler ? handler : m_bitmapHeader.compression;
}

HResult AVIVideoStream::Init(const RiffChunk& strh, const RiffChunk& strf) {
    if (!strf.data || strf.dataSize == 0) return kFail;
    TakeHeader(strh.data.get(), strh.dataSize, strh.id, strh.size);
    m_bitmapHeader = BitmapInfoHeader{};
    std::memcpy(&m_bitmapHeader, strf.data.get(),
                strf.dataSize < sizeof(BitmapInfoHeader) ? static_cast<size_t>(strf.dataSize)
                                                         : sizeof(BitmapInfoHeader));
    std::memset(m_formatData, 0, sizeof(m_formatData));
    if (m_bitmapHeader.size > sizeof(BitmapInfoHeader) && strf.dataSize > sizeof(BitmapInfoHeader)) {
        uint64_t wanted = m_bitmapHeader.size - sizeof(BitmapInfoHeader);
        uint64_t held = strf.dataSize - sizeof(BitmapInfoHeader);
        if (wanted > kVideoFormatDataBytes) wanted = kVideoFormatDataBytes;
        if (wanted > held) wanted = held;
        std::memcpy(m_formatData, strf.data.get() + sizeof(BitmapInfoHeader), static_cast<size_t>(wanted));
    }
    m_valid = 1;
    return kOk;
}

HResult AVIVideoStream::GetAlignedFrameLocation(uint32_t frame, uint32_t alignment, uint32_t* size,
                                                uint32_t* lead, uint64_t* alignedOffset,
                                                uint32_t* alignedSize) {
    if (Failed(EnsureIndex())) return kFail;
    uint64_t offset = 0;
    uint32_t entrySize = 0;
    if (Failed(ActiveIndex().GetEntry(frame, &offset, &entrySize))) return kFail;
    entrySize &= ~kStdIndexNotKeyFrame;
    if (alignment == 0) alignment = kDefaultSectorSize;
    uint64_t position = offset;
    if (!AVI_ASSERT((position % alignment) <= INT_MAX)) return kFail;
    // The caller allocates what is answered here: a frame the file cannot hold is not located.
    if (!m_reader || !m_reader->SpanInFile(offset, entrySize)) return kFail;
    uint64_t frameLead = position % alignment;
    uint64_t total = entrySize + frameLead;
    uint64_t rounded = (total + alignment - 1) / alignment * alignment;
    if (rounded > UINT32_MAX) return kFail;
    if (size) *size = entrySize;
    if (lead) *lead = static_cast<uint32_t>(frameLead);
    if (alignedOffset) *alignedOffset = offset - frameLead;
    if (alignedSize) *alignedSize = static_cast<uint32_t>(rounded);
    return kOk;
}

}  // namespace krvx
