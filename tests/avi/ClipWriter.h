// Writes AVI files for the reader's tests, fuzz corpus and benchmarks: well-formed clips with a legacy
// and optionally an OpenDML index, and raw RIFF building blocks for malformed ones.
#pragma once
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace krvx {
namespace test {

// Appends little-endian RIFF data to memory or to a file; chunk sizes are patched when a chunk ends.
class RiffWriter {
public:
    RiffWriter() = default;
    explicit RiffWriter(std::FILE* file) : m_file(file) {}

    void U16(uint16_t v) { Bytes(&v, 2); }
    void U32(uint32_t v) { Bytes(&v, 4); }
    void U32s(std::initializer_list<uint32_t> values) {
        for (uint32_t v : values) U32(v);
    }
    void U64(uint64_t v) { Bytes(&v, 8); }
    void Id(const char* fourcc) { Bytes(fourcc, 4); }
    void Bytes(const void* data, size_t size);
    void Skip(uint64_t size);  // zero bytes; a hole in a file
    uint64_t Tell() const { return m_position; }
    void PatchU32(uint64_t at, uint32_t v);

    uint64_t BeginChunk(const char* id);
    uint64_t BeginList(const char* id, const char* type);
    void End(uint64_t at);  // patches the size of the chunk begun at `at`, adds its pad byte
    void Chunk(const char* id, const void* data, size_t size);

    std::vector<uint8_t>& Memory() { return m_memory; }

private:
    std::FILE* m_file = nullptr;
    std::vector<uint8_t> m_memory;
    uint64_t m_position = 0;
};

struct ClipOptions {
    uint32_t frames = 12;
    const char* handler = "KRVX";
    uint32_t keyInterval = 4;   // frames 0, n, 2n... are key frames
    uint32_t frameBase = 200;   // frame i holds frameBase + (i * 37) % 301 bytes, unless frameSize is set
    uint32_t frameSize = 0;     // every frame this size
    bool sparseFrames = false;  // only 64 bytes at each end of a frame are written, the rest is a hole
    bool sparseAudio = false;   // audio chunks are holes
    bool audio = true;          // 16-bit stereo PCM at 48 kHz, one chunk after each frame
    uint32_t samplesPerChunk = 1920;
    uint32_t audioStart = 0;
    bool extendedHeader = true;            // "LIST" "odml" "dmlh"
    uint32_t framesPerStdIndex = 0;        // non-zero: OpenDML index with standard indexes this long
    std::vector<uint32_t> stdIndexCounts;  // or: entries of each standard index, in order
    bool junkBeforeMovi = true;
};

struct ClipLayout {
    std::vector<uint64_t> frameOffset;  // first data byte
    std::vector<uint32_t> frameSize;
    std::vector<uint64_t> audioOffset;
    uint64_t headerEnd = 0;  // the "movi" list's header
};

uint32_t FrameSize(const ClipOptions& options, uint32_t frame);
std::vector<uint8_t> FrameBytes(const ClipOptions& options, uint32_t frame);
uint8_t AudioByte(uint64_t index);  // byte `index` of the audio stream, counted over all its chunks
bool IsKeyFrame(const ClipOptions& options, uint32_t frame);

void WriteClip(RiffWriter& writer, const ClipOptions& options, ClipLayout* layout = nullptr);
std::vector<uint8_t> BuildClip(const ClipOptions& options, ClipLayout* layout = nullptr);
bool WriteClipFile(const std::string& path, const ClipOptions& options, ClipLayout* layout = nullptr);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A folder of its own for one test program's files, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace test
}  // namespace krvx
