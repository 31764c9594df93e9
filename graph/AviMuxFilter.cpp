#include "graph/AviMuxFilter.h"

#include <cstring>
#include <new>

#include "dshow/ComPointer.h"
#include "graph/BorrowedSample.h"
#include "graph/FileWriterFilter.h"
#include "graph/HandOut.h"

namespace krvx {
namespace graph {

using namespace dshow;

namespace {
// Each positioned write travels in samples of at most this many bytes; larger ones are split.
constexpr int32_t kOutputBufferBytes = 1 << 20;
constexpr int32_t kOutputBuffers = 2;
// Writes from this size on are lent to the stand-in file writer rather than copied.
constexpr size_t kLendThreshold = 64 * 1024;
}  // namespace

AviMuxOutputPin::AviMuxOutputPin(AviMuxFilter* filter, platform::CriticalSection* lock)
    : CBaseOutputPin(filter, lock, u"AVI Out") {}

HResult AviMuxOutputPin::CheckMediaType(const MediaType* type) {
    if (!type) return kPointer;
    return type->majorType == kMediaTypeStream && type->subtype == kMediaSubtypeAvi ? kOk : kTypeNotAccepted;
}

HResult AviMuxOutputPin::GetMediaType(int position, MediaType* type) {
    if (position < 0) return kInvalidArg;
    if (position > 0) return kNoMoreItems;
    std::memset(type, 0, sizeof(*type));
    type->majorType = kMediaTypeStream;
    type->subtype = kMediaSubtypeAvi;
    type->fixedSizeSamples = 0;
    type->sampleSize = 1;
    return kOk;
}

HResult AviMuxOutputPin::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* properties) {
    if (properties->buffers < kOutputBuffers) properties->buffers = kOutputBuffers;
    if (properties->bufferSize < kOutputBufferBytes) properties->bufferSize = kOutputBufferBytes;
    if (properties->align < 1) properties->align = 1;
    AllocatorProperties actual{};
    HResult result = allocator->SetProperties(properties, &actual);
    if (Failed(result)) return result;
    return actual.bufferSize > 0 && actual.buffers > 0 ? kOk : kFail;
}

HResult AviMuxOutputPin::CompleteConnect(IPin* receivePin) {
    HResult result = CBaseOutputPin::CompleteConnect(receivePin);
    m_lendsBytes = Succeeded(result) && dynamic_cast<FileWriterInputPin*>(receivePin) != nullptr;
    return result;
}

HResult AviMuxOutputPin::BreakConnect() {
    m_lendsBytes = false;
    return CBaseOutputPin::BreakConnect();
}

bool AviMuxOutputPin::WriteAt(uint64_t position, const uint8_t* data, size_t size) {
    if (!m_lendsBytes || size < kLendThreshold || size > INT32_MAX)
        return WriteThroughBuffers(position, data, size);
    ReferenceTime start = static_cast<ReferenceTime>(position);
    BorrowedSample sample(data, static_cast<int32_t>(size), start, start + static_cast<ReferenceTime>(size));
    return Deliver(&sample) == kOk && sample.References() == 1;
}

bool AviMuxOutputPin::WriteThroughBuffers(uint64_t position, const uint8_t* data, size_t size) {
    const uint8_t* bytes = data;
    while (size > 0) {
        ComPointer<IMediaSample> sample;
        if (Failed(GetDeliveryBuffer(sample.Receive(), nullptr, nullptr, 0)) || !sample) return false;
        uint8_t* buffer = nullptr;
        if (Failed(sample->GetPointer(&buffer)) || sample->GetSize() <= 0) return false;
        size_t piece = static_cast<size_t>(sample->GetSize());
        if (piece > size) piece = size;
        std::memcpy(buffer, bytes, piece);
        sample->SetActualDataLength(static_cast<int32_t>(piece));
        // A stream sample's times are the byte range it covers in the file.
        ReferenceTime start = static_cast<ReferenceTime>(position);
        ReferenceTime stop = start + static_cast<ReferenceTime>(piece);
        sample->SetTime(&start, &stop);
        if (Deliver(sample.Get()) != kOk) return false;
        bytes += piece;
        position += piece;
        size -= piece;
    }
    return true;
}

HResult AviMuxFilter::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    AviMuxFilter* filter = new (std::nothrow) AviMuxFilter();
    return HandOut(filter, filter && filter->HasPins(), iid, object);
}

