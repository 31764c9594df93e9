#include "avi/AVIStream.h"

#include <cstring>

#include "avi/AVIReader.h"
#include "avi/FourCC.h"

namespace krvx {

using namespace dshow;

AVIStream::AVIStream() : m_valid(0), m_streamHeader(), m_reader(nullptr) {}

AVIStream::~AVIStream() = default;

void AVIStream::Reset() {
    m_superIndex.Release();
    m_oldIndex.Release();
    m_streamHeader = AVIStreamHeaderRecord{};
    m_valid = 0;
}

uint32_t AVIStream::GetHandler() const {
    return m_streamHeader.header.handler;
}

void AVIStream::TakeHeader(const uint8_t* data, uint64_t size, uint32_t chunkId, uint64_t chunkSize) {
    m_streamHeader = AVIStreamHeaderRecord{};
    m_streamHeader.chunkId = chunkId;
    m_streamHeader.chunkSize = static_cast<uint32_t>(chunkSize);
    if (data) {
        std::memcpy(&m_streamHeader.header, data,
                    size < sizeof(AVIStreamHeader) ? static_cast<size_t>(size) : sizeof(AVIStreamHeader));
    }
}

AVIIndexBase& AVIStream::ActiveIndex() {
    if (m_superIndex.EntriesInUse() != 0) return m_superIndex;
    return m_oldIndex;
}

HResult AVIStream::EnsureIndex() {
    if (m_superIndex.EntriesInUse() == 0) return m_oldIndex.Count() >= 1 ? kOk : kFail;
    if (m_superIndex.StandardIndexesAllocated()) return kOk;
    return Succeeded(LoadStandardIndexes()) ? kOk : kFail;
}

// Reads every standard index chunk the super index names. The record array exists from the start, so
// a load that fails part-way is not tried again: the chunks read before the failure stay in use.
HResult AVIStream::LoadStandardIndexes() {
    FileIO* file = m_reader ? m_reader->ParseFile() : nullptr;
    if (!file) return kPointer;
    if (m_superIndex.StandardIndexesAllocated()) return kFail;
    HResult result = m_superIndex.AllocateStandardIndexes();
    if (Failed(result)) return result;
    uint64_t first = 0;
    uint64_t bytesHeld = 0;
    for (uint32_t i = 0; i < m_superIndex.EntriesInUse(); ++i) {
        uint64_t offset = m_superIndex.Entry(i).offset;
        if (offset > static_cast<uint64_t>(INT64_MAX) ||
            file->Seek(static_cast<int64_t>(offset), 0) != kFileOk) {
            return kFail;
        }
        RiffChunk chunk;
        if (Failed(m_reader->ReadChunk(file, &chunk))) return kFail;
        if (FourCCChar(chunk.id, 0) != 'i' || FourCCChar(chunk.id, 1) != 'x') return kFail;
        if (!chunk.data || chunk.dataSize < kIndexHeaderBytes) return kFail;
        // Honest standard index chunks do not overlap, so together they are never larger than the file;
        // a super index that names one chunk many times is refused before it fills the memory.
        bytesHeld += chunk.dataSize;
        if (bytesHeld > m_reader->FileSize()) return kFail;
        uint8_t subType = chunk.data[2];
        uint8_t indexType = chunk.data[3];
        uint32_t count = m_superIndex.SetStandardIndex(i, chunk, static_cast<uint32_t>(first));
        if (indexType != 1 || subType != 0) return kFail;
        first += count;
        // Frame numbers are 32-bit: entries past that could never be asked for.
        if (first > UINT32_MAX) return kFail;
    }
    return kOk;
}

}  // namespace krvx
