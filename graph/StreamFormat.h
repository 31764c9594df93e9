// What a multiplexer needs to know about one input stream, read from the media type it was connected
// with: the picture's size, depth, compression and frame rate, or the PCM audio format.
#pragma once
#include <cstdint>
#include <vector>

#include "dshow/Interfaces.h"

namespace krvx {
namespace graph {

struct StreamFormat {
    bool isVideo = false;
    // Video: from the bitmap header and the average time per frame.
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    // Frames per second as rate / scale: 10,000,000 / average time per frame, reduced.
    uint32_t rate = 0;
    uint32_t scale = 0;
    // Audio: the wave format as the type carries it.
    dshow::WaveFormatEx wave{};
};

// True when `type` is video with FORMAT_VideoInfo or FORMAT_VideoInfo2, a frame duration above 0 and a
// picture size, or PCM audio with FORMAT_WaveFormatEx, a block alignment above 0 and at most 2^32 - 1
// bytes a second; `format` is then filled.
bool ReadStreamFormat(const dshow::MediaType& type, StreamFormat* format);

// Which of a multiplexer's input streams is its video and which its audio; -1 for none.
struct StreamChoice {
    int video = -1;
    int audio = -1;
};

// False when the streams hold more than one video or more than one audio stream: a file takes one of
// each at most.
bool ChooseStreams(const std::vector<StreamFormat>& streams, StreamChoice* choice);

}  // namespace graph
}  // namespace krvx
