// The worker-side road of one frame: a decoder from the importer's pool (the one holding frame - 1
// where it can), priming when needed, every read of the shared reader behind the file lock, and the
// decode into the request's frame buffer.
#pragma once
#include <cstdint>

#include "platform/sync.h"

namespace krvx {

class CAVIFileImporter;
class CDecoderPool;
class CFrameBuffer;
class CSampleBuffer;

// A request that may be cancelled while it decodes.
class ICancellable {
public:
    virtual bool Cancelled() = 0;

protected:
    ~ICancellable() = default;
};

struct FrameDecodeContext {
    CAVIFileImporter* importer = nullptr;  // its reader is shared by every worker
    platform::CriticalSection* fileLock = nullptr;
    CDecoderPool* pool = nullptr;
    CSampleBuffer* sampleBuffer = nullptr;  // the request's own
    ICancellable* request = nullptr;        // may be null
    int32_t outputWidth = 0;                // the width the host asked for
};

// kImNoErr; kImOtherErr (invalid frame buffer, no decoder in the entry); kImDecodeFailed (the decoder
// refused the sample, or its picture is not the buffer's size); kImCancelled; or the sample read's code.
int32_t ReadAndDecodeFrame(const FrameDecodeContext& context, int32_t frame, CFrameBuffer* frameBuffer,
                           uint32_t format, int32_t resolution);

}  // namespace krvx
