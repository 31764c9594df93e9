// Movies read by another program: ffprobe describes them, ffmpeg remuxes them to AVI with stream copy,
// and the frames, key flags, audio and timecode come back as written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/FfmpegTools.h"
#include "MovieContent.h"
#include "avi/AVIReader.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace test {
namespace {

using testing_support::Probe;
using testing_support::RunFfmpeg;
using testing_support::VideoKeyFlags;

using graph::kQtOk;

double Number(const std::map<std::string, std::string>& values, const std::string& key) {
    auto found = values.find(key);
    if (found == values.end()) {
        ADD_FAILURE() << key << " is missing";
        return -1.0;
    }
    return std::atof(found->second.c_str());
}

std::string Text(const std::map<std::string, std::string>& values, const std::string& key) {
    auto found = values.find(key);
    return found == values.end() ? "(missing)" : found->second;
}

// Every frame of the AVI that ffmpeg made from the movie, through the plug-in's own reader.
std::vector<std::string> AviFrames(const std::string& path) {
    std::vector<std::string> frames;
    AVIReader reader;
    if (reader.Open(path.c_str()) != dshow::kOk) {
        ADD_FAILURE() << "the remuxed AVI does not open";
        return frames;
    }
    const uint32_t sector = reader.SampleFile()->SectorSize();
    for (uint32_t f = 0; f < reader.TotalFrames(); ++f) {
        uint32_t size = 0, lead = 0, alignedSize = 0;
        uint64_t alignedOffset = 0;
        if (dshow::Failed(reader.Video().GetAlignedFrameLocation(f, sector, &size, &lead, &alignedOffset,
                                                                 &alignedSize))) {
            ADD_FAILURE() << "frame " << f << " has no location";
            break;
        }
        // Unbuffered reads want memory aligned to the sector as well.
        const size_t alignment = sector < 4096 ? 4096 : sector;
        std::unique_ptr<uint8_t[]> block(new uint8_t[alignedSize + alignment]);
        uint8_t* data =
            block.get() + (alignment - reinterpret_cast<uintptr_t>(block.get()) % alignment) % alignment;
        uint64_t got = 0;
        if (dshow::Failed(
                AVIReader::ReadFileData(reader.SampleFile(), alignedOffset, alignedSize, data, &got)) ||
            got < uint64_t(lead) + size) {
            ADD_FAILURE() << "frame " << f << " does not read";
            break;
        }
        frames.emplace_back(reinterpret_cast<const char*>(data + lead), size);
    }
    return frames;
}

// The frames come back byte for byte through an AVI remux, and ffprobe's key flags are the written ones.
void CheckVideo(const std::string& movie, const std::string& folder, const MovieContent& content) {
    EXPECT_EQ(VideoKeyFlags(movie), content.keyFrames);
    const std::string avi = folder + "/remux.avi";
    ASSERT_TRUE(RunFfmpeg("-i \"" + movie + "\" -c copy -map 0:v -map 0:a? \"" + avi + "\""));
    // At N * 1000 / 1001 frames per second FFmpeg's stream copy to AVI counts in half frames and fills
    // every other slot with an empty chunk; those carry no picture and are left out.
    std::vector<std::string> frames;
    for (std::string& frame : AviFrames(avi)) {
        if (!frame.empty()) frames.push_back(std::move(frame));
    }
    ASSERT_EQ(frames.size(), content.frames.size());
    for (size_t f = 0; f < frames.size(); ++f) EXPECT_TRUE(frames[f] == content.frames[f]) << "frame " << f;
}

// The PCM comes back byte for byte, extracted with stream copy.
void CheckAudio(const std::string& movie, const std::string& folder, const MovieContent& content,
                const char* rawFormat) {
    const std::string raw = folder + "/audio.raw";
    ASSERT_TRUE(RunFfmpeg("-i \"" + movie + "\" -map 0:a -c copy -f " + rawFormat + " \"" + raw + "\""));
    const std::string audio = testing_support::ReadFile(raw);
    const std::string expected = content.Audio();
    ASSERT_EQ(audio.size(), expected.size());
    EXPECT_TRUE(audio == expected);
}

struct RateCase {
    const char* name;
    int64_t averageTimePerFrame;
    const char* frameRate;
};

void PrintTo(const RateCase& rate, std::ostream* out) {
    *out << rate.frameRate;
}

class QuickTimeProbeRates : public ::testing::TestWithParam<RateCase> {};

TEST_P(QuickTimeProbeRates, VideoAndAudioAsWritten) {
    testing_support::TempFolder folder;
    const std::string movie = folder.File("movie.mov");
    MovieOptions options;
    options.frames = 31;
    options.averageTimePerFrame = GetParam().averageTimePerFrame;
    const MovieContent content = MakeContent(options);
    ASSERT_EQ(WriteMovie(movie, options, content), kQtOk);

    auto values = Probe(movie, "-show_streams -show_format");
    EXPECT_EQ(Text(values, "format.nb_streams"), "2");
    EXPECT_EQ(Text(values, "streams.stream.0.codec_type"), "video");
    EXPECT_EQ(Text(values, "streams.stream.0.codec_tag_string"), "KRVX");
    EXPECT_EQ(Text(values, "streams.stream.0.width"), "64");
    EXPECT_EQ(Text(values, "streams.stream.0.height"), "36");
    EXPECT_EQ(Text(values, "streams.stream.0.nb_frames"), "31");
    EXPECT_EQ(Text(values, "streams.stream.0.r_frame_rate"), GetParam().frameRate);
    EXPECT_EQ(Text(values, "streams.stream.0.avg_frame_rate"), GetParam().frameRate);
    EXPECT_EQ(Text(values, "streams.stream.1.codec_name"), "pcm_s16le");
    EXPECT_EQ(Text(values, "streams.stream.1.sample_rate"), "48000");
    EXPECT_EQ(Text(values, "streams.stream.1.channels"), "2");
    const double seconds = double(content.Audio().size() / 4) / 48000.0;
    EXPECT_NEAR(Number(values, "streams.stream.1.duration"), seconds, 1e-5);
    EXPECT_NEAR(Number(values, "format.duration"), seconds, 2e-3);

    CheckVideo(movie, folder.Path(), content);
    CheckAudio(movie, folder.Path(), content, "s16le");
}

INSTANTIATE_TEST_SUITE_P(Rates, QuickTimeProbeRates,
                         ::testing::Values(RateCase{"ntsc", 333667, "30000/1001"},
                                           RateCase{"film", 417083, "24000/1001"},
                                           RateCase{"pal", 400000, "25/1"}),
                         [](const ::testing::TestParamInfo<RateCase>& info) { return info.param.name; });

TEST(QuickTimeProbe, TimecodeTrackGivesTheStart) {
    testing_support::TempFolder folder;
    MovieOptions options;
    options.frames = 10;
    options.averageTimePerFrame = 417083;
    const MovieContent content = MakeContent(options);
    struct Case {
        uint32_t packed;
        const char* text;
    } cases[] = {{0, "00:00:00:00"}, {0x01020304, "01:02:03:04"}, {0x0A3B3B17, "10:59:59:23"}};
    for (const Case& c : cases) {
        const std::string movie = folder.File(std::string("tc") + std::to_string(c.packed) + ".mov");
        ASSERT_EQ(WriteMovie(movie, options, content, c.packed, 24000), kQtOk);
        auto values = Probe(movie, "-show_streams -show_format");
        EXPECT_EQ(Text(values, "format.nb_streams"), "3");
        EXPECT_EQ(Text(values, "streams.stream.2.codec_tag_string"), "tmcd");
        EXPECT_EQ(Text(values, "streams.stream.2.tags.timecode"), c.text);
        // The video track refers to the timecode track, so the video stream carries it too.
        EXPECT_EQ(Text(values, "streams.stream.0.tags.timecode"), c.text);
        // The timecode does not disturb the other streams.
        EXPECT_EQ(Text(values, "streams.stream.0.nb_frames"), "10");
    }
    CheckVideo(folder.File("tc16909060.mov"), folder.Path(), content);
}

TEST(QuickTimeProbe, VideoOnlyAndAudioOnlyMovies) {
    testing_support::TempFolder folder;

    MovieOptions videoOnly;
    videoOnly.audio = false;
    videoOnly.keyInterval = 1;  // every frame a key frame: no sync-sample table
    videoOnly.frames = 12;
    const MovieContent pictures = MakeContent(videoOnly);
    const std::string silent = folder.File("silent.mov");
    ASSERT_EQ(WriteMovie(silent, videoOnly, pictures), kQtOk);
    auto values = Probe(silent, "-show_streams -show_format");
    EXPECT_EQ(Text(values, "format.nb_streams"), "1");
    EXPECT_EQ(Text(values, "streams.stream.0.nb_frames"), "12");
    EXPECT_NEAR(Number(values, "format.duration"), 12 / 25.0, 1e-3);
    CheckVideo(silent, folder.Path(), pictures);

    MovieOptions audioOnly;
    audioOnly.video = false;
    audioOnly.sampleRate = 22050;
    audioOnly.channels = 1;
    audioOnly.bits = 8;
    audioOnly.audioOnlySamples = 33075;  // 1.5 s
    const MovieContent sound = MakeContent(audioOnly);
    const std::string radio = folder.File("radio.mov");
    ASSERT_EQ(WriteMovie(radio, audioOnly, sound), kQtOk);
    values = Probe(radio, "-show_streams -show_format");
    EXPECT_EQ(Text(values, "format.nb_streams"), "1");
    EXPECT_EQ(Text(values, "streams.stream.0.codec_name"), "pcm_u8");
    EXPECT_EQ(Text(values, "streams.stream.0.sample_rate"), "22050");
    EXPECT_EQ(Text(values, "streams.stream.0.channels"), "1");
    EXPECT_NEAR(Number(values, "streams.stream.0.duration"), 1.5, 1e-5);
    CheckAudio(radio, folder.Path(), sound, "u8");
}

}  // namespace
}  // namespace test
}  // namespace krvx
