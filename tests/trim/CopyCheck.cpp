#include "tests/trim/CopyCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "avi/AVIReader.h"
#include "host/FrameRate.h"
#include "tests/avi/TestSupport.h"
#include "tests/support/FfmpegTools.h"

namespace krvx {
namespace testing_support {

namespace {

std::vector<uint8_t> ReadAudio(AVIReader& reader, uint64_t position, uint32_t count) {
    const uint32_t blockAlign = reader.Audio().Header().sampleSize;
    std::vector<uint8_t> bytes(size_t(count) * blockAlign);
    uint32_t got = 0;
    reader.Audio().ReadSamples(position, bytes.data(), count, blockAlign, &got, nullptr);
    bytes.resize(size_t(got) * blockAlign);
    return bytes;
}

double SamplesPerFrame(AVIReader& source) {
    const AVIStreamHeader& video = source.Video().Header();
    const AVIStreamHeader& audio = source.Audio().Header();
    const float frameRate = SnapFrameRate(video.rate, video.scale).snapped;
    return static_cast<double>(audio.rate / audio.scale) / frameRate;
}

}  // namespace

std::vector<int64_t> AudioBlockPositions(uint32_t first, uint32_t frames, double samplesPerFrame) {
    std::vector<int64_t> positions;
    for (uint32_t i = 0; i < frames; ++i)
        positions.push_back(static_cast<int64_t>((first + i) * samplesPerFrame + 0.5));
    return positions;
}

void ExpectCopyOfSource(const TrimmedCopy& copy) {
    AVIReader source, written;
    if (dshow::Failed(source.Open(copy.source.c_str()))) {
        ADD_FAILURE() << "the source does not open: " << copy.source;
        return;
    }
    if (dshow::Failed(written.Open(copy.copy.c_str()))) {
        ADD_FAILURE() << "the copy does not open: " << copy.copy;
        return;
    }
    if (copy.video) {
        EXPECT_EQ(written.TotalFrames(), copy.frames);
        std::vector<uint8_t> expected, actual;
        for (uint32_t i = 0; i < copy.frames && i < written.TotalFrames(); ++i) {
            EXPECT_TRUE(test::ReadFrame(source, copy.first + i, &expected));
            EXPECT_TRUE(test::ReadFrame(written, i, &actual)) << "copy frame " << i;
            EXPECT_TRUE(actual == expected)
                << "copy frame " << i << " is not source frame " << copy.first + i;
            EXPECT_EQ(written.IsVideoKeyFrame(i) != 0, source.IsVideoKeyFrame(copy.first + i) != 0)
                << "key flag of copy frame " << i;
        }
    }
    EXPECT_EQ(written.Audio().IsValid(), copy.audio);
    if (copy.audio && written.Audio().IsValid()) {
        const double perFrame = SamplesPerFrame(source);
        const uint32_t blockSamples = static_cast<uint32_t>(perFrame + 0.5);
        std::vector<uint8_t> expected;
        for (int64_t position : AudioBlockPositions(copy.first, copy.frames, perFrame)) {
            std::vector<uint8_t> block = ReadAudio(source, static_cast<uint64_t>(position), blockSamples);
            expected.insert(expected.end(), block.begin(), block.end());
        }
        const uint32_t blockAlign = source.Audio().Header().sampleSize;
        const std::vector<uint8_t> actual =
            ReadAudio(written, 0, static_cast<uint32_t>(expected.size() / blockAlign) + 16);
        EXPECT_EQ(actual.size(), expected.size());
        EXPECT_TRUE(actual == expected) << "the copy's audio differs from the source's blocks";
    }
}

void ExpectProbeAgrees(const TrimmedCopy& copy) {
    const std::map<std::string, std::string> streams = Probe(copy.copy, "-show_streams");
    int videoStreams = 0, audioStreams = 0;
    for (int i = 0; streams.count("streams.stream." + std::to_string(i) + ".codec_type"); ++i) {
        const std::string prefix = "streams.stream." + std::to_string(i) + ".";
        const std::string type = streams.at(prefix + "codec_type");
        if (type == "video") {
            ++videoStreams;
            EXPECT_EQ(streams.at(prefix + "codec_tag_string"), "KRVX");
        } else if (type == "audio") {
            ++audioStreams;
        }
    }
    EXPECT_EQ(videoStreams, copy.video ? 1 : 0);
    EXPECT_EQ(audioStreams, copy.audio ? 1 : 0);

    AVIReader source;
    if (dshow::Failed(source.Open(copy.source.c_str()))) {
        ADD_FAILURE() << "the source does not open: " << copy.source;
        return;
    }
    if (copy.video) {
        const std::vector<bool> keys = VideoKeyFlags(copy.copy);
        EXPECT_EQ(keys.size(), copy.frames) << "video packets ffprobe counts";
        for (size_t i = 0; i < keys.size() && i < copy.frames; ++i)
            EXPECT_EQ(keys[i], source.IsVideoKeyFrame(copy.first + static_cast<uint32_t>(i)) != 0)
                << "packet " << i;
    }
    if (copy.audio) {
        // The audio's duration from what ffprobe reads of it: PCM packets, however it splits them.
        const std::map<std::string, std::string> packets =
            Probe(copy.copy, "-select_streams a:0 -show_entries packet=size");
        double bytes = 0;
        for (const auto& entry : packets) {
            if (entry.first.size() > 5 && entry.first.compare(entry.first.size() - 5, 5, ".size") == 0)
                bytes += std::atof(entry.second.c_str());
        }
        const AVIStreamHeader& audio = source.Audio().Header();
        const double rate = static_cast<double>(audio.rate / audio.scale);
        const double perFrame = SamplesPerFrame(source);
        const double expectedSeconds =
            copy.frames * static_cast<double>(static_cast<uint32_t>(perFrame + 0.5)) / rate;
        EXPECT_NEAR(bytes / audio.sampleSize / rate, expectedSeconds, 1e-9)
            << "audio bytes ffprobe reads: " << bytes;
    }
}

}  // namespace testing_support
}  // namespace krvx
