// The audio stream: its wave format and reads by sample position across the stream's audio chunks.
#pragma once
#include <cstdint>

#include "avi/AVIStream.h"
#include "avi/FileIO.h"
#include "avi/RiffChunk.h"

namespace krvx {

class AVIAudioStream : public AVIStream {
public:
    AVIAudioStream();

    void Reset() override;

    // Takes the stream header and the "strf" chunk; E_FAIL when "strf" has no data.
    dshow::HResult Init(const RiffChunk& strh, const RiffChunk& strf);

    // Positions the stream after the header's start offset (rounded up to 16 samples).
    dshow::HResult SeekToStart();
    // Reads `count` samples at `position`; a read that continues the previous one walks no index.
    // file: null for the reader's parse file.
    dshow::HResult ReadSamples(uint64_t position, void* buffer, uint32_t count, uint32_t bytesPerSample,
                               uint32_t* samplesRead, FileIO* file);
    // Reads on from the current chunk and offset.
    dshow::HResult ReadSequential(void* buffer, uint32_t count, uint32_t bytesPerSample,
                                  uint32_t* samplesRead, FileIO* file);

    const dshow::WaveFormatEx& Format() const { return m_waveFormat; }
    uint64_t CurrentChunk() const { return m_currentChunk; }
    uint64_t ChunkSampleOffset() const { return m_chunkSampleOffset; }
    uint64_t NextSamplePosition() const { return m_nextSamplePosition; }

private:
    dshow::HResult LookupChunk(uint64_t* offset, uint32_t* size);

    dshow::WaveFormatEx m_waveFormat;
    uint64_t m_currentChunk;
    uint64_t m_chunkSampleOffset;
    uint64_t m_nextSamplePosition;
};

}  // namespace krvx
