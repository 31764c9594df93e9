#include <cstdint>

#include "avi/AVIReader.h"
#include "entry/ClipAnalysisSelectors.h"
#include "entry/ImporterHandle.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"

namespace krvx {

namespace {
// Samples smaller than this carry no picture worth counting (a repeated or empty frame).
constexpr uint32_t kSmallSampleBytes = 100;
}  // namespace

int32_t HandleDataRateAnalysis(DataRateRecord* record) {
    CAVIFileImporter* importer = record ? ImporterFromHandle(record->privateData) : nullptr;
    AVIReader* reader = importer ? importer->Reader() : nullptr;
    if (!reader || !reader->Video().IsValid()) return kImUnsupported;
    const uint32_t count = reader->TotalFrames();
    // The buffer size is a signed 32-bit byte count.
    if (count > static_cast<uint32_t>(INT32_MAX) / sizeof(DataRateEntry)) return kImOtherErr;
    if (!record->buffer) {
        record->bufferSize = static_cast<int32_t>(count * sizeof(DataRateEntry));
        return kImNoErr;
    }
    // Never more entries than the host's buffer holds.
    uint32_t entries = count;
    const uint32_t room =
        record->bufferSize > 0 ? static_cast<uint32_t>(record->bufferSize) / sizeof(DataRateEntry) : 0;
    if (entries > room) entries = room;
    auto* out = static_cast<DataRateEntry*>(record->buffer);
    const uint32_t scale = reader->Video().Header().scale;
    uint32_t value = 0;
    uint32_t size = entries > 0 ? reader->GetVideoFrameSize(0) : 0;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t next = i + 1 < count ? reader->GetVideoFrameSize(i + 1) : size;
        // A small frame repeats the figure before it; a frame followed by one counts half its size.
        if (size >= kSmallSampleBytes) value = next >= kSmallSampleBytes ? size : size / 2;
        out[i].ticksPerFrame = scale;
        out[i].bytes = value;
        size = next;
    }
    return kImNoErr;
}

}  // namespace krvx
