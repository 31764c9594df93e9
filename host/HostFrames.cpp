#include "host/HostFrames.h"

#include "host/CAdobeFileImporter.h"

namespace krvx {

int32_t CreateHostFrame(const CAdobeFileImporter& importer, int32_t access, uint32_t pixelFormat,
                        int32_t width, int32_t height, PPixHand* frame) {
    *frame = nullptr;
    auto create = HostSlot<HostCreatePPixFn>(static_cast<const HostSuite*>(importer.PPixCreatorSuite()),
                                             kPPixCreatorCreate);
    if (!create) return kImNoFrameCreatorSuite;
    const HostRect bounds{0, 0, width, height};
    const int32_t result = create(frame, access, pixelFormat, &bounds);
    if (result != kImNoErr) *frame = nullptr;
    return result;
}

bool HostFramePixels(const CAdobeFileImporter& importer, PPixHand frame, int32_t access, char** pixels,
                     int32_t* rowBytes) {
    const auto* suite = static_cast<const HostSuite*>(importer.PPixSuite());
    auto getPixels = HostSlot<HostGetPixelsFn>(suite, kPPixGetPixels);
    auto getRowBytes = HostSlot<HostGetRowBytesFn>(suite, kPPixGetRowBytes);
    *pixels = nullptr;
    *rowBytes = 0;
    if (!frame || !getPixels || !getRowBytes) return false;
    getPixels(frame, access, pixels);
    getRowBytes(frame, rowBytes);
    return *pixels != nullptr && *rowBytes > 0;
}

void DisposeHostFrame(const CAdobeFileImporter& importer, PPixHand frame) {
    auto dispose =
        HostSlot<HostDisposePPixFn>(static_cast<const HostSuite*>(importer.PPixSuite()), kPPixDispose);
    if (frame && dispose) dispose(frame);
}

}  // namespace krvx
