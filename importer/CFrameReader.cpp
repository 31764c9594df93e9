#include "importer/CFrameReader.h"

#include <cinttypes>

#include "avi/AVIReader.h"
#include "convert/FrameViews.h"
#include "convert/OutputConversions.h"
#include "host/CImporterAllocator.h"
#include "host/HostFrames.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CDecoderList.h"
#include "importer/ConvertCodes.h"
#include "importer/DecoderFormats.h"
#include "platform/debug.h"
#include "platform/system.h"

namespace krvx {

namespace {

// Host frames of the synchronous path are created and read with this access value.
constexpr int32_t kSyncFrameAccess = 2;

uintptr_t Address(const void* object) {
    return reinterpret_cast<uintptr_t>(object);
}

double SecondsSince(uint32_t startMilliseconds) {
    return static_cast<double>(platform::ClockMilliseconds() - startMilliseconds) / 1000.0;
}

}  // namespace

template <class Importer>
CFrameReader<Importer>::CFrameReader(Importer* importer) : m_importer(importer) {
    FrameInfo info{};
    if (importer && importer->GetFrameInfo(&info) == kImNoErr) {
        m_sourceWidth = info.width;
        m_sourceHeight = info.height;
        m_sourceCompression = info.handler;
    }
    if (importer) m_frameBuffer.SetAllocator(importer->Allocator());
}

template <class Importer>
CFrameReader<Importer>::~CFrameReader() {
    m_frameBuffer.Free();
    if (m_hostFrame && m_importer) DisposeHostFrame(*m_importer, m_hostFrame);
}

template <class Importer>
int32_t CFrameReader<Importer>::SelectDecodeGeometry(uint32_t hostFormat, bool keyFrame) {
    int32_t w = m_sourceWidth, h = m_sourceHeight, steps = 0;
    const int32_t maxSteps = keyFrame ? kMaxKeyFrameSteps : kMaxDependentFrameSteps;
    // A halving is taken only while the halved picture still covers the output in both dimensions.
    while (steps < maxSteps && w / 2 >= m_outputWidth && h / 2 >= m_outputHeight) {
        w /= 2;
        h /= 2;
        ++steps;
    }
    if (steps > kMaxKeyFrameSteps) return kImOtherErr;
    uint32_t format = 0, bytesPerPixel = 0;
    if (DecoderFormatForHostFormat(hostFormat, m_importer->EncodedFormat(), &format, &bytesPerPixel) !=
        kImNoErr)
        return kImUnsupported;
    m_decodeWidth = w;
    m_decodeHeight = h;
    m_decodeResolution = steps + 1;
    m_decodeFormat = format;
    m_bytesPerPixel = bytesPerPixel;
    // Computed in 64 bits: a pitch that does not fit is left 0, and the frame buffer refuses it.
    const uint64_t pitch = (static_cast<uint64_t>(w < 0 ? 0 : w) * bytesPerPixel + kFrameAlignment - 1) /
                           kFrameAlignment * kFrameAlignment;
    m_decodePitch = pitch > INT32_MAX ? 0 : static_cast<int32_t>(pitch);
    return kImNoErr;
}

template <class Importer>
int32_t CFrameReader<Importer>::PrepareFrameBuffer(int32_t frame) {
    if (m_outputWidth < 0 || m_outputHeight < 0) return kImOtherErr;
    AVIReader* reader = m_importer->Reader();
    const bool key = !reader || frame < 0 || reader->IsVideoKeyFrame(static_cast<uint32_t>(frame)) != 0;
    const int32_t geometry = SelectDecodeGeometry(m_outputFormat, key);
    if (geometry != kImNoErr) return geometry;
    if (m_frameBuffer.Alloc(m_decodeWidth, m_decodeHeight, m_decodeFormat) != kImNoErr) return kImMemErr;
    return m_frameBuffer.IsValid() ? kImNoErr : kImOtherErr;
}

template <class Importer>
int32_t CFrameReader<Importer>::DecodeAndConvert(int32_t frame, char* pixels, int32_t rowBytes, bool timed) {
    // The host's rows must hold the picture's (a shorter row would make the conversion write past them):
    // checked before anything is read or decoded.
    const HostLayout hostLayout = HostLayoutFor(m_outputFormat);
    if (HostRowBytes(hostLayout, m_outputWidth) > rowBytes) return kImOtherErr;
    CDecoderList& decoders = CDecoderList::Instance();
    decoders.Remove(m_importer->Decoder());
    if (timed) platform::DebugPrintf("frame:%5d ImportImage 0x%08" PRIXPTR " read \n", frame, Address(this));
    uint32_t start = platform::ClockMilliseconds();
    const int32_t decoded = m_importer->DecodeFrame(frame, &m_frameBuffer, m_decodeResolution);
    // The decoder goes back whatever the result; narrow requests leave it without memory.
    if (m_importer->Decoder()) decoders.Touch(m_importer->Decoder(), m_outputWidth);
    if (decoded != kImNoErr) return decoded;
    if (timed)
        platform::DebugPrintf("Importer:0x%08" PRIXPTR " Frame:%5d Read/Decode Time:%0.12f\n", Address(this),
                              frame, SecondsSince(start));

    start = platform::ClockMilliseconds();
    const DecodedFrameView source =
        MakeDecodedView(m_frameBuffer.Data(), m_frameBuffer.Pitch(), m_frameBuffer.Width(),
                        m_frameBuffer.Height(), DecodedLayoutFor(m_decodeFormat));
    const HostFrameView destination{reinterpret_cast<uint8_t*>(pixels), rowBytes, m_outputWidth,
                                    m_outputHeight, hostLayout};
    CImporterAllocator hostMemory(m_importer);
    CHostScratchAllocator scratch(&hostMemory);
    // The synchronous path also scales into ARGB 8-bit (as BGRA, then byte-reversed).
    const int32_t converted =
        ConvertOutputFrame(source, m_sourceWidth, m_sourceHeight, destination, &scratch, /*scaleArgb8=*/true);
    if (timed)
        platform::DebugPrintf("Importer:0x%08" PRIXPTR " Frame:%5d ConvertToOutputFrame Time:%0.12f\n",
                              Address(this), frame, SecondsSince(start));
    return converted;
}

template <class Importer>
int32_t CFrameReader<Importer>::ImportImage(SourceVideoRecord* record) {
    if (!record || !m_importer) return kImOtherErr;
    if (record->outFrame) *record->outFrame = nullptr;
    if (!record->formats || record->formatCount < 1) return kImOtherErr;
    const int32_t frame = m_importer->TimeToFrame(record->frameTime);
    platform::DebugPrintf("frame:%5d ImportImage 0x%08" PRIXPTR " import \n", frame, Address(this));

    FrameFormatEntry& wanted = record->formats[0];
    if (wanted.width == 0 || wanted.height == 0) {
        wanted.width = m_sourceWidth / 2;
        wanted.height = m_sourceHeight / 2;
    }
    SetOutput(wanted.width, wanted.height, wanted.pixelFormat);
    const int32_t prepared = PrepareFrameBuffer(frame);
    if (prepared != kImNoErr) return prepared;

    const int32_t created = CreateHostFrame(*m_importer, kSyncFrameAccess, m_outputFormat, m_outputWidth,
                                            m_outputHeight, &m_hostFrame);
    if (created != kImNoErr) return created;
    char* pixels = nullptr;
    int32_t rowBytes = 0;
    if (!HostFramePixels(*m_importer, m_hostFrame, kSyncFrameAccess, &pixels, &rowBytes)) return kImOtherErr;
    const int32_t result = DecodeAndConvert(frame, pixels, rowBytes, true);
    // A failed request hands the host no frame: the destructor gives the one made here back.
    if (result != kImNoErr) return result;
    if (record->outFrame) {
        *record->outFrame = m_hostFrame;
        m_hostFrame = nullptr;
    }
    platform::DebugPrintf("frame:%5d ImportImage 0x%08" PRIXPTR " result: %d\n", frame, Address(this), 0);
    return kImNoErr;
}

template <class Importer>
int32_t CFrameReader<Importer>::ImportImageIntoBuffer(ImageImportRecord* record) {
    if (!record || !m_importer) return kImOtherErr;
    if (record->timeScale == 0 || !record->pixels) return kImOtherErr;
    const int64_t quotient = static_cast<int64_t>(record->time) / record->timeScale;
    if (quotient < 0 || quotient > INT32_MAX) return kImOtherErr;
    const int32_t frame = static_cast<int32_t>(quotient);
    SetOutput(record->width, record->height, record->pixelFormat);
    const int32_t prepared = PrepareFrameBuffer(frame);
    if (prepared != kImNoErr) return prepared;
    return DecodeAndConvert(frame, record->pixels, record->rowBytes, false);
}

template class CFrameReader<CAVIFileImporter>;

}  // namespace krvx
