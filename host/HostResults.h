// The result codes xImportEntry returns to the host.
#pragma once
#include <cstdint>

namespace krvx {

enum HostResult : int32_t {
    kImNoErr = 0,
    kImBadFile = 2,
    kImUnsupported = 3,
    kImMemErr = 4,
    kImOtherErr = 5,
    kImNoContent = 16,
    kImSetFile = 17,
    kImCantTrim = 20,
    kImIterateFrameSizes = 24,
    kImNoAudio = 99,
    kImSupports7 = 100,
    kImSupports8 = 101,
    kImBadFormatIndex = 301,
};

}  // namespace krvx
