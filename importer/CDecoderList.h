// The process-wide list of idle decoders that may keep their working memory: at most 8, most recently
// used first; the least recently used one beyond that releases its memory.
#pragma once
#include <cstdint>
#include <list>

#include "platform/sync.h"

namespace krvx {

class SampleDecoder;

class CDecoderList {
public:
    static constexpr uint32_t kCapacity = 8;
    // Frames narrower than this never leave their decoder holding memory.
    static constexpr int32_t kSmallFrameWidth = 100;

    // Unlinks the first node holding decoder; true when one was found.
    bool Remove(SampleDecoder* decoder);
    // Unlinks every node holding decoder (before the decoder is destroyed).
    void RemoveAll(SampleDecoder* decoder);
    // Called after a decode with the width the host asked for.
    void Touch(SampleDecoder* decoder, int32_t outputWidth);

    uint32_t Count();
    bool Contains(SampleDecoder* decoder);
    SampleDecoder* Front();

    // The one list of the process.
    static CDecoderList& Instance();

private:
    std::list<SampleDecoder*> m_decoders;
    uint32_t m_count = 0;
    platform::CriticalSection m_lock;
};

}  // namespace krvx
