// Where a stream's n-th chunk lies and whether it is a key frame, whatever index answers.
#pragma once
#include <cstdint>

#include "dshow/HResult.h"

namespace krvx {

class AVIIndexBase {
public:
    virtual ~AVIIndexBase() = default;
    // offset: the chunk's first data byte in the file.
    virtual dshow::HResult GetEntry(uint32_t entry, uint64_t* offset, uint32_t* size) = 0;
    virtual uint32_t IsKeyFrame(uint32_t entry) = 0;
};

}  // namespace krvx
