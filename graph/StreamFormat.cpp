#include "graph/StreamFormat.h"

#include <cstdint>
#include <cstring>

namespace krvx {
namespace graph {

using namespace dshow;

namespace {

// VIDEOINFOHEADER2 keeps the frame duration where VIDEOINFOHEADER does and its bitmap header at 72.
constexpr uint32_t kVideoInfoBitmapOffset = 48;
constexpr uint32_t kVideoInfo2BitmapOffset = 72;
constexpr uint32_t kTimePerFrameOffset = 40;
// A WAVEFORMAT without the trailing extra-size field.
constexpr uint32_t kWaveFormatMinimum = 16;

uint64_t GreatestCommonDivisor(uint64_t a, uint64_t b) {
    while (b != 0) {
        uint64_t rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

bool ReadVideo(const MediaType& type, uint32_t bitmapOffset, StreamFormat* format) {
    if (!type.format || type.formatSize < bitmapOffset + sizeof(BitmapInfoHeader)) return false;
    ReferenceTime timePerFrame = 0;
    std::memcpy(&timePerFrame, type.format + kTimePerFrameOffset, sizeof(timePerFrame));
    BitmapInfoHeader bitmap;
    std::memcpy(&bitmap, type.format + bitmapOffset, sizeof(bitmap));
    if (timePerFrame <= 0 || timePerFrame > UINT32_MAX) return false;
    // A negative height marks a picture stored top-down; its size must still be a height.
    if (bitmap.width < 1 || bitmap.height == 0 || bitmap.height == INT32_MIN) return false;
    uint64_t rate = 10000000;
    uint64_t scale = static_cast<uint64_t>(timePerFrame);
    uint64_t divisor = GreatestCommonDivisor(rate, scale);
    format->isVideo = true;
    format->width = bitmap.width;
    format->height = bitmap.height;
    format->bitCount = bitmap.bitCount;
    format->compression = bitmap.compression;
    format->imageSize = bitmap.sizeImage;
    format->rate = static_cast<uint32_t>(rate / divisor);
    format->scale = static_cast<uint32_t>(scale / divisor);
    return true;
}

bool ReadAudio(const MediaType& type, StreamFormat* format) {
    if (type.subtype != kMediaSubtypePcm || !type.format || type.formatSize < kWaveFormatMinimum)
        return false;
    WaveFormatEx wave{};
    std::memcpy(&wave, type.format, kWaveFormatMinimum);
    if (wave.formatTag != kWaveFormatPcm || wave.blockAlign == 0 || wave.channels == 0 ||
        wave.samplesPerSecond == 0) {
        return false;
    }
    // One second of it must be countable in the 32-bit fields a file gives it.
    if (uint64_t(wave.samplesPerSecond) * wave.blockAlign > UINT32_MAX) return false;
    // PCM carries nothing after the fixed fields.
    wave.extraSize = 0;
    format->isVideo = false;
    format->wave = wave;
    return true;
}

}  // namespace

bool ReadStreamFormat(const MediaType& type, StreamFormat* format) {
    if (!format) return false;
    if (type.majorType == kMediaTypeVideo) {
        if (type.formatType == kFormatVideoInfo) return ReadVideo(type, kVideoInfoBitmapOffset, format);
        if (type.formatType == kFormatVideoInfo2) return ReadVideo(type, kVideoInfo2BitmapOffset, format);
        return false;
    }
    if (type.majorType == kMediaTypeAudio && type.formatType == kFormatWaveFormatEx)
        return ReadAudio(type, format);
    return false;
}

bool ChooseStreams(const std::vector<StreamFormat>& streams, StreamChoice* choice) {
    *choice = StreamChoice{};
    for (size_t i = 0; i < streams.size(); ++i) {
        int& slot = streams[i].isVideo ? choice->video : choice->audio;
        if (slot >= 0) return false;
        slot = static_cast<int>(i);
    }
    return true;
}

}  // namespace graph
}  // namespace krvx
