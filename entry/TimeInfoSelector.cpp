#include <cstring>

#include "avi/AVIReader.h"
#include "entry/ClipAnalysisSelectors.h"
#include "entry/ImporterHandle.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/ClipMetadata.h"

namespace krvx {

namespace {
// A terminated copy of `text` into a field of `size` bytes.
void CopyText(char* field, size_t size, const char* text) {
    size_t length = strnlen(text, size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}
}  // namespace

int32_t HandleGetTimeInfo8(TimeInfoRecord* record) {
    CAVIFileImporter* importer = record ? ImporterFromHandle(record->privateData) : nullptr;
    if (!importer) return kImUnsupported;
    AVIReader* reader = importer->Reader();
    if (!reader || !reader->Video().IsValid()) return kImOtherErr;
    ClipMetadata metadata;
    ReadClipMetadata(importer, &metadata);
    CopyText(record->alternateReelName, sizeof(record->alternateReelName), metadata.alternateReelName);
    CopyText(record->alternateTimecode, sizeof(record->alternateTimecode), metadata.alternateTimecode);
    CopyText(record->reelName, sizeof(record->reelName), metadata.reelName);
    CopyText(record->timecode, sizeof(record->timecode), metadata.timecode);
    CopyText(record->logComment, sizeof(record->logComment), metadata.logComment);
    // The stream header's own rate and scale, not the normalised pair of the clip description.
    const AVIStreamHeader& header = reader->Video().Header();
    record->timeBase = static_cast<int32_t>(header.rate);
    record->ticksPerFrame = static_cast<int32_t>(header.scale);
    record->alternateTimeBase = static_cast<int32_t>(header.rate);
    record->alternateTicksPerFrame = static_cast<int32_t>(header.scale);
    record->offset396 = 1;
    return kImNoErr;
}

}  // namespace krvx
