#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AVIParts.h"
#include "TestSupport.h"
#include "platform/debug.h"

namespace krvx {
namespace test {
namespace {

class FrameReadBack : public ::testing::TestWithParam<uint32_t> {};

// Every frame comes back byte for byte through one aligned unbuffered read, by either index.
TEST_P(FrameReadBack, EveryFrameEqualsWhatWasWritten) {
    TempDir dir;
    ClipOptions options;
    options.frames = 40;
    options.frameBase = 3000;
    options.framesPerStdIndex = GetParam();
    const std::string path = dir.File("clip.avi");
    ASSERT_TRUE(WriteClipFile(path, options));
    AVIReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), dshow::kOk);
    EXPECT_EQ(reader.Video().SuperIndex().EntriesInUse() != 0, GetParam() != 0);
    std::vector<uint8_t> frame;
    for (uint32_t f = 0; f < options.frames; ++f) {
        ASSERT_TRUE(ReadFrame(reader, f, &frame)) << f;
        EXPECT_EQ(frame, FrameBytes(options, f)) << f;
        EXPECT_EQ(reader.GetVideoFrameSize(f), FrameSize(options, f));
        EXPECT_EQ(reader.IsVideoKeyFrame(f), IsKeyFrame(options, f) ? 1u : 0u);
    }
    EXPECT_FALSE(ReadFrame(reader, options.frames, &frame));
}

INSTANTIATE_TEST_SUITE_P(LegacyAndOpenDml, FrameReadBack, ::testing::Values(0u, 7u));

void CaptureLine(void* context, const char* text) {
    static_cast<std::string*>(context)->append(text);
}

TEST(AVIVideoStream, AlignedLocations) {
    TempDir dir;
    const uint32_t padding = 1100000;
    auto movi = [](RiffWriter& w) {
        uint64_t at = w.BeginChunk("00dc");
        w.Skip(padding);
        w.End(at);
    };
    // moviType is the "movi" list type's position: entry offsets count from there.
    auto idx1 = [](RiffWriter& w) {
        const uint64_t moviType = 12 + 8 + 4 + 64 + 12 + 64 + 48 + 8;
        Idx1Entry(w, "00dc", 0x10, static_cast<uint32_t>(1000300 - 8 - moviType), 70000);
        Idx1Entry(w, "00dc", 0x10, static_cast<uint32_t>(1024 * 512 - 8 - moviType), 4096);
        Idx1Entry(w, "00dc", 0x10, 0xC0000000u, 16);
        Idx1Entry(w, "00dc", 0x10, static_cast<uint32_t>(w.Tell() + 16 - 40 - 8 - moviType),
                  40);  // the last 40 bytes
    };
    std::vector<uint8_t> bytes = AVIFileBytes({}, {}, movi, idx1);
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, bytes, reader), dshow::kOk);
    ASSERT_EQ(reader.Video().OldIndex().Count(), 4u);
    uint64_t offset = 0;
    ASSERT_EQ(reader.Video().OldIndex().GetEntry(0, &offset, nullptr), dshow::kOk);
    ASSERT_EQ(offset, 1000300u) << "the test's header arithmetic is off";

    uint32_t size = 0, lead = 0, alignedSize = 0;
    uint64_t alignedOffset = 0;
    for (uint32_t alignment : {512u, 0u}) {
        ASSERT_EQ(
            reader.Video().GetAlignedFrameLocation(0, alignment, &size, &lead, &alignedOffset, &alignedSize),
            dshow::kOk);
        EXPECT_EQ(size, 70000u);
        EXPECT_EQ(lead, 364u);
        EXPECT_EQ(alignedOffset, 999936u);
        EXPECT_EQ(alignedSize, 70656u);
    }
    ASSERT_EQ(reader.Video().GetAlignedFrameLocation(1, 512, &size, &lead, &alignedOffset, &alignedSize),
              dshow::kOk);
    EXPECT_EQ(lead, 0u);
    EXPECT_EQ(alignedOffset, 1024u * 512);
    EXPECT_EQ(alignedSize, 4096u);

    // A frame in the file's last, partial sector: the read comes back short and succeeds.
    ASSERT_EQ(reader.Video().GetAlignedFrameLocation(3, 0, &size, &lead, &alignedOffset, &alignedSize),
              dshow::kOk);
    std::vector<uint8_t> frame;
    ASSERT_TRUE(ReadFrame(reader, 3, &frame));
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), bytes.end() - 40));

    // A lead that does not fit an int is refused with the condition on the debug output.
    std::string lines;
    platform::SetDebugCapture(CaptureLine, &lines);
    EXPECT_EQ(
        reader.Video().GetAlignedFrameLocation(2, 0xFFFFFFFFu, &size, &lead, &alignedOffset, &alignedSize),
        dshow::kFail);
    platform::SetDebugCapture(nullptr, nullptr);
    EXPECT_NE(lines.find("AVIReader"), std::string::npos) << lines;
    EXPECT_NE(lines.find("(position % alignment) <= INT_MAX"), std::string::npos) << lines;
    // Inside an int but outside the file: not located, so nobody allocates for it or reads it. Its size
    // is still answered as the index states it.
    EXPECT_EQ(reader.Video().GetAlignedFrameLocation(2, 512, &size, &lead, &alignedOffset, &alignedSize),
              dshow::kFail);
    EXPECT_EQ(reader.GetVideoFrameSize(2), 16u);
    EXPECT_FALSE(ReadFrame(reader, 2, &frame));
}

