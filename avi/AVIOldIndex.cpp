#include "avi/AVIOldIndex.h"

#include <new>

namespace krvx {

using namespace dshow;

HResult AVIOldIndex::Allocate(uint32_t count) {
    Release();
    m_entries.reset(new (std::nothrow) OldIndexEntry[count]());
    if (!m_entries) return kOutOfMemory;
    m_count = count;
    return kOk;
}

void AVIOldIndex::Release() {
    m_entries.reset();
    m_count = 0;
}

HResult AVIOldIndex::GetEntry(uint32_t entry, uint64_t* offset, uint32_t* size) {
    if (entry >= m_count) return kFail;
    if (!m_entries) return kPointer;
    if (offset) *offset = m_entries[entry].offset;
    if (size) *size = m_entries[entry].size;
    return kOk;
}

uint32_t AVIOldIndex::IsKeyFrame(uint32_t entry) {
    if (entry >= m_count || !m_entries) return 0;
    return (m_entries[entry].flags & kOldIndexKeyFrame) ? 1u : 0u;
}

}  // namespace krvx
