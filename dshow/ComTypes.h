// The binary vocabulary of COM and DirectShow that the trimmed-copy writer and the stand-in graph speak:
// identifiers, result codes and the media-type records, laid out as the system lays them out, so that
// the same objects work with the system's filter graph on Windows and with ours elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>

#include "dshow/FormatHeaders.h"
#include "dshow/HResult.h"

namespace krvx {
namespace dshow {

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i) {
        if (a.data4[i] != b.data4[i]) return false;
    }
    return true;
}
inline bool operator!=(const Guid& a, const Guid& b) {
    return !(a == b);
}

// The media subtype for a four-character code: the code in the first field, then the fixed tail.
constexpr Guid FourCCSubtype(uint32_t fourCC) {
    return Guid{fourCC, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

// Times in 100-nanosecond units, as the graph counts them.
using ReferenceTime = int64_t;
// Text crossing COM interfaces: UTF-16, zero-terminated.
using OleChar = char16_t;

enum class PinDirection : int32_t { Input = 0, Output = 1 };
enum class FilterState : int32_t { Stopped = 0, Paused = 1, Running = 2 };
enum class InterleavingMode : int32_t { None = 0, Capture = 1, Full = 2, NoneBuffered = 3 };

class IUnknown;
class IBaseFilter;
class IFilterGraph;

// AM_MEDIA_TYPE. The format block is allocated with the COM task allocator.
struct MediaType {
    Guid majorType;
    Guid subtype;
    int32_t fixedSizeSamples;
    int32_t temporalCompression;
    uint32_t sampleSize;
    Guid formatType;
    IUnknown* unknown;
    uint32_t formatSize;
    uint8_t* format;
};

// ALLOCATOR_PROPERTIES.
struct AllocatorProperties {
    int32_t buffers;
    int32_t bufferSize;
    int32_t align;
    int32_t prefix;
};

constexpr size_t kMaxFilterName = 128;

// FILTER_INFO: the name the filter was added under, and its graph with a reference held.
struct FilterInfo {
    OleChar name[kMaxFilterName];
    IFilterGraph* graph;
};

// PIN_INFO: the owning filter with a reference held.
struct PinInfo {
    IBaseFilter* filter;
    PinDirection direction;
    OleChar name[kMaxFilterName];
};

struct Rect {
    int32_t left, top, right, bottom;
};

// VIDEOINFOHEADER; a VIDEOINFO format block is this followed by palette and masks, 1128 bytes in all.
struct VideoInfoHeader {
    Rect source;
    Rect target;
    uint32_t bitRate;
    uint32_t bitErrorRate;
    ReferenceTime averageTimePerFrame;
    BitmapInfoHeader bitmap;
};
constexpr uint32_t kVideoInfoSize = 1128;

static_assert(sizeof(Guid) == 16, "GUID");
static_assert(sizeof(AllocatorProperties) == 16, "ALLOCATOR_PROPERTIES");
static_assert(offsetof(VideoInfoHeader, averageTimePerFrame) == 40 &&
                  offsetof(VideoInfoHeader, bitmap) == 48 && sizeof(VideoInfoHeader) == 88,
              "VIDEOINFOHEADER");
static_assert(offsetof(MediaType, formatType) == 44, "AM_MEDIA_TYPE");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(MediaType, unknown) == 60 && offsetof(MediaType, formatSize) == 64 &&
                  offsetof(MediaType, format) == 68 && sizeof(MediaType) == 72,
              "AM_MEDIA_TYPE on 32-bit targets");
static_assert(sizeof(FilterInfo) == 260 && sizeof(PinInfo) == 264, "FILTER_INFO and PIN_INFO");
#else
static_assert(offsetof(MediaType, unknown) == 64 && offsetof(MediaType, formatSize) == 72 &&
                  offsetof(MediaType, format) == 80 && sizeof(MediaType) == 88,
              "AM_MEDIA_TYPE on 64-bit targets");
#endif

}  // namespace dshow
}  // namespace krvx
