// The results the importer's operations return. They travel up the frame and audio paths unchanged,
// and the dispatcher hands them to the host as they are, so their values are the host's codes.
#pragma once
#include <cstdint>

namespace krvx {

enum ImportResult : int32_t {
    kImportOk = 0,
    kImportReadFailed = 2,         // the file cannot be opened or read, or is not a clip of the codec
    kImportUnsupportedFormat = 3,  // a pixel format the path does not deliver
    kImportNoMemory = 4,           // an allocation, or the creation of a decoder, failed
    kImportBadState = 5,           // a missing argument, or an importer without an open clip
    kImportDecodeFailed = 9,
    kImportCancelled = 27,
    kImportNoAudio = 99,
};

}  // namespace krvx
