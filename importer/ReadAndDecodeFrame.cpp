#include "importer/ReadAndDecodeFrame.h"

#include <KRVXDecoder.h>

#include <cinttypes>

#include "avi/AVIReader.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CDecoderList.h"
#include "importer/CDecoderPool.h"
#include "importer/CFrameBuffer.h"
#include "importer/CSampleBuffer.h"
#include "platform/debug.h"
#include "platform/system.h"

namespace krvx {

namespace {

bool Cancelled(const FrameDecodeContext& context) {
    return context.request && context.request->Cancelled();
}

bool IsKeyFrame(const FrameDecodeContext& context, int32_t frame) {
    platform::ScopedLock lock(*context.fileLock);
    AVIReader* reader = context.importer->Reader();
    return reader && frame >= 0 && reader->IsVideoKeyFrame(static_cast<uint32_t>(frame)) != 0;
}

int32_t ReadSample(const FrameDecodeContext& context, int32_t frame) {
    // The request's buffer takes the reads the importer's own would: aligned where the system needs it.
    if (platform::UnbufferedReadsNeedAlignedMemory())
        context.sampleBuffer->SetReadAlignment(context.importer->SectorSize());
    platform::ScopedLock lock(*context.fileLock);
    return context.sampleBuffer->ReadSample(context.importer->Reader(), static_cast<uint32_t>(frame),
                                            context.importer->SectorSize());
}

// Brings the entry's decoder to hold frame - 1; the first failure ends the priming without a word.
void PrimeBefore(const FrameDecodeContext& context, DecoderPoolEntry* entry, int32_t frame, uint32_t format,
                 int32_t resolution) {
    int32_t key = frame - 1;
    while (key >= 0 && !IsKeyFrame(context, key)) --key;
    if (key < 0) return;
    for (int32_t j = key; j < frame; ++j) {
        if (ReadSample(context, j) != kImNoErr) return;
        if (entry->PrepareWithColourSettings(*context.sampleBuffer, format, resolution, 1) != kImNoErr)
            return;
        if (entry->decoder->DecodeSample(context.sampleBuffer->Sample(), context.sampleBuffer->SampleSize(),
                                         nullptr, 0) != KRVX_ERROR_OKAY)
            return;
        entry->lastFrame = j;
    }
}

int32_t Decode(const FrameDecodeContext& context, DecoderPoolEntry* entry, int32_t frame,
               CFrameBuffer* frameBuffer, uint32_t format, int32_t resolution) {
    if (Cancelled(context)) return kImCancelled;
    if (!IsKeyFrame(context, frame)) {
        const bool holdsPrevious = entry->decoder && frame == entry->lastFrame + 1 &&
                                   !entry->decoder->ConfigurationDiffers(0, 0, format, resolution);
        if (!holdsPrevious) PrimeBefore(context, entry, frame, format, resolution);
    }
    if (Cancelled(context)) return kImCancelled;
    const int32_t read = ReadSample(context, frame);
    if (read != kImNoErr) return read;
    if (Cancelled(context)) return kImCancelled;
    int32_t width = 0, height = 0;
    const int32_t prepared =
        entry->PrepareWithColourSettings(*context.sampleBuffer, format, resolution, 0, &width, &height);
    if (prepared != kImNoErr) return prepared;
    // The decoder is never handed a buffer smaller than the sample's own picture.
    if (width != frameBuffer->Width() || height != frameBuffer->Height()) return kImDecodeFailed;
    if (entry->decoder->DecodeSample(context.sampleBuffer->Sample(), context.sampleBuffer->SampleSize(),
                                     frameBuffer->Data(), frameBuffer->Pitch()) != KRVX_ERROR_OKAY)
        return kImDecodeFailed;
    entry->lastFrame = frame;
    return kImNoErr;
}

}  // namespace

int32_t ReadAndDecodeFrame(const FrameDecodeContext& context, int32_t frame, CFrameBuffer* frameBuffer,
                           uint32_t format, int32_t resolution) {
    if (!frameBuffer || !frameBuffer->IsValid() || !context.importer || !context.fileLock || !context.pool ||
        !context.sampleBuffer)
        return kImOtherErr;
    const uintptr_t importer = reinterpret_cast<uintptr_t>(context.importer);
    platform::DebugPrintf("frame:%5d ReadAndDecodeFrame 0x%08" PRIXPTR " \n", frame, importer);
    DecoderPoolEntry entry;
    if (context.pool->SelectDecoder(&entry, frame) == kImNoErr)
        CDecoderList::Instance().Remove(entry.decoder);
    const int32_t result = Decode(context, &entry, frame, frameBuffer, format, resolution);
    platform::DebugPrintf("frame:%5d ReadAndDecodeFrame 0x%08" PRIXPTR " finished error: %d\n", frame,
                          importer, result);
    if (entry.decoder) {
        CDecoderList::Instance().Touch(entry.decoder, context.outputWidth);
        context.pool->ReturnDecoder(&entry);
    }
    return result;
}

}  // namespace krvx
