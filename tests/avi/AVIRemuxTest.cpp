// Files written by another program: clips remuxed by FFmpeg with stream copy are read back, every frame
// and all audio equal to the source.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TestSupport.h"
#include "avi/FourCC.h"

namespace krvx {
namespace test {
namespace {

// Remuxes `source` into `target`; fails the test (never skips it) when FFmpeg is missing.
void Remux(const std::string& source, const std::string& target) {
    const char* given = std::getenv("KRVX_FFMPEG");
    const std::string ffmpeg = given ? given : "ffmpeg";
    ASSERT_EQ(std::system(("\"" + ffmpeg + "\" -version >/dev/null 2>&1").c_str()), 0)
        << "ffmpeg was not found on PATH (install the ffmpeg package, or set KRVX_FFMPEG)";
    std::string command =
        "\"" + ffmpeg + "\" -nostdin -v error -y -i \"" + source + "\" -map 0 -c copy \"" + target + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Reads every frame and compares it with the source; returns the number of frames found in the
// continuation forms (past the first RIFF form).
uint32_t CheckFrames(AVIReader& reader, const ClipOptions& options) {
    uint32_t continued = 0;
    uint8_t head[8] = {};
    reader.ParseFile()->ReadAt(head, 8, nullptr, 0);
    const uint64_t firstRiffEnd = 8 + uint64_t(LoadU32(head + 4));
    std::vector<uint8_t> frame;
    for (uint32_t f = 0; f < options.frames; ++f) {
        if (!ReadFrame(reader, f, &frame)) {
            ADD_FAILURE() << "frame " << f << " could not be read";
            return continued;
        }
        EXPECT_TRUE(frame == FrameBytes(options, f)) << "frame " << f;
        EXPECT_EQ(reader.IsVideoKeyFrame(f), IsKeyFrame(options, f) ? 1u : 0u) << f;
        uint64_t offset = 0;
        reader.Video().GetAlignedFrameLocation(f, 1, nullptr, nullptr, &offset, nullptr);
        if (offset >= firstRiffEnd) ++continued;
    }
    EXPECT_FALSE(ReadFrame(reader, options.frames, &frame));
    return continued;
}

void CheckAudio(AVIReader& reader, const ClipOptions& options) {
    const uint64_t total = uint64_t(options.frames) * options.samplesPerChunk;
    std::vector<uint8_t> block(4000 * 4);
    uint64_t position = 0;
    ASSERT_EQ(reader.Audio().SeekToStart(), dshow::kOk);
    while (position < total) {
        uint32_t got = 0;
        dshow::HResult result = reader.Audio().ReadSamples(position, block.data(), 4000, 4, &got, nullptr);
        for (uint32_t i = 0; i < got * 4; ++i) {
            if (block[i] != AudioByte(position * 4 + i)) {
                FAIL() << "audio byte " << position * 4 + i;
            }
        }
        position += got;
        if (dshow::Failed(result)) break;
    }
    EXPECT_EQ(position, total);
}

TEST(AVIRemux, ReadsWhatFfmpegWrote) {
    TempDir dir;
    ClipOptions options;
    options.frames = 60;
    options.frameBase = 5000;
    const std::string source = dir.File("source.avi");
    const std::string copy = dir.File("copy.avi");
    ASSERT_TRUE(WriteClipFile(source, options));
    Remux(source, copy);
    AVIReader reader;
    ASSERT_EQ(reader.Open(copy.c_str()), dshow::kOk);
    EXPECT_EQ(reader.TotalFrames(), options.frames);
    EXPECT_EQ(reader.Video().GetHandler(), MakeFourCC('K', 'R', 'V', 'X'));
    EXPECT_EQ(reader.Audio().Format().samplesPerSecond, 48000u);
    CheckFrames(reader, options);
    CheckAudio(reader, options);
}

// Past 1 GiB FFmpeg writes OpenDML: a super index, standard index chunks and "AVIX" forms.
TEST(AVIRemux, LargeClipWithContinuationForms) {
    TempDir dir;
    ClipOptions options;
    options.frames = 46;
    options.frameSize = 24u << 20;
    options.sparseFrames = true;
    options.keyInterval = 5;
    options.samplesPerChunk = 1920;
    const std::string source = dir.File("source.avi");
    const std::string copy = dir.File("copy.avi");
    ASSERT_TRUE(WriteClipFile(source, options));
    Remux(source, copy);
    std::filesystem::remove(source);
    AVIReader reader;
    ASSERT_EQ(reader.Open(copy.c_str()), dshow::kOk);
    EXPECT_EQ(reader.TotalFrames(), options.frames);
    EXPECT_NE(reader.Video().SuperIndex().EntriesInUse(), 0u);
    EXPECT_GT(CheckFrames(reader, options), 0u);
    CheckAudio(reader, options);
}

}  // namespace
}  // namespace test
}  // namespace krvx
