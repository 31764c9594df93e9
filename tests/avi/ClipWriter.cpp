#include "ClipWriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace krvx {
namespace test {

void RiffWriter::Bytes(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (m_file && size) std::fwrite(p, 1, size, m_file);
    if (!m_file) m_memory.insert(m_memory.end(), p, p + size);
    m_position += size;
}

void RiffWriter::Skip(uint64_t size) {
    if (m_file) std::fseek(m_file, static_cast<long>(size), SEEK_CUR);
    if (!m_file) m_memory.resize(m_memory.size() + size, 0);
    m_position += size;
}

void RiffWriter::PatchU32(uint64_t at, uint32_t v) {
    if (!m_file) return (void)std::memcpy(&m_memory[at], &v, 4);
    std::fseek(m_file, static_cast<long>(at), SEEK_SET);
    std::fwrite(&v, 1, 4, m_file);
    std::fseek(m_file, static_cast<long>(m_position), SEEK_SET);
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
    if (size & 1) Bytes("", 1);
}

void RiffWriter::Chunk(const char* id, const void* data, size_t size) {
    uint64_t at = BeginChunk(id);
    Bytes(data, size);
    End(at);
}

uint32_t FrameSize(const ClipOptions& options, uint32_t frame) {
    return options.frameSize ? options.frameSize : options.frameBase + (frame * 37u) % 301u;
}

constexpr uint32_t kSparseEdge = 64;

std::vector<uint8_t> FrameBytes(const ClipOptions& options, uint32_t frame) {
    std::vector<uint8_t> bytes(FrameSize(options, frame), 0);
    for (uint32_t i = 0; i < bytes.size(); ++i) {
        bool hole = options.sparseFrames && i >= kSparseEdge && i + kSparseEdge < bytes.size();
        if (!hole) bytes[i] = static_cast<uint8_t>(frame * 131u + i * 7u + (i >> 8) + 1u);
    }
    return bytes;
}

uint8_t AudioByte(uint64_t index) {
    return static_cast<uint8_t>(index * 13u + (index >> 9) + 5u);
}

bool IsKeyFrame(const ClipOptions& options, uint32_t frame) {
    return options.keyInterval <= 1 || frame % options.keyInterval == 0;
}

namespace {

void WriteFrame(RiffWriter& w, const ClipOptions& options, uint32_t frame) {
    std::vector<uint8_t> bytes = FrameBytes(options, frame);
    if (!options.sparseFrames || bytes.size() <= 2 * kSparseEdge) return w.Bytes(bytes.data(), bytes.size());
    w.Bytes(bytes.data(), kSparseEdge);
    w.Skip(bytes.size() - 2 * kSparseEdge);
    w.Bytes(bytes.data() + bytes.size() - kSparseEdge, kSparseEdge);
}

// An "indx" with room for one entry per standard index; returns where its entries begin.
uint64_t WriteSuperIndex(RiffWriter& w, const char* streamId, size_t chunks) {
    uint64_t at = w.BeginChunk("indx");
    w.U32s({4, static_cast<uint32_t>(chunks)});  // 4 longs per entry, index of indexes
    w.Id(streamId);
    w.U32s({0, 0, 0});
    uint64_t entries = w.Tell();
    w.Skip(16ull * chunks);
    w.End(at);
    return entries;
}

// Standard index chunks, each entry relative to its chunk's first data offset; fills the super index.
void WriteStandardIndexes(RiffWriter& w, uint64_t superEntries, const std::vector<uint32_t>& counts,
                          const char* ixId, const char* streamId, const std::vector<uint64_t>& offsets,
                          const std::vector<uint32_t>& sizes, const std::vector<bool>& keys) {
    uint32_t first = 0;
    for (size_t c = 0; c < counts.size(); first += counts[c], ++c) {
        uint64_t at = w.BeginChunk(ixId);
        w.U32s({2 | (1u << 24), counts[c]});  // 2 longs per entry, index of chunks
        w.Id(streamId);
        w.U64(offsets[first]);
        w.U32(0);
        for (uint32_t i = first; i < first + counts[c]; ++i) {
            w.U32s({static_cast<uint32_t>(offsets[i] - offsets[first]),
                    sizes[i] | (keys[i] ? 0u : 0x80000000u)});
        }
        w.End(at);
        uint64_t entry = superEntries + 16 * c;
        for (uint32_t v : {uint32_t(at), uint32_t(at >> 32), uint32_t(w.Tell() - at), counts[c]}) {
            w.PatchU32(entry, v);
            entry += 4;
        }
    }
}

}  // namespace

void WriteClip(RiffWriter& w, const ClipOptions& o, ClipLayout* layout) {
    ClipLayout local;
    ClipLayout& l = layout ? *layout : local;
    l = ClipLayout{};
    const uint32_t audioBytes = o.samplesPerChunk * 4;
    std::vector<uint32_t> counts = o.stdIndexCounts;
    for (uint32_t first = 0; o.stdIndexCounts.empty() && o.framesPerStdIndex && first < o.frames;) {
        counts.push_back(std::min(o.framesPerStdIndex, o.frames - first));
        first += counts.back();
    }

    uint64_t riff = w.BeginList("RIFF", "AVI ");
    uint64_t hdrl = w.BeginList("LIST", "hdrl");
    uint64_t at = w.BeginChunk("avih");
    w.U32s({40000, 0, 0, 0x10, o.frames, 0, o.audio ? 2u : 1u, 0, 64, 48, 0, 0, 0, 0});
    w.End(at);
    uint64_t strl = w.BeginList("LIST", "strl");
    at = w.BeginChunk("strh");
    w.Id("vids");
    w.Bytes(o.handler, 4);
    w.U32s({0, 0, 0, 1, 25, 0, o.frames, 0, 0xFFFFFFFFu, 0, 0, 64 | (48u << 16)});
    w.End(at);
    at = w.BeginChunk("strf");
    w.U32s({40, 64, 48, 1 | (24u << 16)});
    w.Bytes(o.handler, 4);
    w.U32s({64 * 48 * 3, 0, 0, 0, 0});
    w.End(at);
    uint64_t videoSuper = counts.empty() ? 0 : WriteSuperIndex(w, "00dc", counts.size());
    w.End(strl);
    uint64_t audioSuper = 0;
    if (o.audio) {
        strl = w.BeginList("LIST", "strl");
        at = w.BeginChunk("strh");
        w.Id("auds");
        w.U32s({0, 0, 0, 0, 4, 48000 * 4, o.audioStart, o.frames * o.samplesPerChunk, audioBytes, 0xFFFFFFFFu,
                4, 0, 0});
        w.End(at);
        at = w.BeginChunk("strf");
        w.U32s({1 | (2u << 16), 48000, 48000 * 4, 4 | (16u << 16)});
        w.U16(0);
        w.End(at);
        audioSuper = counts.empty() ? 0 : WriteSuperIndex(w, "01wb", counts.size());
        w.End(strl);
    }
    if (o.extendedHeader) {
        uint64_t odml = w.BeginList("LIST", "odml");
        at = w.BeginChunk("dmlh");
        w.U32(o.frames);
        w.Skip(244);
        w.End(at);
        w.End(odml);
    }
    w.End(hdrl);
    if (o.junkBeforeMovi) w.Chunk("JUNK", std::vector<uint8_t>(100).data(), 100);

    l.headerEnd = w.Tell();
    uint64_t movi = w.BeginList("LIST", "movi");
    uint64_t audioIndex = 0;
    std::vector<uint8_t> audio(audioBytes);
    std::vector<uint32_t> audioSizes;
    for (uint32_t f = 0; f < o.frames; ++f) {
        at = w.BeginChunk("00dc");
        l.frameOffset.push_back(w.Tell());
        l.frameSize.push_back(FrameSize(o, f));
        WriteFrame(w, o, f);
        w.End(at);
        if (!o.audio) continue;
        at = w.BeginChunk("01wb");
        l.audioOffset.push_back(w.Tell());
        audioSizes.push_back(audioBytes);
        for (uint32_t i = 0; i < audioBytes; ++i) audio[i] = AudioByte(audioIndex++);
        if (o.sparseAudio) w.Skip(audioBytes);
        if (!o.sparseAudio) w.Bytes(audio.data(), audio.size());
        w.End(at);
    }
    if (!counts.empty()) {
        std::vector<bool> keys(o.frames);
        for (uint32_t f = 0; f < o.frames; ++f) keys[f] = IsKeyFrame(o, f);
        WriteStandardIndexes(w, videoSuper, counts, "ix00", "00dc", l.frameOffset, l.frameSize, keys);
        if (o.audio) {
            keys.assign(o.frames, true);
            WriteStandardIndexes(w, audioSuper, counts, "ix01", "01wb", l.audioOffset, audioSizes, keys);
        }
    }
    w.End(movi);

    at = w.BeginChunk("idx1");
    for (uint32_t f = 0; f < o.frames; ++f) {
        // Offsets point at the chunk header and count from the "movi" list type.
        w.Id("00dc");
        w.U32s({IsKeyFrame(o, f) ? 0x10u : 0u, static_cast<uint32_t>(l.frameOffset[f] - 16 - movi),
                l.frameSize[f]});
        if (!o.audio) continue;
        w.Id("01wb");
        w.U32s({0x10, static_cast<uint32_t>(l.audioOffset[f] - 16 - movi), audioBytes});
    }
    w.End(at);
    w.End(riff);
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
    bool ok = std::ferror(file) == 0;
    return std::fclose(file) == 0 && ok;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (std::error_code error; m_path.empty();) {
        auto candidate = base / ("krvx-avi-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate, error)) m_path = candidate.string();
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
