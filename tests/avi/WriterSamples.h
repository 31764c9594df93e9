// Samples for the AVI writer's tests, sinks that record what the writer sends, and the read-back
// through the reader.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "avi/AVIWriter.h"

namespace krvx {
namespace test {

struct SampleSet {
    AVIVideoParams video;
    AVIAudioParams audio;  // 16-bit stereo at 48 kHz, or none
    std::vector<std::vector<uint8_t>> frames;
    std::vector<bool> key;
    std::vector<std::vector<uint8_t>> audioChunks;  // chunk i follows frame i
};

// `count` frames of frameBytes plus a varying amount (odd sizes among them), a key frame every 5 from
// frame 0, and after each frame 1918 to 1922 audio sample frames. Every byte depends on where it is, so
// a sample read from the wrong place does not compare equal.
SampleSet MakeSamples(uint32_t count, uint32_t frameBytes, bool withAudio);

// Writes the set interleaved (frame, then its audio) into an open writer and closes it.
dshow::HResult WriteSamples(AVIWriter& writer, const SampleSet& set);

// Reads every frame and the whole audio stream back through AVIReader and compares them byte for byte,
// key-frame flags included.
void ExpectReaderReturnsAll(const std::string& path, const SampleSet& set);

// Keeps everything in memory and notes each write.
class MemorySink : public IAVIByteSink {
public:
    bool WriteAt(uint64_t position, const uint8_t* data, size_t size) override;

    std::vector<uint8_t> bytes;
    uint32_t writes = 0;
    std::set<const uint8_t*> sources;  // the memory each write came from
    uint64_t failFrom = UINT64_MAX;    // refuses writes that reach this position
};

// Drops the data past its first `keep` bytes; for files too large for memory.
class DiscardingSink : public IAVIByteSink {
public:
    explicit DiscardingSink(size_t keep) : head(keep, 0) {}
    bool WriteAt(uint64_t position, const uint8_t* data, size_t size) override;

    std::vector<uint8_t> head;
    uint64_t end = 0;
};

}  // namespace test
}  // namespace krvx