AviMuxFilter::AviMuxFilter() : MuxFilter(kClsidAviDest) {
    m_output.reset(new (std::nothrow) AviMuxOutputPin(this, &m_filterLock));
}

AviMuxFilter::~AviMuxFilter() = default;

HResult AviMuxFilter::QueryInterface(const Guid& iid, void** object) {
    return MuxFilter::QueryInterface(iid, object);
}

HResult AviMuxFilter::QueryOtherInterface(const Guid& iid, void** object) {
    if (iid == kIidConfigInterleaving) {
        *object = static_cast<IConfigInterleaving*>(this);
        AddRef();
        return kOk;
    }
    return MuxFilter::QueryOtherInterface(iid, object);
}

uint32_t AviMuxFilter::AddRef() {
    return MuxFilter::AddRef();
}

uint32_t AviMuxFilter::Release() {
    return MuxFilter::Release();
}

HResult AviMuxFilter::put_Mode(InterleavingMode mode) {
    if (mode < InterleavingMode::None || mode > InterleavingMode::NoneBuffered) return kInvalidArg;
    m_mode = mode;
    return kOk;
}

HResult AviMuxFilter::get_Mode(InterleavingMode* mode) {
    if (!mode) return kPointer;
    *mode = m_mode;
    return kOk;
}

HResult AviMuxFilter::put_Interleaving(const ReferenceTime* interleave, const ReferenceTime* preroll) {
    if (interleave) m_interleave = *interleave;
    if (preroll) m_preroll = *preroll;
    return kOk;
}

HResult AviMuxFilter::get_Interleaving(ReferenceTime* interleave, ReferenceTime* preroll) {
    if (!interleave || !preroll) return kPointer;
    *interleave = m_interleave;
    *preroll = m_preroll;
    return kOk;
}

CBasePin* AviMuxFilter::OtherPin(int n) {
    return n == 0 ? m_output.get() : nullptr;
}

HResult AviMuxFilter::StartFile(const std::vector<StreamFormat>& streams) {
    AVIVideoParams video;
    AVIAudioParams audio;
    StreamChoice choice;
    // The file holds one video and at most one audio stream.
    if (!ChooseStreams(streams, &choice)) return kTypeNotAccepted;
    m_videoStream = choice.video;
    m_audioStream = choice.audio;
    if (choice.video >= 0) {
        const StreamFormat& format = streams[static_cast<size_t>(choice.video)];
        video.compression = format.compression;
        video.bitCount = format.bitCount;
        video.width = static_cast<uint32_t>(format.width);
        // A negative height marks a top-down picture; the file records the size.
        video.height = static_cast<uint32_t>(format.height < 0 ? -format.height : format.height);
        video.rate = format.rate;
        video.scale = format.scale;
    }
    if (choice.audio >= 0) {
        const StreamFormat& format = streams[static_cast<size_t>(choice.audio)];
        audio.sampleRate = format.wave.samplesPerSecond;
        audio.channels = format.wave.channels;
        audio.bitsPerSample = format.wave.bitsPerSample;
    }
    // Without a video input the video parameters stay empty: the file holds the audio alone.
    m_writer.reset(new (std::nothrow) AVIWriter());
    if (!m_writer) return kOutOfMemory;
    return m_writer->Open(m_output.get(), video, audio, AVIOpenDml::kAutomatic);
}

HResult AviMuxFilter::WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) {
    if (stream == m_videoStream) return m_writer->WriteVideo(data, size, keyFrame);
    if (stream == m_audioStream) return m_writer->WriteAudio(data, size);
    return kUnexpected;
}

HResult AviMuxFilter::FinishFile() {
    HResult result = m_writer ? m_writer->Close() : kOk;
    m_writer.reset();
    // The file is complete: the writer downstream may close it.
    m_output->DeliverEndOfStream();
    return result;
}

}  // namespace graph
}  // namespace krvx