class AudioRead : public ::testing::Test {
protected:
    void Open(uint32_t start, uint32_t frames = 4) {
        options.frames = frames;
        options.samplesPerChunk = 1024;  // 4096-byte chunks
        options.audioStart = start;
        // A new file each time: the reader keeps the previous one open.
        std::string name = "clip" + std::to_string(++opened) + ".avi";
        ASSERT_EQ(OpenBytes(dir, BuildClip(options), reader, name.c_str()), dshow::kOk);
    }
    // Reads `count` samples at `position` and checks them against stream bytes from `firstByte` on.
    dshow::HResult Read(uint64_t position, uint32_t count, uint64_t firstByte, uint32_t* got) {
        std::vector<uint8_t> buffer(count * 4 + 4, 0xEE);
        dshow::HResult result = reader.Audio().ReadSamples(position, buffer.data(), count, 4, got, nullptr);
        for (uint32_t i = 0; i < *got * 4; ++i) {
            if (buffer[i] != AudioByte(firstByte + i)) {
                ADD_FAILURE() << "byte " << i << " of a read at " << position;
                break;
            }
        }
        return result;
    }
    TempDir dir;
    ClipOptions options;
    AVIReader reader;
    int opened = 0;
};

TEST_F(AudioRead, SeekToStartSkipsTheRoundedStartOffset) {
    Open(1000);
    ASSERT_EQ(reader.Audio().SeekToStart(), dshow::kOk);
    EXPECT_EQ(reader.Audio().Header().start, 1008u);
    EXPECT_EQ(reader.Audio().CurrentChunk(), 0u);
    EXPECT_EQ(reader.Audio().ChunkSampleOffset(), 1008u);
    uint32_t got = 0;
    EXPECT_EQ(Read(0, 1000, 4032, &got), dshow::kOk);
    EXPECT_EQ(got, 1000u);
    // Sequential: continues after the start offset, across the chunk boundary, with no index walk.
    EXPECT_EQ(Read(1000, 1000, 4032 + 4000, &got), dshow::kOk);
    EXPECT_EQ(reader.Audio().NextSamplePosition(), 2000u);
    // A jump counts from the first byte of the stream.
    EXPECT_EQ(Read(300, 100, 1200, &got), dshow::kOk);
    EXPECT_EQ(reader.Audio().NextSamplePosition(), 400u);

    Open(2100);  // past the first two chunks
    ASSERT_EQ(reader.Audio().SeekToStart(), dshow::kOk);
    EXPECT_EQ(reader.Audio().CurrentChunk(), 2u);
    EXPECT_EQ(reader.Audio().ChunkSampleOffset(), 2112u - 2048u);
}

TEST_F(AudioRead, ShortReadsAndBadArguments) {
    Open(0);
    uint32_t got = 0;
    EXPECT_EQ(Read(4096, 10, 0, &got), dshow::kFail);  // past the last chunk
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(Read(3496, 1500, 3496 * 4, &got), dshow::kFail);  // 600 remain in the last chunk
    EXPECT_EQ(got, 600u);
    uint8_t buffer[64];
    EXPECT_EQ(reader.Audio().ReadSamples(0, nullptr, 4, 4, &got, nullptr), dshow::kInvalidArg);
    EXPECT_EQ(reader.Audio().ReadSamples(0, buffer, 4, 4, nullptr, nullptr), dshow::kPointer);
    EXPECT_EQ(reader.Audio().ReadSamples(8, buffer, 4, 0, &got, nullptr), dshow::kFail);
    EXPECT_EQ(reader.Audio().ReadSamples(0x4000000000000000ull, buffer, 4, 4, &got, nullptr), dshow::kFail);
    EXPECT_EQ(reader.Audio().ReadSamples(0, buffer, 0x40000000u, 8, &got, nullptr), dshow::kFail);

    // A stream header scale of 0 cannot serve as the bytes per sample.
    auto hdrl = [](RiffWriter& w) {
        Avih(w, 1);
        uint64_t list = w.BeginList("LIST", "strl");
        Strh(w, "auds", 56, 16, 0);
        w.Chunk("strf", std::vector<uint8_t>(18, 1).data(), 18);
        w.End(list);
    };
    AVIReader zero;
    ASSERT_EQ(
        OpenBytes(dir, AVIFileBytes(hdrl, {}, {}, [](RiffWriter& w) { Idx1Entry(w, "01wb", 0, 4, 100); }),
                  zero, "zero.avi"),
        dshow::kOk);
    EXPECT_EQ(zero.Audio().SeekToStart(), dshow::kFail);
    AVIAudioStream detached;
    EXPECT_EQ(detached.SeekToStart(), dshow::kPointer);
}

}  // namespace
}  // namespace test
}  // namespace krvx
