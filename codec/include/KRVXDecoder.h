// The decoder library's interface: six exported C functions and the sample decoder object.
//
// The plug-in loads the library at run time by name and looks the six functions up by name, so the
// function-pointer types below are what it calls through. Programs that link the library directly may
// call the declared functions instead. The bitstream and the exact pixel arithmetic are in codec/FORMAT.md.
#pragma once
#include <cstdint>

#include "IAllocator.h"
#include "KRVXPixelFormat.h"

#if defined(_WIN32)
#if defined(KRVX_DECODER_BUILD)
#define KRVX_API __declspec(dllexport)
#else
#define KRVX_API __declspec(dllimport)
#endif
#elif defined(KRVX_DECODER_BUILD)
#define KRVX_API __attribute__((visibility("default")))
#else
#define KRVX_API
#endif

// Results of every library call: 0 is success.
typedef int32_t KRVX_Error;
enum : int32_t {
    KRVX_ERROR_OKAY = 0,
    KRVX_ERROR_INVALID_ARGUMENT = 1,    // null pointer, bad size or value
    KRVX_ERROR_OUT_OF_MEMORY = 2,       // the allocator refused
    KRVX_ERROR_UNSUPPORTED_FORMAT = 3,  // pixel format or resolution code not offered
    KRVX_ERROR_BAD_SAMPLE = 4,          // truncated, wrong size, corrupted or not a sample of this codec
    KRVX_ERROR_NO_REFERENCE = 5,        // dependent frame without usable reference state
    KRVX_ERROR_BAD_PITCH = 6,           // output pitch smaller than one row
    KRVX_ERROR_NOT_PREPARED = 7,        // DecodeSample before PrepareDecode
    KRVX_ERROR_NO_MORE_ITEMS = 8,       // metadata reader at its end
    KRVX_ERROR_UNKNOWN_TAG = 9,         // active metadata tag not known to the decoder
};

// Decode resolution codes: each step halves width and height (rounding down).
enum : int32_t {
    KRVX_RESOLUTION_FULL = 1,
    KRVX_RESOLUTION_HALF = 2,
    KRVX_RESOLUTION_QUARTER = 3,
    KRVX_RESOLUTION_EIGHTH = 4,
};

// Encoded formats (first word of the sample information).
enum : uint32_t {
    KRVX_ENCODED_YUV422_10 = 0,
    KRVX_ENCODED_RGB444_12 = 1,
    KRVX_ENCODED_RGBA4444_12 = 2,
};

// Field values (second word of the sample information).
enum : uint32_t {
    KRVX_FIELD_UNKNOWN = 0,
    KRVX_FIELD_PROGRESSIVE = 1,
    KRVX_FIELD_UPPER_FIRST = 2,
    KRVX_FIELD_LOWER_FIRST = 3,
};

// Metadata value types.
enum : uint32_t {
    KRVX_METADATA_BYTES = 0,
    KRVX_METADATA_TEXT = 1,
    KRVX_METADATA_INT32 = 2,
    KRVX_METADATA_UINT32 = 3,
};

// Metadata tracks.
enum : uint32_t {
    KRVX_TRACK_CLIP = 0,
    KRVX_TRACK_COLOUR = 2,
};

// The sample information record, 24 bytes.
struct KRVX_SampleInfo {
    uint32_t encodedFormat;  // KRVX_ENCODED_...; 2 carries alpha
    uint32_t fieldValue;     // KRVX_FIELD_...
    uint32_t width;          // full-resolution frame size
    uint32_t height;
    uint32_t keyFrame;  // 1 key frame, 0 dependent frame
    uint32_t metadataBytes;
};
static_assert(sizeof(KRVX_SampleInfo) == 24, "sample information is 24 bytes");

namespace krvx {

// One decoder: used by one thread at a time; its lifetime ends with Destroy.
class SampleDecoder {
public:
    // flags bit 0: free the object (the memory goes back to its allocator); without it only the
    // working memory is released, as ReleaseResources does.
    virtual void Destroy(uint32_t flags) = 0;

