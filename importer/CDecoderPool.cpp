#include "importer/CDecoderPool.h"

#include <IAllocator.h>
#include <KRVXDecoder.h>

#include <cinttypes>
#include <cstring>

#include "host/CAdobeFileImporter.h"
#include "host/HostResults.h"
#include "importer/CDecoderList.h"
#include "importer/CSampleBuffer.h"
#include "importer/ColourSettings.h"
#include "importer/DecoderLibrary.h"
#include "platform/debug.h"

namespace krvx {

int32_t DecoderPoolEntry::PrepareWithColourSettings(const CSampleBuffer& sample, uint32_t format,
                                                    int32_t resolution, int32_t decodeFlag,
                                                    int32_t* decodedWidth, int32_t* decodedHeight) const {
    if (!decoder) return kImOtherErr;
    int32_t width = 0, height = 0;
    decoder->PrepareDecode(0, 0, format, resolution, decodeFlag, sample.Sample(), sample.SampleSize(), &width,
                           &height, nullptr);
    if (decodedWidth) *decodedWidth = width;
    if (decodedHeight) *decodedHeight = height;
    ColourSettings settings;
    if (!ReadColourSettings(sample.Allocator(), OverrideReading::FiveFixedRecords, &settings))
        return kImOtherErr;
    return ApplyColourSettings(decoder, sample.Sample(), sample.SampleSize(), settings, false);
}

CDecoderPool::~CDecoderPool() {
    platform::ScopedLock lock(m_lock);
    for (uint32_t i = 0; i < m_count; ++i) {
        CDecoderList::Instance().RemoveAll(m_entries[i].decoder);
        m_entries[i].decoder->Destroy(1);
    }
    IAllocator* allocator = m_importer ? m_importer->Allocator() : nullptr;
    if (m_entries && allocator) allocator->Free(m_entries);
}

bool CDecoderPool::Grow() {
    IAllocator* allocator = m_importer ? m_importer->Allocator() : nullptr;
    if (!allocator) return false;
    const uint32_t capacity = m_capacity ? m_capacity * 2 : 2;
    auto* entries = static_cast<DecoderPoolEntry*>(allocator->Alloc(capacity * sizeof(DecoderPoolEntry)));
    if (!entries) return false;
    if (m_count) std::memcpy(entries, m_entries, m_count * sizeof(DecoderPoolEntry));
    if (m_entries) allocator->Free(m_entries);
    m_entries = entries;
    m_capacity = capacity;
    return true;
}

int32_t CDecoderPool::SelectDecoder(DecoderPoolEntry* out, int32_t frame) {
    platform::ScopedLock lock(m_lock);
    DecoderPoolEntry* best = nullptr;
    DecoderPoolEntry* fallback = nullptr;
    for (uint32_t i = 0; i < m_count; ++i) {
        DecoderPoolEntry& entry = m_entries[i];
        if (entry.inUse) continue;
        if (!best && entry.lastFrame + 1 == frame) best = &entry;
        if (!fallback) fallback = &entry;
    }
    platform::DebugPrintf("frame:%5d SelectDecoder best: %d \n", frame, best ? 1 : 0);
    DecoderPoolEntry* chosen = best ? best : fallback;
    if (!chosen) {
        if (m_count == m_capacity && !Grow()) return kImMemErr;
        SampleDecoder* decoder = CreateSampleDecoder(m_importer ? m_importer->Allocator() : nullptr);
        if (!decoder) return kImMemErr;
        chosen = &m_entries[m_count++];
        *chosen = DecoderPoolEntry{decoder, 0, 0};
        ++m_created;
        platform::DebugPrintf("SelectDecoder: Importer: 0x%08" PRIXPTR ", pool: 0x%08" PRIXPTR
                              ", count: %d\n",
                              reinterpret_cast<uintptr_t>(m_importer), reinterpret_cast<uintptr_t>(this),
                              static_cast<int>(m_created));
    }
    chosen->inUse = 1;
    *out = *chosen;
    return kImNoErr;
}

int32_t CDecoderPool::ReturnDecoder(DecoderPoolEntry* entry) {
    platform::ScopedLock lock(m_lock);
    for (uint32_t i = 0; i < m_count; ++i) {
        if (m_entries[i].decoder != entry->decoder) continue;
        m_entries[i].lastFrame = entry->lastFrame;
        m_entries[i].inUse = 0;
        entry->inUse = 0;
        return kImNoErr;
    }
    return kImOtherErr;
}

uint32_t CDecoderPool::Size() {
    platform::ScopedLock lock(m_lock);
    return m_count;
}

}  // namespace krvx
