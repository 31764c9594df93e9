#include "importer/CAudioReader.h"

#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "avi/AVIReader.h"
#include "host/HostAddress.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "importer/CAVIFileImporter.h"
#include "platform/debug.h"

namespace krvx {

namespace {
// Only 16-bit stereo is converted: two channels, four bytes per sample frame.
constexpr uint16_t kStereoChannels = 2;
constexpr uint32_t kStereoFrameBytes = 4;
constexpr int64_t kContinuePosition = -1;

// Every 16-bit sample divided by 32767 in single precision, indexed by the sample's bits. A division
// per sample is the most expensive step of the audio path; the table gives the same floats at the
// cost of a lookup. Built once, on first use (thread-safe as a function-local static).
struct SampleTableHolder {
    float value[65536];
    SampleTableHolder() {
        for (uint32_t bits = 0; bits < 65536; ++bits)
            value[bits] = static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(bits))) / 32767.0f;
    }
};

const float* SampleTable() {
    static const SampleTableHolder table;
    return table.value;
}
}  // namespace

CAudioReader::CAudioReader(CAVIFileImporter* importer) : m_importer(importer) {}

CAudioReader::~CAudioReader() {
    if (!m_buffer) return;
    auto disposePtr = HostSlot<HostDisposePtrFn>(m_importer->MemoryFunctions(), kMemDisposePtr);
    if (disposePtr)
        disposePtr(reinterpret_cast<char*>(m_buffer));
    else
        std::free(m_buffer);
}

bool CAudioReader::AllocateBuffer(uint64_t bytes) {
    // 0 bytes (a request for nothing, or a stream without a sample size) are asked for like any other
    // size: the host may answer with a block or with null. Nothing is ever read into such a block,
    // since the read of a stream without a sample size is refused before it writes.
    if (bytes > UINT32_MAX) return false;
    auto newPtr = HostSlot<HostNewPtrFn>(m_importer->MemoryFunctions(), kMemNewPtr);
    if (m_importer->MemoryFunctions())
        m_buffer = newPtr ? reinterpret_cast<int16_t*>(newPtr(static_cast<uint32_t>(bytes))) : nullptr;
    else
        m_buffer = static_cast<int16_t*>(std::malloc(static_cast<size_t>(bytes)));
    return m_buffer != nullptr;
}

void CAudioReader::ConvertFrames(uint32_t count) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(m_buffer);
    float* left = m_left;
    float* right = m_right;
    uint32_t i = 0;
#if defined(__SSE2__)
    // Four frames at a time; a vector division rounds as the scalar one does, so the floats are the same.
    const __m128 divisor = _mm_set1_ps(32767.0f);
    for (; i + 4 <= count; i += 4) {
        __m128i frames =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + static_cast<size_t>(i) * 4));
        __m128i low = _mm_srai_epi32(_mm_slli_epi32(frames, 16), 16);
        __m128i high = _mm_srai_epi32(frames, 16);
        _mm_storeu_ps(left + i, _mm_div_ps(_mm_cvtepi32_ps(low), divisor));
        _mm_storeu_ps(right + i, _mm_div_ps(_mm_cvtepi32_ps(high), divisor));
    }
#endif
    const float* table = SampleTable();
    for (; i < count; ++i) {
        // Little-endian in the file whatever the machine; the table is indexed by the raw 16 bits.
        const uint8_t* frame = bytes + static_cast<size_t>(i) * kStereoFrameBytes;
        left[i] = table[static_cast<uint16_t>(frame[0] | (frame[1] << 8))];
        right[i] = table[static_cast<uint16_t>(frame[2] | (frame[3] << 8))];
    }
}

int32_t CAudioReader::ReadAudio(AudioImportRecord* record) {
    if (!record) return kImNoAudio;
    const uint32_t size = record->size;
    uint32_t remaining = size;
    int32_t code = kImNoErr;
    AVIReader* reader = m_importer ? m_importer->Reader() : nullptr;
    const bool hasAudio = reader && reader->Audio().IsValid();
    const uint32_t frameBytes = hasAudio ? reader->Audio().Header().sampleSize : 0;
    int64_t position = record->position;
    if (!m_importer) {
        code = kImOtherErr;
    } else if (!AllocateBuffer(static_cast<uint64_t>(frameBytes) * size)) {
        code = kImMemErr;
    } else {
        if (position == 0) {
            if (reader) reader->Audio().SeekToStart();
            m_importer->SetAudioPosition(0);
        } else if (position == kContinuePosition) {
            position = m_importer->AudioPosition();
        }
        m_left = record->buffers ? record->buffers[0] : nullptr;
        m_right = record->buffers ? record->buffers[1] : nullptr;
        if (!m_left || !m_right) code = kImOtherErr;
        uint32_t got = 0;
        while (code == kImNoErr && remaining > 0) {
            const uint32_t chunk = size < remaining ? size : remaining;
            got = 0;
            int32_t result = m_importer->ReadAudioSamples(position, m_buffer, chunk, &got);
            if (result != kImNoErr) return result;
            const uint32_t n = got < chunk ? got : chunk;
            const dshow::WaveFormatEx& format = reader->Audio().Format();
            if (format.channels != kStereoChannels || frameBytes != kStereoFrameBytes) {
                code = kImOtherErr;
                break;
            }
            ConvertFrames(n);
            m_left += n;
            m_right += n;
            remaining -= n;
            position += n;
            if (n != chunk) break;
        }
        if (code == kImNoErr) {
            // Past the end of the stream the rest of the request is silence.
            if (got > 0 && remaining > 0) {
                std::memset(m_left, 0, static_cast<size_t>(remaining) * sizeof(float));
                std::memset(m_right, 0, static_cast<size_t>(remaining) * sizeof(float));
            }
            m_importer->SetAudioPosition(position);
            record->position = position;
            platform::DebugPrintf("ReadAudio " KRVX_ADDRESS_FORMAT " position: %lld\n", AddressOf(this),
                                  static_cast<long long>(position));
        }
    }
    if (code != kImNoErr)
        platform::DebugPrintf("ReadAudio " KRVX_ADDRESS_FORMAT " result: %d\n", AddressOf(this),
                              static_cast<int>(code));
    return remaining == size ? kImNoAudio : code;
}

}  // namespace krvx
