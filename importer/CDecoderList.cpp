#include "importer/CDecoderList.h"

#include <algorithm>

#include <KRVXDecoder.h>

namespace krvx {

namespace {
// Built at module load and destroyed at unload.
CDecoderList g_decoderList;
}  // namespace

CDecoderList& CDecoderList::Instance() { return g_decoderList; }

bool CDecoderList::Remove(SampleDecoder* decoder) {
    platform::ScopedLock lock(m_lock);
    auto found = std::find(m_decoders.begin(), m_decoders.end(), decoder);
    if (found == m_decoders.end()) return false;
    m_decoders.erase(found);
    --m_count;
    return true;
}

void CDecoderList::RemoveAll(SampleDecoder* decoder) {
    platform::ScopedLock lock(m_lock);
    size_t before = m_decoders.size();
    m_decoders.remove(decoder);
    m_count -= static_cast<uint32_t>(before - m_decoders.size());
}

void CDecoderList::Touch(SampleDecoder* decoder, int32_t outputWidth) {
    platform::ScopedLock lock(m_lock);
    if (outputWidth < kSmallFrameWidth) {
        if (decoder) decoder->ReleaseResources();
        size_t before = m_decoders.size();
        m_decoders.remove(decoder);
        m_count -= static_cast<uint32_t>(before - m_decoders.size());
        return;
    }
    auto found = std::find(m_decoders.begin(), m_decoders.end(), decoder);
    if (found != m_decoders.end()) {
        m_decoders.splice(m_decoders.begin(), m_decoders, found);
        return;
    }
    if (m_count >= kCapacity) {
        SampleDecoder* oldest = m_decoders.back();
        if (oldest) oldest->ReleaseResources();
        m_decoders.pop_back();
        --m_count;
    }
    m_decoders.push_front(decoder);
    ++m_count;
}

uint32_t CDecoderList::Count() {
    platform::ScopedLock lock(m_lock);
    return m_count;
}

bool CDecoderList::Contains(SampleDecoder* decoder) {
    platform::ScopedLock lock(m_lock);
    return std::find(m_decoders.begin(), m_decoders.end(), decoder) != m_decoders.end();
}

SampleDecoder* CDecoderList::Front() {
    platform::ScopedLock lock(m_lock);
    return m_decoders.empty() ? nullptr : m_decoders.front();
}

}  // namespace krvx
