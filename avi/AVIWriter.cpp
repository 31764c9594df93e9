// AVI writer: one RIFF "AVI " form with the legacy index, and with OpenDML the two-level index and
// "AVIX" continuation forms.
#include "avi/AVIWriter.h"

#include <cstring>
#include <new>
#include <vector>

#include "avi/RiffBytes.h"

namespace krvx {

using namespace dshow;

namespace {

constexpr uint32_t kSuperIndexCapacity = 256;
constexpr uint32_t kSuperIndexBytes = 24 + 16 * kSuperIndexCapacity;  // "indx" data
constexpr uint32_t kOdmlListBytes = 4 + 8 + 248;                      // "odml" type and the "dmlh" chunk
constexpr uint32_t kKeyFrameFlag = 0x10;
constexpr uint32_t kAVIHasIndex = 0x10;
constexpr uint32_t kAVIIsInterleaved = 0x100;
constexpr uint32_t kNotKeyFrameBit = 0x80000000u;
constexpr uint64_t kMaxRiffBytes = 0xFFFFFFFFu;
// Writes up to this size are gathered (chunk headers, pad bytes, small index chunks); larger ones go
// to the sink straight from the caller's memory.
constexpr size_t kStageBytes = 4096;
constexpr size_t kStageLimit = 512;

struct ChunkRef {
    uint64_t headerPos;
    uint32_t size;
    bool key;
};

struct SuperEntry {
    uint64_t offset;
    uint32_t size;
    uint32_t duration;
};

struct LegacyEntry {
    bool video;
    uint32_t flags;
    uint32_t offset;
    uint32_t size;
};

// Header fields worked out from the parameters, in 64 bits: the frame period in whole microseconds
// (0 without a rate), the audio block alignment and the audio's average bytes per second.
uint64_t MicrosecondsPerFrame(const AVIVideoParams& video) {
    return video.rate ? (uint64_t(1000000) * video.scale + video.rate / 2) / video.rate : 0;
}

uint64_t AudioBlockAlign(const AVIAudioParams& audio) {
    return uint64_t(audio.channels) * ((audio.bitsPerSample + 7u) / 8u);
}

uint64_t AverageBytesPerSecond(const AVIAudioParams& audio) {
    return uint64_t(audio.sampleRate) * AudioBlockAlign(audio);
}

// A video stream of width 0 is none: the file then holds audio only. Parameters whose header fields
// would not fit (a frame period past 32 bits of microseconds, a block alignment past 16 bits, bytes
// per second past 32 bits) are refused rather than written wrapped.
bool ParamsValid(const AVIVideoParams& video, const AVIAudioParams& audio) {
    const bool hasVideo = video.width != 0;
    if (hasVideo && (video.height == 0 || video.rate == 0 || video.scale == 0)) return false;
    if (hasVideo && MicrosecondsPerFrame(video) > UINT32_MAX) return false;
    if (!hasVideo && audio.sampleRate == 0) return false;
    if (audio.sampleRate == 0) return true;
    if (audio.channels == 0 || audio.bitsPerSample == 0) return false;
    return AudioBlockAlign(audio) <= UINT16_MAX && AverageBytesPerSecond(audio) <= UINT32_MAX;
}

}  // namespace

struct AVIWriter::State {
    AVIFileSink file;  // used when opened by path
    IAVIByteSink* sink = nullptr;
    AVIVideoParams video;
    AVIAudioParams audio;
    AVIOpenDml mode = AVIOpenDml::kOff;
    bool extended = false;  // the file has (or will have at Close) OpenDML headers
    uint64_t riffLimit = 0;
    uint64_t pos = 0;  // bytes written, staged ones included
    uint64_t riffPos = 0;
    uint64_t moviPos = 0;
    size_t headerBytes = 0;
    bool firstForm = true;
    bool failed = false;
    uint8_t stage[kStageBytes];
    size_t staged = 0;
    std::vector<LegacyEntry> legacy;
    std::vector<ChunkRef> formVideo, formAudio;
    std::vector<SuperEntry> superVideo, superAudio;
    uint32_t videoFrames = 0;
    uint32_t firstFormFrames = 0;
    uint64_t audioBytes = 0;
    uint32_t maxVideo = 0, maxAudio = 0;

