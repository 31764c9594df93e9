#include "ClipWriter.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>

namespace krvx {
namespace test {

void RiffWriter::U16(uint16_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    Bytes(b, 2);
}

void RiffWriter::U32(uint32_t v) {
    uint8_t b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    Bytes(b, 4);
}

void RiffWriter::U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
}

void RiffWriter::Bytes(const void* data, size_t size) {
    if (m_file) {
        std::fwrite(data, 1, size, m_file);
    } else {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        m_memory.insert(m_memory.end(), p, p + size);
    }
    m_position += size;
}

void RiffWriter::Skip(uint64_t size) {
    if (m_file) {
        std::fseek(m_file, static_cast<long>(size), SEEK_CUR);
    } else {
        m_memory.resize(m_memory.size() + size, 0);
    }
    m_position += size;
}

void RiffWriter::PatchU32(uint64_t at, uint32_t v) {
    uint8_t b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    if (m_file) {
        std::fseek(m_file, static_cast<long>(at), SEEK_SET);
        std::fwrite(b, 1, 4, m_file);
        std::fseek(m_file, static_cast<long>(m_position), SEEK_SET);
    } else {
        std::memcpy(&m_memory[at], b, 4);
    }
}

uint64_t RiffWriter::BeginChunk(const char* id) {
    uint64_t at = m_position;
    Id(id);
    U32(0);
    return at;
}

uint64_t RiffWriter::BeginList(const char* id, const char* type) {
    uint64_t at = BeginChunk(id);
    Id(type);
    return at;
}

void RiffWriter::End(uint64_t at) {
    uint64_t size = m_position - at - 8;
    PatchU32(at + 4, static_cast<uint32_t>(size));
    if (size & 1) U8(0);
}

void RiffWriter::Chunk(const char* id, const void* data, size_t size) {
    uint64_t at = BeginChunk(id);
    Bytes(data, size);
    End(at);
}

uint32_t FrameSize(const ClipOptions& options, uint32_t frame) {
    if (options.frameSize) return options.frameSize;
    return options.frameBase + (frame * 37u) % 301u;
}

static uint8_t FrameByte(uint32_t frame, uint32_t index) {
    return static_cast<uint8_t>(frame * 131u + index * 7u + (index >> 8) + 1u);
}

constexpr uint32_t kSparseEdge = 64;

std::vector<uint8_t> FrameBytes(const ClipOptions& options, uint32_t frame) {
    uint32_t size = FrameSize(options, frame);
    std::vector<uint8_t> bytes(size, 0);
    for (uint32_t i = 0; i < size; ++i) {
        if (options.sparseFrames && i >= kSparseEdge && i + kSparseEdge < size) continue;
        bytes[i] = FrameByte(frame, i);
    }
    return bytes;
}

uint8_t AudioByte(uint64_t index) { return static_cast<uint8_t>(index * 13u + (index >> 9) + 5u); }

bool IsKeyFrame(const ClipOptions& options, uint32_t frame) {
    return options.keyInterval <= 1 || frame % options.keyInterval == 0;
}

namespace {

void WriteFrame(RiffWriter& w, const ClipOptions& options, uint32_t frame) {
    uint32_t size = FrameSize(options, frame);
    if (!options.sparseFrames || size <= 2 * kSparseEdge) {
        std::vector<uint8_t> bytes = FrameBytes(options, frame);
        w.Bytes(bytes.data(), bytes.size());
        return;
    }
    uint8_t edge[kSparseEdge];
    for (uint32_t i = 0; i < kSparseEdge; ++i) edge[i] = FrameByte(frame, i);
    w.Bytes(edge, kSparseEdge);
    w.Skip(size - 2 * kSparseEdge);
    for (uint32_t i = 0; i < kSparseEdge; ++i) edge[i] = FrameByte(frame, size - kSparseEdge + i);
    w.Bytes(edge, kSparseEdge);
}

struct IndexPlan {
    uint32_t chunks = 0;
    uint64_t entriesAt = 0;  // first super index entry in the file
    std::vector<uint32_t> counts;
};

std::vector<uint32_t> StdIndexCounts(const ClipOptions& o) {
    if (!o.stdIndexCounts.empty()) return o.stdIndexCounts;
    std::vector<uint32_t> counts;
    for (uint32_t first = 0; first < o.frames; first += o.framesPerStdIndex) {
        counts.push_back(std::min(o.framesPerStdIndex, o.frames - first));
    }
    return counts;
}

IndexPlan WriteSuperIndex(RiffWriter& w, const char* streamId, const std::vector<uint32_t>& counts) {
    IndexPlan plan;
    plan.counts = counts;
    plan.chunks = static_cast<uint32_t>(counts.size());
    uint64_t at = w.BeginChunk("indx");
    w.U16(4);
    w.U8(0);
    w.U8(0);
    w.U32(plan.chunks);
    w.Id(streamId);
    w.U32(0);
    w.U32(0);
    w.U32(0);
    plan.entriesAt = w.Tell();
    w.Skip(16ull * plan.chunks);
    w.End(at);
    return plan;
}

// Standard index chunks for `offsets`, each entry relative to its chunk's first data offset.
void WriteStandardIndexes(RiffWriter& w, const IndexPlan& plan, const char* ixId, const char* streamId,
                          const std::vector<uint64_t>& offsets, const std::vector<uint32_t>& sizes,
                          const std::vector<bool>& keys) {
    uint32_t first = 0;
    for (uint32_t c = 0; c < plan.chunks; first += plan.counts[c], ++c) {
        uint32_t count = plan.counts[c];
        uint64_t base = offsets[first];
        uint64_t at = w.BeginChunk(ixId);
        w.U16(2);
        w.U8(0);
        w.U8(1);
        w.U32(count);
        w.Id(streamId);
        w.U64(base);
        w.U32(0);
        for (uint32_t i = first; i < first + count; ++i) {
            w.U32(static_cast<uint32_t>(offsets[i] - base));
            w.U32(sizes[i] | (keys[i] ? 0u : 0x80000000u));
        }
        w.End(at);
        uint64_t entry = plan.entriesAt + 16ull * c;
        w.PatchU32(entry, static_cast<uint32_t>(at));
        w.PatchU32(entry + 4, static_cast<uint32_t>(at >> 32));
        w.PatchU32(entry + 8, static_cast<uint32_t>(w.Tell() - at));
        w.PatchU32(entry + 12, count);
    }
}

}  // namespace

void WriteClip(RiffWriter& w, const ClipOptions& o, ClipLayout* layout) {
    ClipLayout local;
    ClipLayout& l = layout ? *layout : local;
    l = ClipLayout{};
    const uint32_t audioChunkBytes = o.samplesPerChunk * 4;
    const uint32_t streams = o.audio ? 2 : 1;

    uint64_t riff = w.BeginList("RIFF", "AVI ");
    uint64_t hdrl = w.BeginList("LIST", "hdrl");
    uint64_t avih = w.BeginChunk("avih");
    w.U32(1000000u * o.scale / o.rate);
    w.U32(0);
    w.U32(0);
    w.U32(0x10);  // has index
    w.U32(o.frames);
    w.U32(0);
    w.U32(streams);
    w.U32(0);
    w.U32(o.width);
    w.U32(o.height);
    for (int i = 0; i < 4; ++i) w.U32(0);
    w.End(avih);

    uint64_t strl = w.BeginList("LIST", "strl");
    uint64_t strh = w.BeginChunk("strh");
    w.Id("vids");
    w.Bytes(o.handler, 4);
    w.U32(0);
    w.U16(0);
    w.U16(0);
    w.U32(0);
    w.U32(o.scale);
    w.U32(o.rate);
    w.U32(0);
    w.U32(o.frames);
    w.U32(0);
    w.U32(0xFFFFFFFFu);
    w.U32(0);
    w.U16(0);
    w.U16(0);
    w.U16(static_cast<uint16_t>(o.width));
    w.U16(static_cast<uint16_t>(o.height));
    w.End(strh);
    uint64_t strf = w.BeginChunk("strf");
    w.U32(40);
    w.U32(o.width);
    w.U32(o.height);
    w.U16(1);
    w.U16(24);
    w.Bytes(o.handler, 4);
    w.U32(o.width * o.height * 3);
    for (int i = 0; i < 4; ++i) w.U32(0);
    w.End(strf);
    const bool openDml = o.framesPerStdIndex || !o.stdIndexCounts.empty();
    IndexPlan videoPlan;
    if (openDml) videoPlan = WriteSuperIndex(w, "00dc", StdIndexCounts(o));
    w.End(strl);

    IndexPlan audioPlan;
    if (o.audio) {
        strl = w.BeginList("LIST", "strl");
        strh = w.BeginChunk("strh");
        w.Id("auds");
        w.U32(0);
        w.U32(0);
        w.U16(0);
        w.U16(0);
        w.U32(0);
        w.U32(4);           // scale: bytes per sample frame
        w.U32(48000 * 4);  // rate
        w.U32(o.audioStart);
        w.U32(o.frames * o.samplesPerChunk);
        w.U32(audioChunkBytes);
        w.U32(0xFFFFFFFFu);
        w.U32(4);
        for (int i = 0; i < 4; ++i) w.U16(0);
        w.End(strh);
        strf = w.BeginChunk("strf");
        w.U16(1);
        w.U16(2);
        w.U32(48000);
        w.U32(48000 * 4);
        w.U16(4);
        w.U16(16);
        w.U16(0);
        w.End(strf);
        if (openDml) audioPlan = WriteSuperIndex(w, "01wb", StdIndexCounts(o));
        w.End(strl);
    }
    if (o.extendedHeader) {
        uint64_t odml = w.BeginList("LIST", "odml");
        uint64_t dmlh = w.BeginChunk("dmlh");
        w.U32(o.extendedFrames ? o.extendedFrames : o.frames);
        w.Skip(244);
        w.End(dmlh);
        w.End(odml);
    }
    w.End(hdrl);
    if (o.junkBeforeMovi) {
        uint64_t junk = w.BeginChunk("JUNK");
        w.Skip(100);
        w.End(junk);
    }

    l.headerEnd = w.Tell();
    uint64_t movi = w.BeginList("LIST", "movi");
    l.moviPosition = movi;
    uint64_t audioIndex = 0;
    std::vector<uint8_t> audio(audioChunkBytes);
    for (uint32_t f = 0; f < o.frames; ++f) {
        uint64_t at = w.BeginChunk("00dc");
        l.frameOffset.push_back(w.Tell());
        l.frameSize.push_back(FrameSize(o, f));
        WriteFrame(w, o, f);
        w.End(at);
        if (o.audio) {
            at = w.BeginChunk("01wb");
            l.audioOffset.push_back(w.Tell());
            l.audioSize.push_back(audioChunkBytes);
            if (o.sparseAudio) {
                w.Skip(audioChunkBytes);
            } else {
                for (uint32_t i = 0; i < audioChunkBytes; ++i) audio[i] = AudioByte(audioIndex++);
                w.Bytes(audio.data(), audio.size());
            }
            w.End(at);
        }
    }
    if (openDml) {
        std::vector<bool> keys(o.frames);
        for (uint32_t f = 0; f < o.frames; ++f) keys[f] = IsKeyFrame(o, f);
        WriteStandardIndexes(w, videoPlan, "ix00", "00dc", l.frameOffset, l.frameSize, keys);
        if (o.audio) {
            std::vector<bool> all(o.frames, true);
            WriteStandardIndexes(w, audioPlan, "ix01", "01wb", l.audioOffset, l.audioSize, all);
        }
    }
    w.End(movi);

    if (o.legacyIndex) {
        uint64_t idx1 = w.BeginChunk("idx1");
        const uint64_t moviType = movi + 8;
        for (uint32_t f = 0; f < o.frames; ++f) {
            w.Id("00dc");
            w.U32(IsKeyFrame(o, f) ? 0x10 : 0);
            w.U32(static_cast<uint32_t>(l.frameOffset[f] - 8 - moviType));
            w.U32(l.frameSize[f]);
            if (o.audio) {
                w.Id("01wb");
                w.U32(0x10);
                w.U32(static_cast<uint32_t>(l.audioOffset[f] - 8 - moviType));
                w.U32(l.audioSize[f]);
            }
        }
        w.End(idx1);
    }
    w.End(riff);
    l.fileSize = w.Tell();
}

std::vector<uint8_t> BuildClip(const ClipOptions& options, ClipLayout* layout) {
    RiffWriter writer;
    WriteClip(writer, options, layout);
    return std::move(writer.Memory());
}

bool WriteClipFile(const std::string& path, const ClipOptions& options, ClipLayout* layout) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    RiffWriter writer(file);
    WriteClip(writer, options, layout);
    bool ok = std::fflush(file) == 0;
    return std::fclose(file) == 0 && ok;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>* bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes->clear();
    uint8_t block[65536];
    size_t count;
    while ((count = std::fread(block, 1, sizeof(block), file)) > 0) bytes->insert(bytes->end(), block, block + count);
    std::fclose(file);
    return true;
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        std::filesystem::path candidate =
            base / ("krvx-avi-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            m_path = candidate.string();
            break;
        }
        // Without a folder of its own a test could only write into, and then clean, a shared one.
        if (error) std::abort();
    }
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

}  // namespace test
}  // namespace krvx
