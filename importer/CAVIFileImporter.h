// The per-file importer behind every host request on one open clip. It lives in the host's private-data
// handle, holds the host suites and its tracking allocator, and owns the clip's reader, one sample
// buffer and a decoder of its own.
#pragma once
#include <KRVXDecoder.h>

#include <cstdint>
#include <memory>

#include "host/CAdobeFileImporter.h"
#include "importer/CFrameBuffer.h"
#include "importer/CSampleBuffer.h"

namespace krvx {

class AVIReader;

// The wide path member holds 255 characters and a terminator; the multibyte form at most 260 bytes.
constexpr int kImporterPathChars = 256;
constexpr int kMultibytePathBytes = 260;

// The largest frame width and height a clip may declare; a larger or non-positive one is refused at open.
constexpr int32_t kMaxFrameSide = 32768;

struct FrameInfo {
    int32_t width;
    int32_t height;
    uint32_t handler;
};

class CAVIFileImporter : public CAdobeFileImporter {
public:
    // Acquires the host suites and creates the owned allocator.
    explicit CAVIFileImporter(const imStdParms* stdParms);
    // No suites; a caller-supplied allocator the importer does not own (may be null).
    explicit CAVIFileImporter(IAllocator* allocator);
    ~CAVIFileImporter() override;

    // kImNoErr (also when already open), kImBadFile (not openable, not this codec), kImMemErr (no
    // reader), or what reading the first sample answers.
    int32_t Open(const char16_t* path);
    // Deletes the reader and clears the open flag; the decoder and buffers stay.
    void Close();

    int32_t GetFrameInfo(FrameInfo* info) const;
    int32_t TimeToFrame(int64_t time) const;
    int32_t ReadSampleInfo();

    bool IsOpen() const { return m_isOpen; }
    AVIReader* Reader() const { return m_reader.get(); }
    uint32_t SectorSize() const { return m_sectorSize; }
    uint32_t EncodedFormat() const { return m_encodedFormat; }
    const KRVX_SampleInfo& SampleInfo() const { return m_sampleInfo; }
    SampleDecoder* Decoder() const { return m_decoder.get(); }
    CSampleBuffer& SampleBuffer() { return m_sampleBuffer; }
    const char16_t* Path() const { return m_path; }
    void SetPath(const char16_t* path);
    int32_t ImporterId() const { return m_importerId; }
    void SetImporterId(int32_t id) { m_importerId = id; }
    int64_t AudioPosition() const { return m_audioPosition; }
    void SetAudioPosition(int64_t position) { m_audioPosition = position; }
    int32_t LastDecodedFrame() const { return m_lastDecodedFrame; }
    void SetLastDecodedFrame(int32_t frame) { m_lastDecodedFrame = frame; }

    // Reads `count` sample frames of the audio stream at `position` into `buffer`; *countRead receives
    // the frames delivered. kImOtherErr without a reader, kImBadFile when a failing read delivered
    // nothing, else kImNoErr.
    int32_t ReadAudioSamples(int64_t position, void* buffer, uint32_t count, uint32_t* countRead);

    // Creates the importer's own decoder on first need; false when it cannot be had.
    bool EnsureDecoder();

    // Reads frame's compressed sample into the importer's sample buffer: kImNoErr, kImBadFile (not
    // located or not read), kImMemErr or kImOtherErr (no reader).
    int32_t ReadSample(uint32_t frame);

    // Prepares the importer's decoder (created on first need; kImMemErr when it cannot be) for the
    // sample in `format` at `resolution` and applies the colour settings: kImNoErr, kImMemErr or
    // kImOtherErr. decodeFlag is 1 while priming. The prepared picture's size goes to decodedWidth and
    // decodedHeight when given.
    int32_t PrepareWithColourSettings(const void* sample, uint32_t sampleSize, uint32_t format,
                                      int32_t resolution, int32_t decodeFlag, int32_t* decodedWidth = nullptr,
                                      int32_t* decodedHeight = nullptr);

    // Decodes frame with the importer's own decoder into the frame buffer, in the buffer's format,
    // priming from the last key frame first unless the decoder holds frame - 1 in this configuration.
    // kImNoErr; kImBadFile (no format, or the sample cannot be read); kImMemErr; kImOtherErr;
    // kImDecodeFailed when the sample's picture is not the size the buffer was made for.
    int32_t DecodeFrame(int32_t frame, CFrameBuffer* frameBuffer, int32_t resolution);

    // Decodes the nearest key frame before frame and the frames after it up to frame - 1, without
    // output, so that the decoder's reference state holds frame - 1. kImNoErr, or the first failure.
    int32_t DecodePrecedingFrames(int32_t frame, uint32_t format, int32_t resolution);

protected:
    void OnAllocatorCreated(IAllocator* allocator) override;

private:
    // Takes the importer's decoder out of the process-wide list of idle decoders, then destroys it.
    struct DestroyDecoder {
        void operator()(SampleDecoder* decoder) const;
    };

    void WriteInstantiatedLine();

    CSampleBuffer m_sampleBuffer;
    std::unique_ptr<SampleDecoder, DestroyDecoder> m_decoder;
    KRVX_SampleInfo m_sampleInfo{};
    char16_t m_path[kImporterPathChars] = {};
    std::unique_ptr<AVIReader> m_reader;
    uint32_t m_sectorSize = 512;
    uint32_t m_encodedFormat = 0;
    int64_t m_audioPosition = 0;
    bool m_isOpen = false;
    int32_t m_lastDecodedFrame = -1;
    int32_t m_importerId = 0;
};

}  // namespace krvx
