#include <cstdint>

#include "avi/AVIReader.h"
#include "entry/ClipAnalysisSelectors.h"
#include "entry/ImporterHandle.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"

namespace krvx {

namespace {
// Any non-zero answer counts, the reader's failure value included: a frame the index cannot tell
// about is taken as a place the trim may start.
bool IsKeyFrame(AVIReader* reader, int64_t frame) {
    return frame >= 0 && frame <= UINT32_MAX && reader->IsVideoKeyFrame(static_cast<uint32_t>(frame)) != 0;
}
}  // namespace

int32_t HandleCheckTrim8(TrimCheckRecord* record) {
    if (!record) return kImCantTrim;
    // An audio-only trim needs no frame alignment.
    if (record->keepAudio && !record->keepVideo) return kImNoErr;
    CAVIFileImporter* importer = ImporterFromHandle(record->privateData);
    AVIReader* reader = importer ? importer->Reader() : nullptr;
    if (!reader) return kImCantTrim;
    const int64_t count = reader->TotalFrames();
    const int64_t ticksPerFrame = record->ticksPerFrame;
    if (ticksPerFrame <= 0 || record->requestedStart < 0) return kImCantTrim;
    const int64_t first = record->requestedStart / ticksPerFrame;
    const int64_t frames = record->requestedDuration / ticksPerFrame;
    int64_t start = first;
    while (start > 0 && !IsKeyFrame(reader, start)) --start;
    const int64_t answeredStart = start * ticksPerFrame;
    if (answeredStart > INT32_MAX) return kImCantTrim;
    record->answeredStart = static_cast<int32_t>(answeredStart);
    // The end frame takes its following dependent frame along, unless it ends the clip.
    int64_t end = first + frames - 1;
    if (IsKeyFrame(reader, end) && !IsKeyFrame(reader, end + 1) && end != count - 1) end += 1;
    if (end < 0 || end >= count) return kImCantTrim;
    if (!IsKeyFrame(reader, end) && !IsKeyFrame(reader, end - 1)) return kImCantTrim;
    const int64_t duration = (end + 1) * ticksPerFrame - answeredStart;
    if (duration > INT32_MAX) return kImCantTrim;
    record->answeredDuration = static_cast<int32_t>(duration);
    return kImNoErr;
}

}  // namespace krvx
