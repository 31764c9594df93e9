// The result codes the plug-in answers the host with. The frame, audio and trim paths pass their codes
// up to the dispatcher unchanged, so every layer that answers the host speaks these names.
#pragma once
#include <cstdint>

namespace krvx {

enum HostResult : int32_t {
    kImNoErr = 0,               // success; also every selector that has nothing to do
    kImNotHandled = 1,          // asynchronous entry: an unknown selector, or a clip not of the codec
    kImBadFile = 2,             // the file cannot be opened or read, or is not a clip of the codec
    kImUnsupported = 3,         // an unsupported selector or pixel format; clip requests without an importer
    kImMemErr = 4,              // an allocation, or the creation of a decoder, failed
    kImOtherErr = 5,            // a missing record or importer, a state the request cannot use, a failed trim
    kImDecodeFailed = 9,        // the decoder refused a sample, or its picture is not the size expected
    kImNoContent = 16,          // imGetMetaData: the plug-in offers no metadata there
    kImSetFile = 17,            // imGetPrefs8: the clip went to the companion application
    kImCantTrim = 20,           // imCheckTrim8: no record or importer, or no key frames to widen the trim to
    kImIterateFrameSizes = 24,  // imGetPreferredFrameSize: one size given, the host asks for the next
    kImCancelled = 27,          // an asynchronous request cancelled before or while it was decoded
    kImNoAudio = 99,            // imImportAudio7: not one sample frame delivered
    kImSupports7 = 100,         // imGetSupports7, always
    kImSupports8 = 101,         // imGetSupports8, always
    kImBadFormatIndex = 301,    // imGetIndFormat, imGetIndPixelFormat: the index is past the last entry
    kImNoFrameCreatorSuite = INT32_MIN,  // 0x80000000: the host gave no PPix Creator Suite for a frame
};

}  // namespace krvx
