#include "WriterSamples.h"

#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"

namespace krvx {
namespace test {

namespace {

uint8_t PatternByte(uint32_t stream, uint32_t sample, uint32_t index) {
    uint32_t x = stream * 0x9E3779B9u ^ sample * 0x85EBCA6Bu ^ index * 0xC2B2AE35u;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    return static_cast<uint8_t>(x);
}

std::vector<uint8_t> Pattern(uint32_t stream, uint32_t sample, size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = PatternByte(stream, sample, static_cast<uint32_t>(i));
    return bytes;
}

}  // namespace

SampleSet MakeSamples(uint32_t count, uint32_t frameBytes, bool withAudio) {
    SampleSet set;
    set.video.compression = MakeFourCC('K', 'R', 'V', 'X');
    set.video.bitCount = 32;
    set.video.width = 64;
    set.video.height = 36;
    set.video.rate = 25;
    set.video.scale = 1;
    if (withAudio) set.audio.sampleRate = 48000;
    for (uint32_t i = 0; i < count; ++i) {
        set.frames.push_back(Pattern(0, i, frameBytes + (i * 977) % 1501));
        set.key.push_back(i % 5 == 0);
        if (withAudio) set.audioChunks.push_back(Pattern(1, i, 4 * (1918 + i % 5)));
    }
    return set;
}

dshow::HResult WriteSamples(AVIWriter& writer, const SampleSet& set) {
    for (size_t i = 0; i < set.frames.size(); ++i) {
        const std::vector<uint8_t>& frame = set.frames[i];
        dshow::HResult result =
            writer.WriteVideo(frame.data(), static_cast<uint32_t>(frame.size()), set.key[i]);
        if (dshow::Succeeded(result) && i < set.audioChunks.size()) {
            const std::vector<uint8_t>& audio = set.audioChunks[i];
            result = writer.WriteAudio(audio.data(), static_cast<uint32_t>(audio.size()));
        }
        if (dshow::Failed(result)) {
            writer.Close();
            return result;
        }
    }
    return writer.Close();
}

void ExpectReaderReturnsAll(const std::string& path, const SampleSet& set) {
    AVIReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), dshow::kOk);
    const uint32_t frames = static_cast<uint32_t>(set.frames.size());
    EXPECT_EQ(reader.TotalFrames(), frames);
    EXPECT_EQ(reader.Video().GetHandler(), set.video.compression);
    EXPECT_EQ(reader.Video().BitmapHeader().bitCount, set.video.bitCount);
    std::vector<uint8_t> frame;
    for (uint32_t f = 0; f < frames; ++f) {
        ASSERT_TRUE(ReadFrame(reader, f, &frame)) << "frame " << f;
        EXPECT_TRUE(frame == set.frames[f]) << "frame " << f;
        EXPECT_EQ(reader.IsVideoKeyFrame(f), set.key[f] ? 1u : 0u) << "frame " << f;
    }
    EXPECT_FALSE(ReadFrame(reader, frames, &frame));

    if (set.audioChunks.empty()) return;
    ASSERT_TRUE(reader.Audio().IsValid());
    std::vector<uint8_t> expected;
    for (const auto& chunk : set.audioChunks) expected.insert(expected.end(), chunk.begin(), chunk.end());
    const uint64_t total = expected.size() / 4;
    EXPECT_EQ(reader.Audio().Header().length, total);
    std::vector<uint8_t> got(expected.size() + 4000);
    uint64_t position = 0;
    ASSERT_EQ(reader.Audio().SeekToStart(), dshow::kOk);
    while (position < total) {
        uint32_t read = 0;
        const dshow::HResult result =
            reader.Audio().ReadSamples(position, got.data() + position * 4, 1000, 4, &read, nullptr);
        position += read;
        if (dshow::Failed(result) || read == 0) break;
    }
    ASSERT_EQ(position, total);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()));
}

bool MemorySink::WriteAt(uint64_t position, const uint8_t* data, size_t size) {
    ++writes;
    sources.insert(data);
    if (position + size > failFrom) return false;
    if (bytes.size() < position + size) bytes.resize(position + size);
    std::memcpy(bytes.data() + position, data, size);
    return true;
}

bool DiscardingSink::WriteAt(uint64_t position, const uint8_t* data, size_t size) {
    if (position < head.size()) {
        const size_t n = size < head.size() - position ? size : head.size() - position;
        std::memcpy(head.data() + position, data, n);
    }
    if (position + size > end) end = position + size;
    return true;
}

}  // namespace test
}  // namespace krvx
