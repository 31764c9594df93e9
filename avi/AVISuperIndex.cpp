#include "avi/AVISuperIndex.h"

#include <cstring>
#include <new>

#include "avi/FourCC.h"

namespace krvx {

using namespace dshow;

HResult AVISuperIndex::Load(const RiffChunk& chunk) {
    Release();
    m_chunkId = chunk.id;
    m_chunkSize = static_cast<uint32_t>(chunk.size);
    if (chunk.size < kIndexHeaderBytes) return kFail;
    if (!chunk.data || chunk.dataSize < kIndexHeaderBytes) return kFail;
    SuperIndexHeader header;
    std::memcpy(&header, chunk.data.get(), sizeof(header));
    uint64_t held = (chunk.dataSize - kIndexHeaderBytes) / sizeof(SuperIndexEntry);
    uint32_t count = header.entriesInUse < held ? header.entriesInUse : static_cast<uint32_t>(held);
    m_entries.reset(new (std::nothrow) SuperIndexEntry[count ? count : 1]);
    if (!m_entries) return kOutOfMemory;
    std::memcpy(m_entries.get(), chunk.data.get() + kIndexHeaderBytes, count * sizeof(SuperIndexEntry));
    header.entriesInUse = count;
    m_header = header;
    return kOk;
}

void AVISuperIndex::Release() {
    m_chunkId = 0;
    m_chunkSize = 0;
    m_header = SuperIndexHeader{};
    m_entries.reset();
    m_standardIndexes.reset();
}

HResult AVISuperIndex::AllocateStandardIndexes() {
    m_standardIndexes.reset(new (std::nothrow)
                                StdIndexRef[m_header.entriesInUse ? m_header.entriesInUse : 1]);
    return m_standardIndexes ? kOk : kOutOfMemory;
}

uint32_t AVISuperIndex::SetStandardIndex(uint32_t i, RiffChunk& chunk, uint32_t first) {
    StdIndexRef& ref = m_standardIndexes[i];
    ref.data = std::move(chunk.data);
    ref.lookup = ref.data.get();
    ref.first = first;
    uint64_t held = (chunk.dataSize - kIndexHeaderBytes) / kStdIndexEntryBytes;
    uint32_t inUse = LoadU32(ref.lookup + 4);
    ref.count = inUse < held ? inUse : static_cast<uint32_t>(held);
    return ref.count;
}

// The standard index chunks are searched in order; the first that covers the entry answers.
const uint8_t* AVISuperIndex::Find(uint32_t entry, uint64_t* baseOffset) const {
    for (uint32_t i = 0; i < m_header.entriesInUse; ++i) {
        const StdIndexRef& ref = m_standardIndexes[i];
        if (!ref.lookup) continue;
        if (entry >= ref.first && entry - ref.first < ref.count) {
            if (baseOffset) *baseOffset = LoadU64(ref.lookup + 12);
            return ref.lookup + kIndexHeaderBytes +
                   static_cast<size_t>(entry - ref.first) * kStdIndexEntryBytes;
        }
    }
    return nullptr;
}

HResult AVISuperIndex::GetEntry(uint32_t entry, uint64_t* offset, uint32_t* size) {
    if (offset) *offset = 0;
    if (size) *size = 0;
    if (m_header.entriesInUse == 0) return kFail;
    if (!m_standardIndexes) return kPointer;
    uint64_t base = 0;
    const uint8_t* found = Find(entry, &base);
    if (!found) return kFail;
    if (offset) *offset = base + LoadU32(found);
    if (size) *size = LoadU32(found + 4) & ~kStdIndexNotKeyFrame;
    return kOk;
}

uint32_t AVISuperIndex::IsKeyFrame(uint32_t entry) {
    if (m_header.entriesInUse == 0 || !m_standardIndexes) return 0;
    const uint8_t* found = Find(entry, nullptr);
    if (!found) return 0;
    return (LoadU32(found + 4) & kStdIndexNotKeyFrame) ? 0u : 1u;
}

}  // namespace krvx