    bool HasVideo() const { return video.width != 0; }
    bool HasAudio() const { return audio.sampleRate != 0; }
    // Streams are numbered in order: audio is stream 1 after a video stream, else stream 0.
    const char* AudioChunkId() const { return HasVideo() ? "01wb" : "00wb"; }
    const char* AudioIndexId() const { return HasVideo() ? "ix01" : "ix00"; }
    // Below 2^32 whatever the parameters: at most 65535 channels of 8192 bytes.
    uint32_t BlockAlign() const { return static_cast<uint32_t>(AudioBlockAlign(audio)); }
    bool ReservesOpenDml() const { return mode != AVIOpenDml::kOff; }

    void Flush() {
        if (staged == 0) return;
        if (!sink->WriteAt(pos - staged, stage, staged)) failed = true;
        staged = 0;
    }
    void Append(const uint8_t* data, size_t size) {
        if (size <= kStageLimit) {
            if (staged + size > kStageBytes) Flush();
            std::memcpy(stage + staged, data, size);
            staged += size;
        } else {
            Flush();
            if (!sink->WriteAt(pos, data, size)) failed = true;
        }
        pos += size;
    }
    void Append(const RiffBytes& bytes) { Append(bytes.Data().data(), bytes.Size()); }
    void PatchU32(uint64_t at, uint32_t value) {
        Flush();
        uint8_t b[4];
        for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
        if (!sink->WriteAt(at, b, 4)) failed = true;
    }

