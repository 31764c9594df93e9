// Host frames through an importer's PPix suites: create one, reach its pixels, dispose of it.
#pragma once
#include <cstdint>

#include "host/HostResults.h"
#include "host/HostTables.h"

namespace krvx {

class CAdobeFileImporter;

// A frame of `pixelFormat` with bounds (0, 0, width, height): kImNoErr, kImNoFrameCreatorSuite, or the
// host's own nonzero answer (then *frame is null).
int32_t CreateHostFrame(const CAdobeFileImporter& importer, int32_t access, uint32_t pixelFormat,
                        int32_t width, int32_t height, PPixHand* frame);

// The address of the frame's first row in memory and its row bytes; false when the host gives none.
bool HostFramePixels(const CAdobeFileImporter& importer, PPixHand frame, int32_t access, char** pixels,
                     int32_t* rowBytes);

// Gives the frame back to the host; nothing for a null frame or without a PPix Suite.
void DisposeHostFrame(const CAdobeFileImporter& importer, PPixHand frame);

}  // namespace krvx
