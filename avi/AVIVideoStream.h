// The video stream: its bitmap header and format data, and where each compressed frame lies.
#pragma once
#include <cstdint>

#include "avi/AVIStream.h"
#include "avi/RiffChunk.h"

namespace krvx {

class AVIVideoStream : public AVIStream {
public:
    AVIVideoStream();

    void Reset() override;
    uint32_t GetHandler() const override;

    // Takes the stream header and the "strf" chunk; E_FAIL when "strf" has no data.
    dshow::HResult Init(const RiffChunk& strh, const RiffChunk& strf);

    // The frame's sector-aligned span for an unbuffered read (alignment 0 means 512): the data starts
    // `lead` bytes into a read of `alignedSize` bytes at `alignedOffset` and is `size` bytes long.
    dshow::HResult GetAlignedFrameLocation(uint32_t frame, uint32_t alignment, uint32_t* size, uint32_t* lead,
                                           uint64_t* alignedOffset, uint32_t* alignedSize);

    const dshow::BitmapInfoHeader& BitmapHeader() const { return m_bitmapHeader; }
    const uint8_t* FormatData() const { return m_formatData; }
    // The pixel aspect ratio the clip description reports. AVI headers carry none that this reader
    // trusts, so it stays 1 : 1 for the stream's life.
    uint32_t AspectNumerator() const { return aspectNumerator; }
    uint32_t AspectDenominator() const { return aspectDenominator; }

private:
    dshow::BitmapInfoHeader m_bitmapHeader;
    uint8_t m_formatData[kVideoFormatDataBytes];
    const uint32_t aspectNumerator = 1;
    const uint32_t aspectDenominator = 1;
};

}  // namespace krvx