    // Readies the decoder for a sample in pixelFormat at the resolution code; outputWidth and
    // outputHeight must be 0. decodeFlag is 1 while priming. The optional out-pointers receive the
    // decoded width, height and the smallest row size in bytes.
    virtual KRVX_Error PrepareDecode(int32_t outputWidth, int32_t outputHeight, uint32_t pixelFormat,
                                     int32_t resolution, int32_t decodeFlag, const void* sample,
                                     uint32_t sampleSize, int32_t* decodedWidth, int32_t* decodedHeight,
                                     int32_t* rowBytes) = 0;

    // Checks the sample's header and fills the record.
    virtual KRVX_Error GetSampleInfo(const void* sample, uint32_t sampleSize, KRVX_SampleInfo* info) = 0;

    // Decodes as prepared. output null (pitch 0) only advances the reference state (priming).
    // A negative pitch with output at the last row in memory reverses the row order.
    virtual KRVX_Error DecodeSample(const void* sample, uint32_t sampleSize, void* output, int32_t pitch) = 0;

    // Frees the working memory and the reference state; the decoder stays usable.
    virtual void ReleaseResources() = 0;

    // True when the reference state cannot serve the next dependent frame at this format and
    // resolution. The first two arguments must be 0.
    virtual bool ConfigurationDiffers(int32_t outputWidth, int32_t outputHeight, uint32_t pixelFormat,
                                      int32_t resolution) = 0;

protected:
    ~SampleDecoder() = default;
};

}  // namespace krvx

typedef struct KRVX_MetadataReader* KRVX_MetadataHandle;

extern "C" {
KRVX_API krvx::SampleDecoder* KRVX_CreateSampleDecoder(krvx::IAllocator* allocator, void* logStream);
KRVX_API KRVX_Error KRVX_OpenMetadata(KRVX_MetadataHandle* handle);
KRVX_API KRVX_Error KRVX_InitSampleMetadata(KRVX_MetadataHandle handle, uint32_t track, const void* sample,
                                            uint32_t sampleSize);
KRVX_API KRVX_Error KRVX_SetActiveMetadata(krvx::SampleDecoder* decoder, KRVX_MetadataHandle handle,
                                           uint32_t tag, uint32_t type, const void* value, uint32_t size);
KRVX_API KRVX_Error KRVX_ReadMetadata(KRVX_MetadataHandle handle, uint32_t* tag, uint32_t* type,
                                      uint32_t* size, const void** data);
KRVX_API void KRVX_CloseMetadata(KRVX_MetadataHandle handle);
}

// The same functions as pointer types, for lookup by name in a module loaded at run time.
typedef krvx::SampleDecoder* (*KRVX_CreateSampleDecoderFn)(krvx::IAllocator* allocator, void* logStream);
typedef KRVX_Error (*KRVX_OpenMetadataFn)(KRVX_MetadataHandle* handle);
typedef KRVX_Error (*KRVX_InitSampleMetadataFn)(KRVX_MetadataHandle handle, uint32_t track,
                                                const void* sample, uint32_t sampleSize);
typedef KRVX_Error (*KRVX_SetActiveMetadataFn)(krvx::SampleDecoder* decoder, KRVX_MetadataHandle handle,
                                               uint32_t tag, uint32_t type, const void* value, uint32_t size);
typedef KRVX_Error (*KRVX_ReadMetadataFn)(KRVX_MetadataHandle handle, uint32_t* tag, uint32_t* type,
                                          uint32_t* size, const void** data);
typedef void (*KRVX_CloseMetadataFn)(KRVX_MetadataHandle handle);

// Library and function names as looked up at run time.
#if defined(_WIN32)
#define KRVX_DECODER_LIBRARY_NAME "KRVXDecoder.dll"
#else
#define KRVX_DECODER_LIBRARY_NAME "libKRVXDecoder.so"
#endif
#define KRVX_DECODER_FUNCTION_NAMES                                                                       \
    "KRVX_CreateSampleDecoder", "KRVX_OpenMetadata", "KRVX_InitSampleMetadata", "KRVX_SetActiveMetadata", \
        "KRVX_ReadMetadata", "KRVX_CloseMetadata"
