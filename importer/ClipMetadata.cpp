#include "importer/ClipMetadata.h"

#include <cstring>

#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CSampleBuffer.h"
#include "importer/DecoderLibrary.h"
#include "platform/system.h"

namespace krvx {

namespace {

// The first `count` bytes of the item (fewer when it is shorter), terminated.
template <size_t N>
void TakeText(char (&field)[N], uint32_t size, const void* data, size_t count) {
    static_assert(N > 0, "room for the terminator");
    if (count > N - 1) count = N - 1;
    if (size < count) count = size;
    std::memcpy(field, data, count);
    field[count] = '\0';
}

// The whole item when it fits with its terminator; a longer one is not taken.
template <size_t N>
void TakeWholeText(char (&field)[N], uint32_t size, const void* data) {
    if (size < N) TakeText(field, size, data, size);
}

template <typename T>
void TakeNumber(T* field, uint32_t size, const void* data) {
    if (size >= sizeof(T)) std::memcpy(field, data, sizeof(T));
}

}  // namespace

void StoreMetadataItem(ClipMetadata* metadata, uint32_t tag, uint32_t size, const void* data) {
    if (!data) return;
    switch (tag) {
        case MetadataTag("TIMC"):
            TakeText(metadata->timecode, size, data, 11);
            break;
        case MetadataTag("TIMA"):
            TakeText(metadata->alternateTimecode, size, data, 11);
            break;
        case MetadataTag("REEL"):
            TakeText(metadata->reelName, size, data, 39);
            break;
        case MetadataTag("REEA"):
            TakeText(metadata->alternateReelName, size, data, 39);
            break;
        case MetadataTag("LOGC"):
            TakeWholeText(metadata->logComment, size, data);
            break;
        case MetadataTag("TAKE"):
            TakeNumber(&metadata->take, size, data);
            break;
        case MetadataTag("SHOT"):
            TakeNumber(&metadata->shot, size, data);
            break;
        case MetadataTag("SCEN"):
            TakeNumber(&metadata->scene, size, data);
            break;
        case MetadataTag("CAMR"):
            TakeNumber(&metadata->camera, size, data);
            break;
        case MetadataTag("PROJ"):
            TakeNumber(&metadata->project, size, data);
            break;
        case MetadataTag("PRNT"):
            TakeNumber(&metadata->cameraId, size, data);
            break;
        case MetadataTag("DATE"):
            TakeWholeText(metadata->date, size, data);
            break;
        case MetadataTag("TIME"):
            TakeWholeText(metadata->time, size, data);
            break;
        default:
            break;
    }
}

void ReadClipMetadata(CAVIFileImporter* importer, ClipMetadata* metadata) {
    std::memset(metadata, 0, sizeof(*metadata));
    if (!importer) return;
    CSampleBuffer sample(importer->Allocator());
    if (platform::UnbufferedReadsNeedAlignedMemory()) sample.SetReadAlignment(importer->SectorSize());
    if (sample.ReadSample(importer->Reader(), 0, importer->SectorSize()) != kImNoErr) return;
    CMetadataHandle reader(GetDecoderLibrary());
    if (reader.Init(KRVX_TRACK_CLIP, sample.Sample(), sample.SampleSize())) {
        uint32_t tag = 0, size = 0;
        const void* data = nullptr;
        while (reader.Next(&tag, &size, &data)) StoreMetadataItem(metadata, tag, size, data);
    }
    // A clip that names only the timecode or the reel gives it as the alternate too.
    if (metadata->alternateTimecode[0] == '\0')
        std::memcpy(metadata->alternateTimecode, metadata->timecode, sizeof(metadata->timecode));
    if (metadata->alternateReelName[0] == '\0')
        std::memcpy(metadata->alternateReelName, metadata->reelName, sizeof(metadata->reelName));
}

}  // namespace krvx
