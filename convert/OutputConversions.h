// The output conversion step: from a decoded frame into a host frame, by row copy, byte reversal,
// colour-space conversion or (at another size) the frame scaler.
#pragma once
#include <cstdint>

#include "convert/FrameViews.h"
#include "convert/ScratchAllocator.h"

namespace krvx {

// Wider than 720 and taller than 576.
inline bool IsHighDefinition(int32_t clipWidth, int32_t clipHeight) {
    return clipWidth > 720 && clipHeight > 576;
}

// The converter operations. Each takes the source and its pitch, the destination and its pitch, the
// size in pixels and its extra arguments. Unless noted, destination row y is made from source row
// height - 1 - y; the pooled ones run on the stripe workers and return when the frame is done.
void CopyFrameRows(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t rowBytes,
                   int32_t height);  // rows keep their order
void ReverseBgraToArgb8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height);  // rows keep their order
void ConvertYuyvToBgra8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height);
void ConvertBgraToVuya8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height);
void ConvertYuyvToVuya8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height, bool highDefinition);
void ConvertYu64ToVuyaFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                            int32_t width, int32_t height, bool highDefinition, bool interpolate);
void ConvertRgb13ToVuyaFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                             int32_t width, int32_t height, DecodedLayout decodedFormat);
void ConvertRgb13ToBgraFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                             int32_t width, int32_t height, DecodedLayout decodedFormat);
void ConvertRgb13ToArgbFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                             int32_t width, int32_t height, DecodedLayout decodedFormat);
void ConvertRgb13ToArgb8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                         int32_t height, DecodedLayout decodedFormat);
void ConvertRgba16ToBgra16(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                           int32_t width, int32_t height);

// Converts (and scales when the sizes differ) the decoded frame into the host frame, so that the host
// frame holds an upright picture in its own row order: where the chosen conversion would leave the
// rows the wrong way round, it reads the decoded frame in the other order. clipWidth and clipHeight
// decide the high-definition rule. A host ARGB 8-bit frame of another size is filled (scaled as BGRA,
// then byte-reversed) only when scaleArgb8 is set.
// Returns 0 when done (also when nothing needed writing), 3 when the pair of formats is not
// supported, 4 when the scaler cannot get its buffers.
int32_t ConvertOutputFrame(const DecodedFrameView& source, int32_t clipWidth, int32_t clipHeight,
                           const HostFrameView& destination, IScratchAllocator* allocator, bool scaleArgb8 = false);

}  // namespace krvx
