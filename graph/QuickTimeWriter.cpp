#include "graph/QuickTimeWriter.h"

#include <new>

#include "platform/file.h"

namespace krvx {
namespace graph {
namespace {

// The file starts with "ftyp" (20 bytes), then a "wide" atom (8 bytes) and the 8-byte "mdat" header.
// Past 4 GiB the "wide" atom and the "mdat" header become one 16-byte header with a 64-bit size, so
// the samples never move.
constexpr uint64_t kWideOffset = 20;
constexpr uint64_t kMdatOffset = 28;
constexpr uint64_t kDataOffset = 36;

void StoreU32(uint8_t* at, uint32_t value) {
    at[0] = uint8_t(value >> 24);
    at[1] = uint8_t(value >> 16);
    at[2] = uint8_t(value >> 8);
    at[3] = uint8_t(value);
}

void StoreType(uint8_t* at, const char* type) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(type[i]);
}

bool ValidVideo(const QtVideoTrack& video) {
    return video.width >= 1 && video.width <= 0xFFFF && video.height >= 1 && video.height <= 0xFFFF &&
           video.timing.timeScale > 0 && video.timing.frameDuration > 0 && video.depth > 0 &&
           (video.fourCC[0] | video.fourCC[1] | video.fourCC[2] | video.fourCC[3]) != 0;
}

bool ValidAudio(const QtAudioTrack& audio) {
    return audio.sampleRate >= 1 && audio.sampleRate <= 0xFFFF && audio.channels >= 1 &&
           (audio.bitsPerSample == 8 || audio.bitsPerSample == 16);
}

}  // namespace

QuickTimeWriter::QuickTimeWriter() = default;

QuickTimeWriter::~QuickTimeWriter() {
    if (m_file) Close();
}

int QuickTimeWriter::Open(const char* path, const QtVideoTrack* video, const QtAudioTrack* audio) {
    if (m_file || !path || (!video && !audio)) return kQtBadArgument;
    if ((video && !ValidVideo(*video)) || (audio && !ValidAudio(*audio))) return kQtBadArgument;
    Reset();
    m_file = platform::FileOpen(path, platform::FileDisposition::CreateAlwaysForWrite,
                                platform::kFileAttributeNormal);
    if (!m_file) return kQtIoError;
    m_hasVideo = video != nullptr;
    m_hasAudio = audio != nullptr;
    if (video) m_videoFormat = *video;
    if (audio) {
        m_audioFormat = *audio;
        m_audioFrameBytes = uint32_t(audio->channels) * audio->bitsPerSample / 8;
    }
    uint8_t head[kDataOffset] = {};
    StoreU32(head, 20);
    StoreType(head + 4, "ftyp");
    StoreType(head + 8, "qt  ");
    StoreU32(head + 12, 0x200);  // minor version
    StoreType(head + 16, "qt  ");
    StoreU32(head + kWideOffset, 8);
    StoreType(head + kWideOffset + 4, "wide");
    StoreU32(head + kMdatOffset, 8);
    StoreType(head + kMdatOffset + 4, "mdat");
    m_position = 0;
    const int result = WriteAll(head, sizeof(head));
    if (result != kQtOk) {
        platform::FileClose(m_file);
        Reset();
    }
    return result;
}

int QuickTimeWriter::WriteVideo(const void* data, uint32_t size, bool keyFrame) {
    if (!m_file || !m_hasVideo || (!data && size > 0)) return kQtBadArgument;
    if (m_failure != kQtOk) return m_failure;
    if (m_video.sampleCount >= UINT32_MAX) return kQtBadArgument;
    try {
        m_video.sampleSizes.push_back(size);
        if (keyFrame) m_video.keyFrames.push_back(static_cast<uint32_t>(m_video.sampleCount + 1));
    } catch (const std::bad_alloc&) {
        m_failure = kQtNoMemory;
        return m_failure;
    }
    return Append(m_video, data, size, 1);
}

int QuickTimeWriter::WriteAudio(const void* data, uint32_t bytes) {
    if (!m_file || !m_hasAudio || (!data && bytes > 0) || bytes % m_audioFrameBytes != 0) {
        return kQtBadArgument;
    }
    if (m_failure != kQtOk) return m_failure;
    if (bytes == 0) return kQtOk;
    const uint32_t frames = bytes / m_audioFrameBytes;
    if (m_audio.sampleCount + frames > UINT32_MAX) return kQtBadArgument;
    return Append(m_audio, data, bytes, frames);
}

int QuickTimeWriter::SetTimecode(uint32_t packedStart, uint32_t rateTimes1000) {
    if (!m_file) return kQtBadArgument;
    QtTimecodeFormat format{};
    if (!QtTimecodeFormatFromRate(rateTimes1000, &format)) return kQtBadArgument;
    const uint32_t minutes = (packedStart >> 16) & 0xFF;
    const uint32_t seconds = (packedStart >> 8) & 0xFF;
    const uint32_t frames = packedStart & 0xFF;
    if (minutes > 59 || seconds > 59 || frames >= format.framesPerSecond) return kQtBadArgument;
    m_timecodeFormat = format;
    m_timecodeStart = packedStart;
    m_hasTimecode = true;
    return kQtOk;
}

int QuickTimeWriter::Close() {
    if (!m_file) return kQtBadArgument;
    const int result = m_failure != kQtOk ? m_failure : Finish();
    platform::FileClose(m_file);
    m_file = nullptr;
    Reset();
    return result;
}

int QuickTimeWriter::Append(QtTrackTables& track, const void* data, uint32_t size, uint32_t samples) {
    try {
        // Samples that follow the track's own last sample in the file extend its chunk.
        if (m_lastTrack == &track && track.chunkSamples.back() <= UINT32_MAX - samples) {
            track.chunkSamples.back() += samples;
        } else {
            track.chunkOffsets.push_back(m_position);
            track.chunkSamples.push_back(samples);
        }
    } catch (const std::bad_alloc&) {
        m_failure = kQtNoMemory;
        return m_failure;
    }
    track.sampleCount += samples;
    m_lastTrack = &track;
    return WriteAll(data, size);
}

int QuickTimeWriter::WriteAll(const void* data, uint64_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const uint32_t part = size > 0x40000000 ? 0x40000000 : static_cast<uint32_t>(size);
        uint32_t written = 0;
        if (!platform::FileWrite(m_file, bytes, part, &written) || written == 0) {
            m_failure = kQtIoError;
            return m_failure;
        }
        bytes += written;
        size -= written;
        m_position += written;
    }
    return kQtOk;
}

