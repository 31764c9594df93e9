// The clip information embedded in the first video sample: timecode, reel, log comment and the camera
// numbers, read with the decoder library's metadata reader.
#pragma once
#include <cstdint>

#include "importer/MetadataHandle.h"

namespace krvx {

class CAVIFileImporter;

struct ClipMetadata {
    char timecode[12];           // "TIMC", first 11 characters
    char alternateTimecode[12];  // "TIMA", else the timecode
    char reelName[40];           // "REEL", first 39 characters
    char alternateReelName[40];  // "REEA", else the reel name
    char logComment[256];        // "LOGC", only when shorter than 256 bytes
    int32_t take;
    int32_t shot;
    int32_t scene;
    int32_t camera;
    int32_t project;
    uint32_t cameraId;  // "PRNT"
    char date[16];      // "DATE", only when shorter than 16 bytes
    char time[16];      // "TIME", likewise
};

// Stores one item by its tag; other tags are skipped. A later item of a tag replaces an earlier one.
void StoreMetadataItem(ClipMetadata* metadata, uint32_t tag, uint32_t size, const void* data);

// Clears *metadata and fills it from video sample 0. Anything unreadable (no sample, no decoder
// library, a sample without metadata) leaves the fields empty; this is not an error.
void ReadClipMetadata(CAVIFileImporter* importer, ClipMetadata* metadata);

}  // namespace krvx
