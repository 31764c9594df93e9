// The AVI header records as the reader keeps them: the file's little-endian layout, copied byte for byte.
#pragma once
#include <cstddef>
#include <cstdint>

#include "dshow/FormatHeaders.h"

namespace krvx {

// "avih" data.
struct AVIMainHeader {
    uint32_t microSecPerFrame;
    uint32_t maxBytesPerSec;
    uint32_t paddingGranularity;
    uint32_t flags;
    uint32_t totalFrames;  // of the first RIFF form
    uint32_t initialFrames;
    uint32_t streams;
    uint32_t suggestedBufferSize;
    uint32_t width;
    uint32_t height;
    uint32_t reserved[4];
};
static_assert(sizeof(AVIMainHeader) == 56, "avih data is 56 bytes");

struct AVIMainHeaderRecord {
    uint32_t chunkId;
    uint32_t chunkSize;
    AVIMainHeader header;
};

// "dmlh" data: only the total frame count of all RIFF forms is used.
struct AVIExtendedHeader {
    uint32_t totalFrames;
    uint8_t reserved[244];
};
static_assert(sizeof(AVIExtendedHeader) == 248, "dmlh data is 248 bytes");

struct AVIExtendedHeaderRecord {
    uint32_t chunkId;
    uint32_t chunkSize;
    AVIExtendedHeader header;
};

// "strh" data.
struct AVIStreamHeader {
    uint32_t type;
    uint32_t handler;
    uint32_t flags;
    uint16_t priority;
    uint16_t language;
    uint32_t initialFrames;
    uint32_t scale;
    uint32_t rate;
    uint32_t start;
    uint32_t length;
    uint32_t suggestedBufferSize;
    uint32_t quality;
    uint32_t sampleSize;
    int16_t frameLeft;
    int16_t frameTop;
    int16_t frameRight;
    int16_t frameBottom;
};
static_assert(sizeof(AVIStreamHeader) == 56, "strh data is 56 bytes");
static_assert(offsetof(AVIStreamHeader, sampleSize) == 44, "strh layout");

struct AVIStreamHeaderRecord {
    uint32_t chunkId;
    uint32_t chunkSize;
    AVIStreamHeader header;
};

// "strf" of a video stream holds a dshow::BitmapInfoHeader, then up to this many bytes of format data;
// "strf" of an audio stream a dshow::WaveFormatEx, whose extra format bytes are not kept.
constexpr size_t kVideoFormatDataBytes = 1580;

}  // namespace krvx