int QuickTimeWriter::WriteAt(uint64_t offset, const void* data, uint32_t size) {
    if (!platform::FileSeek(m_file, static_cast<int64_t>(offset), platform::SeekOrigin::Begin, nullptr)) {
        m_failure = kQtIoError;
        return m_failure;
    }
    m_position = offset;
    return WriteAll(data, size);
}

int QuickTimeWriter::Finish() {
    QtMovieLayout layout;
    if (m_hasVideo) {
        layout.video = &m_videoFormat;
        layout.videoTables = &m_video;
    }
    if (m_hasAudio) {
        layout.audio = &m_audioFormat;
        layout.audioTables = &m_audio;
    }
    if (m_hasTimecode) {
        // The timecode track's one sample: the start as a frame number, at the end of "mdat".
        uint8_t sample[4];
        StoreU32(sample, QtTimecodeFrameNumber(m_timecodeStart, m_timecodeFormat.framesPerSecond));
        layout.timecode = &m_timecodeFormat;
        layout.timecodeSampleOffset = m_position;
        m_lastTrack = nullptr;
        if (WriteAll(sample, sizeof(sample)) != kQtOk) return m_failure;
    }
    const uint64_t mdatEnd = m_position;
    try {
        QtAtomBuffer moov;
        AppendMovieHeader(layout, &moov);
        if (WriteAll(moov.Bytes().data(), moov.Bytes().size()) != kQtOk) return m_failure;
    } catch (const std::bad_alloc&) {
        m_failure = kQtNoMemory;
        return m_failure;
    }
    const uint64_t mdatSize = mdatEnd - kMdatOffset;
    if (mdatSize <= UINT32_MAX) {
        uint8_t size[4];
        StoreU32(size, static_cast<uint32_t>(mdatSize));
        return WriteAt(kMdatOffset, size, sizeof(size));
    }
    // Size 1 says a 64-bit size follows the type; the header now starts where "wide" was.
    const uint64_t wideSize = mdatEnd - kWideOffset;
    uint8_t header[16];
    StoreU32(header, 1);
    StoreType(header + 4, "mdat");
    StoreU32(header + 8, static_cast<uint32_t>(wideSize >> 32));
    StoreU32(header + 12, static_cast<uint32_t>(wideSize));
    return WriteAt(kWideOffset, header, sizeof(header));
}

void QuickTimeWriter::Reset() {
    m_failure = kQtOk;
    m_position = 0;
    m_lastTrack = nullptr;
    m_videoFormat = QtVideoTrack{};
    m_audioFormat = QtAudioTrack{};
    m_audioFrameBytes = 0;
    m_hasVideo = false;
    m_hasAudio = false;
    m_video = QtTrackTables{};
    m_audio = QtTrackTables{};
    m_hasTimecode = false;
    m_timecodeStart = 0;
    m_timecodeFormat = QtTimecodeFormat{};
}

}  // namespace graph
}  // namespace krvx
