// AVI writer: one RIFF "AVI " form with the legacy index, and with OpenDML the two-level index and
// "AVIX" continuation forms.
#include <fstream>
#include <new>
#include <vector>

#include "codec/encoder/KRVXEncoder.h"

namespace krvx {
namespace encode {

namespace {

constexpr uint32_t kSuperIndexCapacity = 256;
constexpr uint32_t kKeyFrameFlag = 0x10;
constexpr uint32_t kAVIHasIndex = 0x10;
constexpr uint32_t kAVIIsInterleaved = 0x100;
constexpr uint32_t kNotKeyFrameBit = 0x80000000u;

class Bytes {
public:
    void U8(uint8_t v) { m_data.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void FourCC(const char* s) {
        for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(s[i]));
    }
    void Zeros(size_t n) { m_data.insert(m_data.end(), n, 0); }
    // Starts a chunk (or a list when listType is given); End patches its size.
    size_t Begin(const char* id, const char* listType = nullptr) {
        FourCC(id);
        const size_t at = m_data.size();
        U32(0);
        if (listType) FourCC(listType);
        return at;
    }
    void End(size_t at) {
        const uint32_t size = static_cast<uint32_t>(m_data.size() - at - 4);
        for (int i = 0; i < 4; ++i) m_data[at + i] = static_cast<uint8_t>(size >> (8 * i));
        if (size & 1) U8(0);
    }
    const std::vector<uint8_t>& Data() const { return m_data; }

private:
    std::vector<uint8_t> m_data;
};

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

}  // namespace

struct AVIWriter::State {
    std::ofstream file;
    AVIVideoParams video;
    AVIAudioParams audio;
    bool openDml = false;
    uint64_t riffLimit = 0;
    uint64_t pos = 0;
    uint64_t riffPos = 0;
    uint64_t moviPos = 0;
    bool firstForm = true;
    bool failed = false;
    std::vector<LegacyEntry> legacy;
    std::vector<ChunkRef> formVideo, formAudio;
    std::vector<SuperEntry> superVideo, superAudio;
    uint32_t videoFrames = 0;
    uint32_t firstFormFrames = 0;
    uint64_t audioBytes = 0;
    uint32_t maxVideo = 0, maxAudio = 0;

    bool HasAudio() const { return audio.sampleRate != 0; }
    uint32_t BlockAlign() const { return uint32_t(audio.channels) * ((audio.bitsPerSample + 7) / 8); }

    void Write(const uint8_t* data, size_t size) {
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        pos += size;
        if (!file) failed = true;
    }
    void Write(const Bytes& bytes) { Write(bytes.Data().data(), bytes.Data().size()); }
    void PatchU32(uint64_t at, uint32_t value) {
        uint8_t b[4];
        for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
        file.seekp(static_cast<std::streamoff>(at));
        file.write(reinterpret_cast<const char*>(b), 4);
        file.seekp(static_cast<std::streamoff>(pos));
        if (!file) failed = true;
    }

