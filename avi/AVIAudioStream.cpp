#include "avi/AVIAudioStream.h"

#include <cstring>

#include "avi/AVIAssert.h"
#include "avi/AVIReader.h"

namespace krvx {

using namespace dshow;

AVIAudioStream::AVIAudioStream()
    : m_waveFormat(), m_currentChunk(0), m_chunkSampleOffset(0), m_nextSamplePosition(0) {}

void AVIAudioStream::Reset() {
    AVIStream::Reset();
    m_waveFormat = WaveFormatEx{};
}

HResult AVIAudioStream::Init(const RiffChunk& strh, const RiffChunk& strf) {
    if (!strf.data || strf.dataSize == 0) return kFail;
    m_currentChunk = 0;
    m_nextSamplePosition = 0;
    TakeHeader(strh.data.get(), strh.dataSize, strh.id, strh.size);
    m_waveFormat = WaveFormatEx{};
    std::memcpy(
        &m_waveFormat, strf.data.get(),
        strf.dataSize < sizeof(WaveFormatEx) ? static_cast<size_t>(strf.dataSize) : sizeof(WaveFormatEx));
    m_valid = 1;
    return kOk;
}

// Looks up chunk m_currentChunk. Chunk numbers are 32-bit in the indexes.
HResult AVIAudioStream::LookupChunk(uint64_t* offset, uint32_t* size) {
    if (!AVI_ASSERT(m_currentChunk <= UINT32_MAX)) return kFail;
    return ActiveIndex().GetEntry(static_cast<uint32_t>(m_currentChunk), offset, size);
}

HResult AVIAudioStream::SeekToStart() {
    if (!m_reader) return kPointer;
    uint64_t start = (static_cast<uint64_t>(m_streamHeader.header.start) + 15) / 16 * 16;
    if (start > UINT32_MAX) return kFail;
    m_streamHeader.header.start = static_cast<uint32_t>(start);
    m_currentChunk = 0;
    m_chunkSampleOffset = 0;
    m_nextSamplePosition = 0;
    if (start == 0) return kOk;
    if (Failed(EnsureIndex())) return kFail;
    // The header's scale serves as the bytes per sample here.
    const uint32_t scale = m_streamHeader.header.scale;
    if (scale == 0) return kFail;
    uint64_t remaining = start;
    uint64_t offset = 0;
    uint32_t size = 0;
    bool found = false;
    for (;;) {
        found = Succeeded(LookupChunk(&offset, &size));
        if (!found) break;
        uint32_t samples = size / scale;
        if (remaining < samples) break;
        remaining -= samples;
        m_currentChunk += 1;
        if (size == 0) return kOk;
    }
    if (found && size != 0) m_chunkSampleOffset = remaining;
    return kOk;
}

HResult AVIAudioStream::ReadSamples(uint64_t position, void* buffer, uint32_t count, uint32_t bytesPerSample,
                                    uint32_t* samplesRead, FileIO* file) {
    if (samplesRead) *samplesRead = 0;
    if (!file && m_reader) file = m_reader->ParseFile();
    if (position == m_nextSamplePosition) {
        HResult result = ReadSequential(buffer, count, bytesPerSample, samplesRead, file);
        if (samplesRead) m_nextSamplePosition += *samplesRead;
        return result;
    }
    if (Failed(EnsureIndex())) return kFail;
    if (bytesPerSample == 0) return kFail;
    if (position > static_cast<uint64_t>(INT64_MAX) / bytesPerSample) return kFail;
    int64_t bytes = static_cast<int64_t>(position * bytesPerSample);
    uint64_t offset = 0;
    uint32_t size = 0;
    m_currentChunk = 0;
    for (;;) {
        HResult result = LookupChunk(&offset, &size);
        if (Failed(result)) return result;
        bytes -= size;
        if (bytes < 0) break;
        m_currentChunk += 1;
    }
    m_chunkSampleOffset = static_cast<uint64_t>(bytes + size) / bytesPerSample;
    HResult result = ReadSequential(buffer, count, bytesPerSample, samplesRead, file);
    if (Failed(result)) return result;
    m_nextSamplePosition = position + *samplesRead;
    return kOk;
}

HResult AVIAudioStream::ReadSequential(void* buffer, uint32_t count, uint32_t bytesPerSample,
                                       uint32_t* samplesRead, FileIO* file) {
    if (!buffer) return kInvalidArg;
    if (!file && m_reader) file = m_reader->ParseFile();
    if (!m_reader || !file || !samplesRead) return kPointer;
    *samplesRead = 0;
    if (Failed(EnsureIndex())) return kFail;
    if (bytesPerSample == 0) return kFail;
    const uint64_t total = static_cast<uint64_t>(count) * bytesPerSample;
    if (total > UINT32_MAX) return kFail;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint64_t requestedBytesSuccessfullyReadTotal = 0;
    uint64_t offset = 0;
    uint32_t size = 0;
    if (Failed(LookupChunk(&offset, &size))) return kFail;
    // Whole samples that arrived; the division is guarded because the count is reported as 32-bit.
    auto report = [&]() -> bool {
        if (!AVI_ASSERT(requestedBytesSuccessfullyReadTotal <= UINT32_MAX)) return false;
        *samplesRead = static_cast<uint32_t>(requestedBytesSuccessfullyReadTotal / bytesPerSample);
        return true;
    };
    for (;;) {
        uint64_t skip = static_cast<uint64_t>(bytesPerSample) * m_chunkSampleOffset;
        uint64_t want = total - requestedBytesSuccessfullyReadTotal;
        // The rest of this chunk; nothing when the offset already lies past its end.
        if (size < want + skip) want = skip < size ? size - skip : 0;
        if (want != 0) {
            uint64_t got = 0;
            if (offset + skip > static_cast<uint64_t>(INT64_MAX) ||
                file->Seek(static_cast<int64_t>(offset + skip), 0) != kFileOk) {
                report();
                return kFail;
            }
            file->Read(out + requestedBytesSuccessfullyReadTotal, want, &got);
            if (got > want) got = want;
            requestedBytesSuccessfullyReadTotal += got;
            if (got < want) {
                report();
                return kFail;
            }
        }
        m_chunkSampleOffset += want / bytesPerSample;
        if (requestedBytesSuccessfullyReadTotal >= total) return report() ? kOk : kFail;
        m_currentChunk += 1;
        m_chunkSampleOffset = 0;
        if (Failed(LookupChunk(&offset, &size))) {
            report();
            return kFail;
        }
    }
}

}  // namespace krvx
