// The decoder library, loaded by name on first use and shared by the whole process.
#pragma once
#include <KRVXDecoder.h>

namespace krvx {

struct DecoderLibrary {
    KRVX_CreateSampleDecoderFn createSampleDecoder;
    KRVX_OpenMetadataFn openMetadata;
    KRVX_InitSampleMetadataFn initSampleMetadata;
    KRVX_SetActiveMetadataFn setActiveMetadata;
    KRVX_ReadMetadataFn readMetadata;
    KRVX_CloseMetadataFn closeMetadata;
};

// The library with all six functions, or null when it cannot be loaded (the reason goes to the debug
// output once). It is looked for beside the plug-in module first, then the system's way.
const DecoderLibrary* GetDecoderLibrary();

// A new decoder over `allocator`, or null when the library or the decoder cannot be had.
SampleDecoder* CreateSampleDecoder(IAllocator* allocator);

}  // namespace krvx