    Bytes Headers() const;
    void BeginForm();
    void EndForm();
    uint64_t FormIndexReserve() const;
    void WriteChunk(const char* id, const uint8_t* data, uint32_t size, bool video, bool key);
};

Bytes AVIWriter::State::Headers() const {
    Bytes b;
    const size_t hdrl = b.Begin("LIST", "hdrl");
    const size_t avih = b.Begin("avih");
    const uint64_t usPerFrame =
        video.rate ? (uint64_t(1000000) * video.scale + video.rate / 2) / video.rate : 0;
    b.U32(static_cast<uint32_t>(usPerFrame));
    const uint64_t seconds =
        video.rate ? (uint64_t(videoFrames) * video.scale + video.rate - 1) / video.rate : 0;
    const uint64_t totalBytes = pos;
    b.U32(static_cast<uint32_t>(seconds ? totalBytes / seconds : totalBytes));
    b.U32(0);
    b.U32(kAVIHasIndex | kAVIIsInterleaved);
    b.U32(openDml ? firstFormFrames : videoFrames);
    b.U32(0);
    b.U32(HasAudio() ? 2 : 1);
    b.U32(maxVideo > maxAudio ? maxVideo + 8 : maxAudio + 8);
    b.U32(video.width);
    b.U32(video.height);
    b.Zeros(16);
    b.End(avih);

    auto superIndex = [&](const char* chunkId, const std::vector<SuperEntry>& entries) {
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
    };

    // Video stream.
    size_t strl = b.Begin("LIST", "strl");
    size_t strh = b.Begin("strh");
    b.FourCC("vids");
    b.FourCC("KRVX");
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
    size_t strf = b.Begin("strf");
    const uint16_t bitCount = video.format == kFormatRgba ? 32 : 24;
    b.U32(40);
    b.U32(video.width);
    b.U32(video.height);
    b.U16(1);
    b.U16(bitCount);
    b.FourCC("KRVX");
    b.U32(video.width * video.height * (bitCount / 8));
    b.Zeros(16);
    b.End(strf);
    if (openDml) superIndex("00dc", superVideo);
    b.End(strl);

    if (HasAudio()) {
        strl = b.Begin("LIST", "strl");
        strh = b.Begin("strh");
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
        strf = b.Begin("strf");
        b.U16(1);
        b.U16(audio.channels);
        b.U32(audio.sampleRate);
        b.U32(audio.sampleRate * BlockAlign());
        b.U16(static_cast<uint16_t>(BlockAlign()));
        b.U16(audio.bitsPerSample);
        b.U16(0);
        b.End(strf);
        if (openDml) superIndex("01wb", superAudio);
        b.End(strl);
    }

    if (openDml) {
        const size_t odml = b.Begin("LIST", "odml");
        const size_t dmlh = b.Begin("dmlh");
        b.U32(videoFrames);
        b.Zeros(244);
        b.End(dmlh);
        b.End(odml);
    }
    b.End(hdrl);
    return b;
}

void AVIWriter::State::BeginForm() {
    riffPos = pos;
    Bytes b;
    b.FourCC("RIFF");
    b.U32(0);
    b.FourCC(firstForm ? "AVI " : "AVIX");
    Write(b);
    if (firstForm) Write(Headers());
    moviPos = pos;
    Bytes movi;
    movi.FourCC("LIST");
    movi.U32(0);
    movi.FourCC("movi");
    Write(movi);
    formVideo.clear();
    formAudio.clear();
}

uint64_t AVIWriter::State::FormIndexReserve() const {
    uint64_t bytes = 0;
    if (openDml) bytes += 2 * 32 + 8 * uint64_t(formVideo.size() + formAudio.size() + 2);
    if (firstForm) bytes += 8 + 16 * uint64_t(legacy.size() + 2);
    return bytes;
}

void AVIWriter::State::EndForm() {
    if (openDml) {
        auto standardIndex = [&](const char* id, const char* chunkId, const std::vector<ChunkRef>& refs,
                                 std::vector<SuperEntry>& super, bool video) {
            if (refs.empty()) return;
            const uint64_t at = pos;
            Bytes b;
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
                duration += video ? 1 : (BlockAlign() ? ref.size / BlockAlign() : 0);
            }
            b.End(chunk);
            Write(b);
            if (super.size() < kSuperIndexCapacity) {
                super.push_back(
                    {at, static_cast<uint32_t>(b.Data().size()), static_cast<uint32_t>(duration)});
            } else {
                failed = true;
            }
        };
        standardIndex("ix00", "00dc", formVideo, superVideo, true);
        standardIndex("ix01", "01wb", formAudio, superAudio, false);
    }
    PatchU32(moviPos + 4, static_cast<uint32_t>(pos - moviPos - 8));
    if (firstForm) {
        Bytes b;
        const size_t idx1 = b.Begin("idx1");
        for (const LegacyEntry& e : legacy) {
            b.FourCC(e.video ? "00dc" : "01wb");
            b.U32(e.flags);
            b.U32(e.offset);
            b.U32(e.size);
        }
        b.End(idx1);
        Write(b);
        firstFormFrames = videoFrames;
    }
    PatchU32(riffPos + 4, static_cast<uint32_t>(pos - riffPos - 8));
    firstForm = false;
}

void AVIWriter::State::WriteChunk(const char* id, const uint8_t* data, uint32_t size, bool video, bool key) {
    const uint64_t padded = size + (size & 1u);
    if (openDml && !(formVideo.empty() && formAudio.empty()) &&
        pos + 8 + padded + FormIndexReserve() - riffPos > riffLimit) {
        EndForm();
        BeginForm();
    }
    const uint64_t headerPos = pos;
    Bytes b;
    b.FourCC(id);
    b.U32(size);
    Write(b);
    Write(data, size);
    if (size & 1u) {
        const uint8_t pad = 0;
        Write(&pad, 1);
    }
    (video ? formVideo : formAudio).push_back({headerPos, size, key});
    if (firstForm) {
        legacy.push_back(
            {video, key ? kKeyFrameFlag : 0u, static_cast<uint32_t>(headerPos - (moviPos + 8)), size});
    }
}

AVIWriter::AVIWriter() : m_state(nullptr) {}

AVIWriter::~AVIWriter() {
    if (m_state != nullptr) Close();
}

int AVIWriter::Open(const char* path, const AVIVideoParams& video, const AVIAudioParams& audio, bool openDml,
                    uint64_t riffLimit) {
    if (m_state != nullptr || path == nullptr || video.width == 0 || video.height == 0 || video.rate == 0 ||
        video.scale == 0) {
        return kEncodeBadArgument;
    }
    if (audio.sampleRate != 0 && (audio.channels == 0 || audio.bitsPerSample == 0)) return kEncodeBadArgument;
    m_state = new (std::nothrow) State();
    if (m_state == nullptr) return kEncodeOutOfMemory;
    m_state->video = video;
    m_state->audio = audio;
    m_state->openDml = openDml;
    m_state->riffLimit = riffLimit;
    m_state->file.open(path, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!m_state->file) {
        delete m_state;
        m_state = nullptr;
        return kEncodeIoError;
    }
    m_state->BeginForm();
    return m_state->failed ? kEncodeIoError : kEncodeOkay;
}

int AVIWriter::WriteVideo(const uint8_t* sample, uint32_t size, bool keyFrame) {
    if (m_state == nullptr) return kEncodeBadArgument;
    try {
        m_state->WriteChunk("00dc", sample, size, true, keyFrame);
    } catch (const std::bad_alloc&) {
        return kEncodeOutOfMemory;
    }
    ++m_state->videoFrames;
    if (size > m_state->maxVideo) m_state->maxVideo = size;
    return m_state->failed ? kEncodeIoError : kEncodeOkay;
}

int AVIWriter::WriteAudio(const uint8_t* data, uint32_t size) {
    if (m_state == nullptr || !m_state->HasAudio()) return kEncodeBadArgument;
    try {
        m_state->WriteChunk("01wb", data, size, false, true);
    } catch (const std::bad_alloc&) {
        return kEncodeOutOfMemory;
    }
    m_state->audioBytes += size;
    if (size > m_state->maxAudio) m_state->maxAudio = size;
    return m_state->failed ? kEncodeIoError : kEncodeOkay;
}

int AVIWriter::Close() {
    if (m_state == nullptr) return kEncodeBadArgument;
    State& s = *m_state;
    bool ok = true;
    try {
        s.EndForm();
        // Rewrite the header list now that counts and indexes are known; its size does not change.
        const Bytes headers = s.Headers();
        s.file.seekp(12);
        s.file.write(reinterpret_cast<const char*>(headers.Data().data()),
                     static_cast<std::streamsize>(headers.Data().size()));
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    s.file.close();
    ok = ok && !s.failed && !s.file.fail();
    delete m_state;
    m_state = nullptr;
    return ok ? kEncodeOkay : kEncodeIoError;
}

}  // namespace encode
}  // namespace krvx
