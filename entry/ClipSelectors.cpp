#include "entry/ClipSelectors.h"

#include <cinttypes>

#include "avi/AVIReader.h"
#include "entry/ImporterHandle.h"
#include "host/FrameRate.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "host/PrPixelFormat.h"
#include "importer/CAVIFileImporter.h"
#include "importer/DecoderFormats.h"
#include "platform/debug.h"

namespace krvx {

namespace {
constexpr int32_t kFileTypeAVIVReversed = 0x56495641;
constexpr uint32_t kHostMemoryReservation = 500000000;
constexpr int64_t kMaxDurationTicks = 2147483647;
}  // namespace

FieldType HostFieldType(uint32_t fieldValue, int32_t width, int32_t height, uint32_t rate, uint32_t scale) {
    FieldType field;
    switch (fieldValue) {
        case 1:
            field = kFieldTypeProgressive;
            break;
        case 2:
            field = kFieldTypeFieldOrder1;
            break;
        case 3:
            field = kFieldTypeFieldOrder2;
            break;
        default:
            field = kFieldTypeUnknownOrder;
            break;
    }
    const float r = SnapFrameRate(rate, scale).rate;
    // 1080 (above film rate), 576, 486 and 480 lines are the interlaced broadcast heights: only there
    // can an unknown field order be interlaced; every other picture is taken as progressive.
    if (field == kFieldTypeUnknownOrder) {
        if (height == 1080)
            field = r > 24.5f ? kFieldTypeUnknownOrder : kFieldTypeProgressive;
        else if (height != 576 && height != 486 && height != 480)
            field = kFieldTypeProgressive;
    }
    if (height == 720 || height > 1080 || width > 1920 || r > 30.0f) field = kFieldTypeProgressive;
    return field;
}

int32_t HandleOpenFile8(const imStdParms* stdParms, int32_t* fileReference, FileOpenRecord* record) {
    if (!record) return kImBadFile;
    if (record->fileType != kFileTypeAVIV && record->fileType != kFileTypeAVIVReversed) return kImBadFile;
    CAVIFileImporter* importer = GetOrCreateImporter(stdParms, &record->privateData);
    if (!importer) return kImMemErr;
    platform::DebugPrintf("************************** File Opened with Importer: 0x%08" PRIXPTR "\n",
                          reinterpret_cast<uintptr_t>(importer));
    // The importer stays in the handle; the host closes it with imCloseFile.
    if (record->access != 0) return kImUnsupported;
    if (importer->Open(record->path) != kImNoErr) return kImBadFile;
    // The plug-in reads through its own reader, never through the host's file reference.
    if (fileReference) *fileReference = 0;
    record->fileReference = 0;
    record->fileType = kFileTypeAVIV;
    return kImNoErr;
}

int32_t HandleGetInfo8(const imStdParms* stdParms, const FileAccessRecord* access, FileInfoRecord* info) {
    if (!info) return kImMemErr;
    // The record is packed: its handle field is not aligned, so it travels through a local.
    PrivateDataHandle handle = info->privateData;
    CAVIFileImporter* importer = GetOrCreateImporter(stdParms, &handle);
    info->privateData = handle;
    if (!importer) return kImMemErr;
    // A first sample that cannot be inspected still leaves a clip to describe.
    importer->ReadSampleInfo();

    AVIReader* reader = importer->Reader();
    bool hasVideo = reader && reader->Video().IsValid();
    bool hasAudio = reader && reader->Audio().IsValid();
    info->hasVideo = hasVideo ? 1 : 0;
    info->hasAudio = hasAudio ? 1 : 0;

    if (hasVideo) {
        FrameInfo frame{};
        importer->GetFrameInfo(&frame);
        const AVIStreamHeader& header = reader->Video().Header();
        info->width = frame.width;
        info->height = frame.height;
        info->bitsPerPixel = 32;
        info->subtype = static_cast<int32_t>(frame.handler);
        info->alphaCode =
            importer->EncodedFormat() == kEncodedFormatWithAlpha ? kAlphaCodeAlpha : kAlphaCodeNoAlpha;
        // The field order matters only at the interlaced broadcast heights (1080, 576, 486, 480 lines).
        info->fieldType = HostFieldType(importer->SampleInfo().fieldValue, frame.width, frame.height, header.rate,
                                        header.scale);
        if (frame.width == 1440 && frame.height == 1080) {
            info->pixelAspectNumerator = 4;
            info->pixelAspectDenominator = 3;
        } else {
            info->pixelAspectNumerator = static_cast<int32_t>(reader->Video().AspectNumerator());
            info->pixelAspectDenominator = static_cast<int32_t>(reader->Video().AspectDenominator());
        }
        const SnappedFrameRate frameRate = SnapFrameRate(header.rate, header.scale);
        info->timeBase = frameRate.timeBase;
        info->ticksPerFrame = frameRate.ticksPerFrame;
        int64_t duration = static_cast<int64_t>(reader->TotalFrames()) * frameRate.ticksPerFrame;
        info->durationTicks = static_cast<int32_t>(duration > kMaxDurationTicks ? kMaxDurationTicks : duration);
        // Fixed values, whose meaning is the host's.
        info->offset26 = 0;
        info->offset31 = 0;
        info->offset42 = 0;
        info->offset50 = 0;
        info->offset54 = 1;
        info->offset58 = 0;
    }
    if (hasAudio) {
        const AVIStreamHeader& header = reader->Audio().Header();
        info->audioChannels = reader->Audio().Format().channels;
        info->audioSampleRate = header.scale == 0 ? 0.0f : static_cast<float>(header.rate / header.scale);
        info->audioSampleType = kAudioSampleType8;
        info->audioDurationFrames = static_cast<int64_t>(static_cast<int32_t>(header.length));
    }
    info->offset206 = 1;
    info->offset211 = 0;
    info->accessValue = stdParms && stdParms->interfaceVersion >= 6 ? kAccessValueFromVersion6 : 0;
    importer->SetImporterId(info->importerId);
    if (access && access->path) importer->SetPath(access->path);

    auto reserve = HostSlot<HostReserveMemoryFn>(static_cast<const HostSuite*>(importer->MemoryManagerSuite()),
                                                 kMemoryManagerReserve);
    if (reserve && importer->ImporterId() != 0) reserve(importer->ImporterId(), kHostMemoryReservation);
    return kImNoErr;
}

int32_t HandleGetPreferredFrameSize(PreferredFrameSizeRecord* record) {
    if (!record) return kImNoErr;
    CAVIFileImporter* importer = ImporterFromHandle(record->privateData);
    FrameInfo frame{};
    if (!importer || importer->GetFrameInfo(&frame) != kImNoErr) frame = FrameInfo{};
    if (record->index < 0 || record->index > 3) return kImNoErr;
    // YUV formats start at a quarter of the size, the others at an eighth.
    static const int32_t kYuvDivisors[4] = {4, 4, 2, 1};
    static const int32_t kOtherDivisors[4] = {8, 4, 2, 1};
    uint32_t format = static_cast<uint32_t>(record->pixelFormat);
    bool yuv = format == PrPixelFormat_YUYV_422_8u_709 || format == PrPixelFormat_VUYA_4444_8u ||
               format == PrPixelFormat_VUYA_4444_32f;
    int32_t divisor = (yuv ? kYuvDivisors : kOtherDivisors)[record->index];
    record->width = frame.width / divisor;
    record->height = frame.height / divisor;
    return kImIterateFrameSizes;
}

}  // namespace krvx
