#include "importer/CAVIFileImporter.h"

#include <cinttypes>
#include <cstring>
#include <new>

#include "avi/AVIReader.h"
#include "avi/BlockFileIO.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "host/HostTime.h"
#include "importer/CDecoderList.h"
#include "importer/ColourSettings.h"
#include "importer/DecoderLibrary.h"
#include "importer/KRVXFourCC.h"
#include "platform/debug.h"
#include "platform/system.h"
#include "platform/text.h"

namespace krvx {

namespace {

// A path longer than the member holds is refused rather than cut.
bool CopyWidePath(const char16_t* from, char16_t* to) {
    size_t length = 0;
    while (from[length]) {
        if (++length >= static_cast<size_t>(kImporterPathChars)) return false;
    }
    std::memcpy(to, from, (length + 1) * sizeof(char16_t));
    return true;
}
}  // namespace

CAVIFileImporter::CAVIFileImporter(const imStdParms* stdParms) {
    AcquireSuites(stdParms);
    WriteInstantiatedLine();
}

CAVIFileImporter::CAVIFileImporter(IAllocator* allocator) {
    AdoptAllocator(allocator, false);
    m_sampleBuffer.SetAllocator(allocator);
    WriteInstantiatedLine();
}

void CAVIFileImporter::WriteInstantiatedLine() {
    if (platform::UnbufferedReadsNeedAlignedMemory()) m_sampleBuffer.SetReadAlignment(m_sectorSize);
    platform::DebugPrintf(
        "\n###################################### AVIFileImporter Instantiated:0X%08" PRIxPTR "\n",
        reinterpret_cast<uintptr_t>(this));
}

CAVIFileImporter::~CAVIFileImporter() {
    platform::DebugPrintf("\n###################################### AVIFileImporter Destroyed:0X%08" PRIxPTR
                          "\n",
                          reinterpret_cast<uintptr_t>(this));
    m_reader.reset();
    ReleaseSuites();
    m_decoder.reset();
    m_sampleBuffer.Release();
    // Last, so that its leak report covers everything that allocated through it.
    DeleteOwnedAllocator();
}

void CAVIFileImporter::OnAllocatorCreated(IAllocator* allocator) {
    if (!m_sampleBuffer.Allocator()) m_sampleBuffer.SetAllocator(allocator);
}

void CAVIFileImporter::DestroyDecoder::operator()(SampleDecoder* decoder) const {
    CDecoderList::Instance().RemoveAll(decoder);
    decoder->Destroy(1);
}

void CAVIFileImporter::Close() {
    m_reader.reset();
    m_isOpen = false;
}

bool CAVIFileImporter::EnsureDecoder() {
    if (!m_decoder) m_decoder.reset(CreateSampleDecoder(Allocator()));
    return m_decoder != nullptr;
}

int32_t CAVIFileImporter::ReadSample(uint32_t frame) {
    return m_sampleBuffer.ReadSample(m_reader.get(), frame, m_sectorSize);
}

int32_t CAVIFileImporter::PrepareWithColourSettings(const void* sample, uint32_t sampleSize, uint32_t format,
                                                    int32_t resolution, int32_t decodeFlag,
                                                    int32_t* decodedWidth, int32_t* decodedHeight) {
    if (!EnsureDecoder()) return kImMemErr;
    int32_t width = 0, height = 0;
    m_decoder->PrepareDecode(0, 0, format, resolution, decodeFlag, sample, sampleSize, &width, &height,
                             nullptr);
    if (decodedWidth) *decodedWidth = width;
    if (decodedHeight) *decodedHeight = height;
    ColourSettings settings;
    if (!ReadColourSettings(Allocator(), OverrideReading::WalkRecords, &settings)) return kImOtherErr;
    return ApplyColourSettings(m_decoder.get(), sample, sampleSize, settings, true);
}

int32_t CAVIFileImporter::DecodeFrame(int32_t frame, CFrameBuffer* frameBuffer, int32_t resolution) {
    const uint32_t format = frameBuffer ? frameBuffer->Format() : 0;
    if (format == 0) return kImBadFile;
    if (!m_reader || !m_reader->Video().IsValid() || frame < 0) return kImOtherErr;
    if (!m_reader->IsVideoKeyFrame(static_cast<uint32_t>(frame))) {
        const bool holdsPrevious = frame == m_lastDecodedFrame + 1 && m_decoder &&
                                   !m_decoder->ConfigurationDiffers(0, 0, format, resolution);
        // A failure while priming does not stop the frame: it is decoded all the same.
        if (!holdsPrevious) DecodePrecedingFrames(frame, format, resolution);
    }
    const int32_t read = ReadSample(static_cast<uint32_t>(frame));
    if (read != kImNoErr) return read;
    CDecoderList::Instance().Remove(m_decoder.get());
    int32_t width = 0, height = 0;
    const int32_t prepared = PrepareWithColourSettings(m_sampleBuffer.Sample(), m_sampleBuffer.SampleSize(),
                                                       format, resolution, 0, &width, &height);
    if (prepared == kImMemErr) return prepared;
    // A sample whose picture is not the size the file declares must not be decoded into a buffer
    // sized from that declaration.
    if (width != frameBuffer->Width() || height != frameBuffer->Height()) {
        platform::DebugPrintf(
            "frame:%5d DecodeFrame 0x%08" PRIXPTR " sample picture %d x %d, buffer %d x %d\n", frame,
            reinterpret_cast<uintptr_t>(this), width, height, frameBuffer->Width(), frameBuffer->Height());
        return kImDecodeFailed;
    }
    m_decoder->DecodeSample(m_sampleBuffer.Sample(), m_sampleBuffer.SampleSize(), frameBuffer->Data(),
                            frameBuffer->Pitch());
    m_lastDecodedFrame = frame;
    return kImNoErr;
}

int32_t CAVIFileImporter::DecodePrecedingFrames(int32_t frame, uint32_t format, int32_t resolution) {
    if (!m_reader || !m_reader->Video().IsValid() || frame - 1 < 0) return kImOtherErr;
    int32_t key = frame - 1;
    while (key >= 0 && !m_reader->IsVideoKeyFrame(static_cast<uint32_t>(key))) --key;
    if (key < 0) return kImOtherErr;
    platform::DebugPrintf("frame:%5d DecodePrecedingFrames 0x%08" PRIXPTR " key frame: %d, frames: %d\n",
                          frame, reinterpret_cast<uintptr_t>(this), key, frame - key);
    for (int32_t j = key; j < frame; ++j) {
        if (j > key && m_reader->GetVideoFrameSize(static_cast<uint32_t>(j)) == 0) return kImOtherErr;
        int32_t result = ReadSample(static_cast<uint32_t>(j));
        if (result == kImNoErr)
            result = PrepareWithColourSettings(m_sampleBuffer.Sample(), m_sampleBuffer.SampleSize(), format,
                                               resolution, 1);
        if (result == kImNoErr)
            result =
                m_decoder->DecodeSample(m_sampleBuffer.Sample(), m_sampleBuffer.SampleSize(), nullptr, 0);
        if (result != kImNoErr) return result;
        m_lastDecodedFrame = j;
    }
    return kImNoErr;
}

void CAVIFileImporter::SetPath(const char16_t* path) {
    if (!path || !CopyWidePath(path, m_path)) m_path[0] = 0;
}

int32_t CAVIFileImporter::Open(const char16_t* path) {
    if (m_isOpen) return kImNoErr;
    if (!path) return kImBadFile;
    // The reader becomes the importer's only once the clip has opened and proved to be of the codec.
    std::unique_ptr<AVIReader> reader(new (std::nothrow) AVIReader);
    if (!reader) return kImMemErr;
    char16_t widePath[kImporterPathChars];
    char multibyte[kMultibytePathBytes];
    if (!CopyWidePath(path, widePath) || !platform::WideToMultibyte(path, multibyte, sizeof(multibyte)))
        return kImBadFile;
    // The sector size is asked for the drive behind any "\\?\" prefix; the path opens as given.
    uint32_t sectorSize = 0;
    GetSectorSize(multibyte, &sectorSize);
    m_sectorSize = sectorSize ? sectorSize : kDefaultSectorSize;
    if (platform::UnbufferedReadsNeedAlignedMemory()) m_sampleBuffer.SetReadAlignment(m_sectorSize);
    if (dshow::Failed(reader->Open(multibyte))) return kImBadFile;
    if (!reader->Video().IsValid() || !IsKrvxFourCC(reader->Video().GetHandler())) return kImBadFile;
    // The declared frame size is a claim: everything sized from it later must stay within reason.
    const int32_t width = reader->Video().BitmapHeader().width;
    const int32_t height = reader->Video().BitmapHeader().height;
    if (width < 1 || width > kMaxFrameSide || height < 1 || height > kMaxFrameSide) {
        platform::DebugPrintf("CAVIFileImporter::Open refused frame size %d x %d\n", width, height);
        return kImBadFile;
    }

    CSampleBuffer firstSample;
    if (platform::UnbufferedReadsNeedAlignedMemory()) firstSample.SetReadAlignment(m_sectorSize);
    const int32_t read = firstSample.ReadSample(reader.get(), 0, m_sectorSize);
    if (read != kImNoErr) return read;
    m_reader = std::move(reader);
    // An uninspectable first sample does not fail the open; the description says what it can.
    if (EnsureDecoder() && m_decoder->GetSampleInfo(firstSample.Sample(), firstSample.SampleSize(),
                                                    &m_sampleInfo) == KRVX_ERROR_OKAY)
        m_encodedFormat = m_sampleInfo.encodedFormat;
    firstSample.Release();

    if (m_reader->Audio().IsValid()) {
        m_reader->Audio().SeekToStart();
        m_audioPosition = 0;
    }
    std::memcpy(m_path, widePath, sizeof(m_path));
    m_isOpen = true;
    return kImNoErr;
}

int32_t CAVIFileImporter::GetFrameInfo(FrameInfo* info) const {
    if (!info || !m_reader || !m_reader->Video().IsValid()) return kImOtherErr;
    info->width = m_reader->Video().BitmapHeader().width;
    info->height = m_reader->Video().BitmapHeader().height;
    info->handler = m_reader->Video().GetHandler();
    return kImNoErr;
}

int32_t CAVIFileImporter::TimeToFrame(int64_t time) const {
    int64_t ticksPerSecond = kHostTicksPerSecond;
    auto getTicks =
        HostSlot<HostGetTicksPerSecondFn>(static_cast<const HostSuite*>(TimeSuite()), kTimeGetTicksPerSecond);
    if (getTicks) getTicks(&ticksPerSecond);
    if (!m_reader || ticksPerSecond == 0) return 0;
    const AVIStreamHeader& header = m_reader->Video().Header();
    if (header.scale == 0) return 0;
    // Single precision, as the host's own conversion rounds.
    float q = static_cast<float>(time) / static_cast<float>(ticksPerSecond);
    q = q * static_cast<float>(header.rate) / static_cast<float>(header.scale);
    return static_cast<int32_t>(static_cast<double>(q) + 0.5);
}

int32_t CAVIFileImporter::ReadAudioSamples(int64_t position, void* buffer, uint32_t count,
                                           uint32_t* countRead) {
    if (countRead) *countRead = 0;
    if (!m_reader) return kImOtherErr;
    AVIAudioStream& audio = m_reader->Audio();
    uint32_t got = 0;
    dshow::HResult result = audio.ReadSamples(static_cast<uint64_t>(position), buffer, count,
                                              audio.Header().sampleSize, &got, nullptr);
    if (countRead) *countRead = got;
    // A read that fails part way still hands over what it delivered.
    return dshow::Failed(result) && got == 0 ? kImBadFile : kImNoErr;
}

int32_t CAVIFileImporter::ReadSampleInfo() {
    int32_t read = m_sampleBuffer.ReadSample(m_reader.get(), 0, m_sectorSize);
    if (read != kImNoErr) return read;
    if (!EnsureDecoder()) {
        m_sampleBuffer.Release();
        return kImMemErr;
    }
    int32_t result =
        m_decoder->GetSampleInfo(m_sampleBuffer.Sample(), m_sampleBuffer.SampleSize(), &m_sampleInfo);
    m_sampleBuffer.Release();
    return result;
}

}  // namespace krvx