    void Headers(RiffBytes& b) const;
    void MainHeader(RiffBytes& b) const;
    void VideoStreamList(RiffBytes& b) const;
    void AudioStreamList(RiffBytes& b) const;
    void SuperIndex(RiffBytes& b, const char* chunkId, const std::vector<SuperEntry>& entries) const;
    void OpenDmlHeader(RiffBytes& b) const;
    void BeginForm();
    void EndForm(bool more);
    uint64_t FormIndexReserve() const;
    bool WriteChunk(const char* id, const uint8_t* data, uint32_t size, bool video, bool key);
};

// The header list: the main header, a stream list per stream, and the OpenDML header (or room for it).
void AVIWriter::State::Headers(RiffBytes& b) const {
    const size_t hdrl = b.Begin("LIST", "hdrl");
    MainHeader(b);
    if (HasVideo()) VideoStreamList(b);
    if (HasAudio()) AudioStreamList(b);
    OpenDmlHeader(b);
    b.End(hdrl);
}

// "avih": frame period, data rate, flags, counts and the picture size.
void AVIWriter::State::MainHeader(RiffBytes& b) const {
    const size_t avih = b.Begin("avih");
    b.U32(static_cast<uint32_t>(MicrosecondsPerFrame(video)));
    uint64_t seconds = video.rate ? (uint64_t(videoFrames) * video.scale + video.rate - 1) / video.rate : 0;
    if (!HasVideo() && BlockAlign() != 0)
        seconds = (audioBytes / BlockAlign() + audio.sampleRate - 1) / audio.sampleRate;
    const uint64_t bytesPerSecond = seconds ? pos / seconds : pos;
    b.U32(static_cast<uint32_t>(bytesPerSecond > kMaxRiffBytes ? kMaxRiffBytes : bytesPerSecond));
    b.U32(0);
    b.U32(kAVIHasIndex | kAVIIsInterleaved);
    b.U32(extended ? firstFormFrames : videoFrames);
    b.U32(0);
    b.U32((HasVideo() ? 1u : 0u) + (HasAudio() ? 1u : 0u));
    b.U32(maxVideo > maxAudio ? maxVideo + 8 : maxAudio + 8);
    b.U32(video.width);
    b.U32(video.height);
    b.Zeros(16);
    b.End(avih);
}

// "strl" for the video stream: "strh", the bitmap header in "strf", and the super index.
void AVIWriter::State::VideoStreamList(RiffBytes& b) const {
    const size_t strl = b.Begin("LIST", "strl");
    const size_t strh = b.Begin("strh");
    b.FourCC("vids");
    b.U32(video.compression);
    b.U32(0);
    b.U16(0);
    b.U16(0);
    b.U32(0);
    b.U32(video.scale);
    b.U32(video.rate);
    b.U32(0);
    b.U32(videoFrames);
    b.U32(maxVideo);
    b.U32(0xFFFFFFFFu);
    b.U32(0);
    b.U16(0);
    b.U16(0);
    b.U16(static_cast<uint16_t>(video.width));
    b.U16(static_cast<uint16_t>(video.height));
    b.End(strh);
    const size_t strf = b.Begin("strf");
    const uint64_t imageBytes = uint64_t(video.width) * video.height * ((video.bitCount + 7u) / 8u);
    b.U32(40);
    b.U32(video.width);
    b.U32(video.height);
    b.U16(1);
    b.U16(video.bitCount);
    b.U32(video.compression);
    b.U32(static_cast<uint32_t>(imageBytes > kMaxRiffBytes ? kMaxRiffBytes : imageBytes));
    b.Zeros(16);
    b.End(strf);
    SuperIndex(b, "00dc", superVideo);
    b.End(strl);
}

// "strl" for the audio stream: "strh", the PCM wave format in "strf", and the super index.
void AVIWriter::State::AudioStreamList(RiffBytes& b) const {
    const size_t strl = b.Begin("LIST", "strl");
    const size_t strh = b.Begin("strh");
    b.FourCC("auds");
    b.U32(0);
    b.U32(0);
    b.U16(0);
    b.U16(0);
    b.U32(0);
    b.U32(1);
    b.U32(audio.sampleRate);
    b.U32(0);
    b.U32(BlockAlign() ? static_cast<uint32_t>(audioBytes / BlockAlign()) : 0);
    b.U32(maxAudio);
    b.U32(0xFFFFFFFFu);
    b.U32(BlockAlign());
    b.Zeros(8);
    b.End(strh);
    const size_t strf = b.Begin("strf");
    b.U16(1);
    b.U16(audio.channels);
    b.U32(audio.sampleRate);
    b.U32(static_cast<uint32_t>(AverageBytesPerSecond(audio)));
    b.U16(static_cast<uint16_t>(BlockAlign()));
    b.U16(audio.bitsPerSample);
    b.U16(0);
    b.End(strf);
    SuperIndex(b, AudioChunkId(), superAudio);
    b.End(strl);
}

// A stream's "indx" super index, or while the file is still AVI 1.0, room of the same size for it.
void AVIWriter::State::SuperIndex(RiffBytes& b, const char* chunkId,
                                  const std::vector<SuperEntry>& entries) const {
    if (!ReservesOpenDml()) return;
    if (!extended) {
        b.Junk(kSuperIndexBytes);
        return;
    }
    const size_t indx = b.Begin("indx");
    b.U16(4);
    b.U8(0);
    b.U8(0);
    b.U32(static_cast<uint32_t>(entries.size()));
    b.FourCC(chunkId);
    b.Zeros(12);
    for (uint32_t i = 0; i < kSuperIndexCapacity; ++i) {
        if (i < entries.size()) {
            b.U64(entries[i].offset);
            b.U32(entries[i].size);
            b.U32(entries[i].duration);
        } else {
            b.Zeros(16);
        }
    }
    b.End(indx);
}

// "odml" with the total frame count in "dmlh", or while the file is still AVI 1.0, room for it.
void AVIWriter::State::OpenDmlHeader(RiffBytes& b) const {
    if (!ReservesOpenDml()) return;
    if (!extended) {
        b.Junk(kOdmlListBytes);
        return;
    }
    const size_t odml = b.Begin("LIST", "odml");
    const size_t dmlh = b.Begin("dmlh");
    b.U32(videoFrames);
    b.Zeros(244);
    b.End(dmlh);
    b.End(odml);
}

void AVIWriter::State::BeginForm() {
    riffPos = pos;
    RiffBytes b;
    b.FourCC("RIFF");
    b.U32(0);
    b.FourCC(firstForm ? "AVI " : "AVIX");
    if (firstForm) {
        Headers(b);
        headerBytes = b.Size() - 12;
    }
    moviPos = riffPos + b.Size();
    b.FourCC("LIST");
    b.U32(0);
    b.FourCC("movi");
    Append(b);
    formVideo.clear();
    formAudio.clear();
}

// Bytes the current form still needs after its data: standard index chunks and the legacy index.
uint64_t AVIWriter::State::FormIndexReserve() const {
    uint64_t bytes = 0;
    if (ReservesOpenDml()) bytes += 2 * 32 + 8 * uint64_t(formVideo.size() + formAudio.size() + 2);
    if (firstForm) bytes += 8 + 16 * uint64_t(legacy.size() + 2);
    return bytes;
}

// Closes the movie list and the RIFF form; `more` when another form follows.
void AVIWriter::State::EndForm(bool more) {
    // An automatic file that never left its first form stays AVI 1.0 and needs no standard indexes.
    if (mode == AVIOpenDml::kAlways || (mode == AVIOpenDml::kAutomatic && (more || !firstForm))) {
        extended = true;
        auto standardIndex = [&](const char* id, const char* chunkId, const std::vector<ChunkRef>& refs,
                                 std::vector<SuperEntry>& super, bool isVideo) {
            if (refs.empty()) return;
            const uint64_t at = pos;
            RiffBytes b;
            const size_t chunk = b.Begin(id);
            b.U16(2);
            b.U8(0);
            b.U8(1);
            b.U32(static_cast<uint32_t>(refs.size()));
            b.FourCC(chunkId);
            b.U64(moviPos);
            b.U32(0);
            uint64_t duration = 0;
            for (const ChunkRef& ref : refs) {
                b.U32(static_cast<uint32_t>(ref.headerPos + 8 - moviPos));
                b.U32(ref.size | (ref.key ? 0u : kNotKeyFrameBit));
                duration += isVideo ? 1 : (BlockAlign() ? ref.size / BlockAlign() : 0);
            }
            b.End(chunk);
            Append(b);
            if (super.size() < kSuperIndexCapacity) {
                super.push_back({at, static_cast<uint32_t>(b.Size()), static_cast<uint32_t>(duration)});
            } else {
                failed = true;
            }
        };
        standardIndex("ix00", "00dc", formVideo, superVideo, true);
        standardIndex(AudioIndexId(), AudioChunkId(), formAudio, superAudio, false);
    }
    PatchU32(moviPos + 4, static_cast<uint32_t>(pos - moviPos - 8));
    if (firstForm) {
        RiffBytes b;
        const size_t idx1 = b.Begin("idx1");
        for (const LegacyEntry& e : legacy) {
            b.FourCC(e.video ? "00dc" : AudioChunkId());
            b.U32(e.flags);
            b.U32(e.offset);
            b.U32(e.size);
        }
        b.End(idx1);
        Append(b);
        firstFormFrames = videoFrames;
        legacy = std::vector<LegacyEntry>();
    }
    PatchU32(riffPos + 4, static_cast<uint32_t>(pos - riffPos - 8));
    firstForm = false;
}

// One sample chunk; the header (with the previous chunk's pad byte) and the payload go as two writes.
bool AVIWriter::State::WriteChunk(const char* id, const uint8_t* data, uint32_t size, bool isVideo,
                                  bool key) {
    const uint64_t padded = size + (size & 1u);
    const uint64_t formEnd = pos + 8 + padded + FormIndexReserve() - riffPos;
    if (ReservesOpenDml()) {
        if (!(formVideo.empty() && formAudio.empty()) && formEnd > riffLimit) {
            EndForm(true);
            BeginForm();
        }
    } else if (formEnd > kMaxRiffBytes) {
        return false;  // the legacy index and the RIFF size cannot address it
    }
    const uint64_t headerPos = pos;
    uint8_t header[8];
    std::memcpy(header, id, 4);
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    Append(header, 8);
    Append(data, size);
    if (size & 1u) {
        const uint8_t pad = 0;
        Append(&pad, 1);
    }
    (isVideo ? formVideo : formAudio).push_back({headerPos, size, key});
    if (firstForm) {
        legacy.push_back(
            {isVideo, key ? kKeyFrameFlag : 0u, static_cast<uint32_t>(headerPos - (moviPos + 8)), size});
    }
    return true;
}

AVIWriter::AVIWriter() : m_state(nullptr) {}

AVIWriter::~AVIWriter() {
    if (m_state != nullptr) Close();
}

uint64_t AVIWriter::Position() const {
    return m_state != nullptr ? m_state->pos : 0;
}

HResult AVIWriter::Open(const char* path, const AVIVideoParams& video, const AVIAudioParams& audio,
                        AVIOpenDml openDml, uint64_t riffLimit) {
    if (m_state != nullptr || path == nullptr || !ParamsValid(video, audio)) return kInvalidArg;
    State* state = new (std::nothrow) State();
    if (state == nullptr) return kOutOfMemory;
    const HResult created = state->file.Create(path);
    if (Failed(created)) {
        delete state;
        return created;
    }
    m_state = state;
    const HResult started = Start(&state->file, video, audio, openDml, riffLimit);
    if (Failed(started)) {
        delete m_state;
        m_state = nullptr;
    }
    return started;
}

HResult AVIWriter::Open(IAVIByteSink* sink, const AVIVideoParams& video, const AVIAudioParams& audio,
                        AVIOpenDml openDml, uint64_t riffLimit) {
    if (m_state != nullptr || sink == nullptr || !ParamsValid(video, audio)) return kInvalidArg;
    m_state = new (std::nothrow) State();
    if (m_state == nullptr) return kOutOfMemory;
    const HResult started = Start(sink, video, audio, openDml, riffLimit);
    if (Failed(started)) {
        delete m_state;
        m_state = nullptr;
    }
    return started;
}

HResult AVIWriter::Start(IAVIByteSink* sink, const AVIVideoParams& video, const AVIAudioParams& audio,
                         AVIOpenDml openDml, uint64_t riffLimit) {
    State& s = *m_state;
    s.sink = sink;
    s.video = video;
    s.audio = audio;
    s.mode = openDml;
    s.riffLimit = riffLimit < kMaxRiffBytes ? riffLimit : kMaxRiffBytes;
    try {
        s.BeginForm();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return s.failed ? kFail : kOk;
}

HResult AVIWriter::WriteVideo(const uint8_t* sample, uint32_t size, bool keyFrame) {
    if (m_state == nullptr || !m_state->HasVideo() || (sample == nullptr && size != 0)) return kInvalidArg;
    State& s = *m_state;
    if (s.failed) return kFail;
    try {
        if (!s.WriteChunk("00dc", sample, size, true, keyFrame)) return kFail;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    ++s.videoFrames;
    if (size > s.maxVideo) s.maxVideo = size;
    return s.failed ? kFail : kOk;
}

HResult AVIWriter::WriteAudio(const uint8_t* data, uint32_t size) {
    if (m_state == nullptr || !m_state->HasAudio() || (data == nullptr && size != 0)) return kInvalidArg;
    State& s = *m_state;
    if (s.failed) return kFail;
    try {
        if (!s.WriteChunk(s.AudioChunkId(), data, size, false, true)) return kFail;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    s.audioBytes += size;
    if (size > s.maxAudio) s.maxAudio = size;
    return s.failed ? kFail : kOk;
}

HResult AVIWriter::Close() {
    if (m_state == nullptr) return kInvalidArg;
    State& s = *m_state;
    HResult result = kOk;
    try {
        s.EndForm(false);
        s.Flush();
        // Rewrite the header list now that counts and indexes are known; its size does not change.
        RiffBytes headers;
        s.Headers(headers);
        if (headers.Size() != s.headerBytes || !s.sink->WriteAt(12, headers.Data().data(), headers.Size())) {
            s.failed = true;
        }
    } catch (const std::bad_alloc&) {
        result = kOutOfMemory;
    }
    s.file.Close();
    if (result == kOk && s.failed) result = kFail;
    delete m_state;
    m_state = nullptr;
    return result;
}

}  // namespace krvx
