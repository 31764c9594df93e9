// A movie past 4 GiB: the 64-bit "mdat" header and "co64" offsets, read back by ffprobe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MovieContent.h"
#include "graph/QuickTimeWriter.h"
#include "tests/support/FfmpegTools.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace test {
namespace {

using testing_support::Probe;
using testing_support::RunFfmpeg;
using testing_support::VideoKeyFlags;

constexpr uint32_t kFrames = 88;
constexpr uint32_t kFrameSize = 48u << 20;  // 88 frames of 48 MiB: 4.125 GiB of video
constexpr uint32_t kAudioPerFrame = 1920;   // 48000 Hz at 25 frames per second

void Stamp(std::vector<char>& frame, uint32_t number) {
    std::memcpy(frame.data(), &number, sizeof(number));
    std::memcpy(frame.data() + frame.size() - sizeof(number), &number, sizeof(number));
}

TEST(QuickTimeLarge, MovieBeyondFourGiB) {
    testing_support::TempFolder folder;
    const std::string movie = folder.File("large.mov");
    MovieOptions options;
    options.frames = kFrames;
    options.width = 3840;
    options.height = 2160;
    const graph::QtVideoTrack video = VideoTrackFor(options);
    const graph::QtAudioTrack audio = AudioTrackFor(options);

    std::vector<char> frame(kFrameSize);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = char(i * 7 + (i >> 12));
    std::string audioWritten;
    std::vector<char> block(kAudioPerFrame * 4);

    {
        graph::QuickTimeWriter writer;
        ASSERT_EQ(writer.Open(movie.c_str(), &video, &audio), graph::kQtOk);
        for (uint32_t f = 0; f < kFrames; ++f) {
            Stamp(frame, f);
            ASSERT_EQ(writer.WriteVideo(frame.data(), kFrameSize, f % 4 == 0), graph::kQtOk) << f;
            for (size_t i = 0; i < block.size(); ++i) block[i] = char(f * 131 + i);
            ASSERT_EQ(writer.WriteAudio(block.data(), uint32_t(block.size())), graph::kQtOk) << f;
            audioWritten.append(block.data(), block.size());
        }
        ASSERT_EQ(writer.SetTimecode(0x00010000, 25000), graph::kQtOk);
        ASSERT_EQ(writer.Close(), graph::kQtOk);
    }
    const uint64_t fileSize = std::filesystem::file_size(movie);
    ASSERT_GT(fileSize, uint64_t(1) << 32);

    auto values = Probe(movie, "-show_streams");
    EXPECT_EQ(values["streams.stream.0.nb_frames"], std::to_string(kFrames));
    EXPECT_EQ(values["streams.stream.2.tags.timecode"], "00:01:00:00");
    auto packets = Probe(movie, "-select_streams v -show_entries packet=pos,size,flags");
    std::ifstream in(movie, std::ios::binary);
    for (uint32_t f : {0u, kFrames / 2, kFrames - 1}) {
        const std::string key = "packets.packet." + std::to_string(f) + ".";
        const uint64_t pos = std::strtoull(packets[key + "pos"].c_str(), nullptr, 10);
        EXPECT_EQ(packets[key + "size"], std::to_string(kFrameSize)) << f;
        EXPECT_EQ(packets[key + "flags"].substr(0, 1), f % 4 == 0 ? "K" : "_") << f;
        uint32_t head = ~0u, tail = ~0u;
        in.seekg(std::streamoff(pos));
        in.read(reinterpret_cast<char*>(&head), sizeof(head));
        in.seekg(std::streamoff(pos + kFrameSize - sizeof(tail)));
        in.read(reinterpret_cast<char*>(&tail), sizeof(tail));
        EXPECT_EQ(head, f);
        EXPECT_EQ(tail, f);
        if (f == kFrames - 1) {
            EXPECT_GT(pos, uint64_t(1) << 32);
        }
    }

    const std::string raw = folder.File("audio.raw");
    ASSERT_TRUE(RunFfmpeg("-i \"" + movie + "\" -map 0:a -c copy -f s16le \"" + raw + "\""));
    EXPECT_TRUE(testing_support::ReadFile(raw) == audioWritten);
}

}  // namespace
}  // namespace test
}  // namespace krvx
