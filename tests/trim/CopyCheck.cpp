#include "tests/trim/CopyCheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "avi/AVIReader.h"
#include "trim/SnapFrameRate.h"

namespace krvx {
namespace testing_support {

namespace {

// A sample read with a sector-aligned read, as the plug-in reads it.
bool ReadVideoSample(AVIReader& reader, uint32_t frame, std::vector<uint8_t>* out) {
    uint32_t size = 0, lead = 0, alignedSize = 0;
    uint64_t alignedOffset = 0;
    const uint32_t sector = reader.SampleFile()->SectorSize();
    if (Failed(reader.Video().GetAlignedFrameLocation(frame, sector, &size, &lead, &alignedOffset, &alignedSize)))
        return false;
    const size_t alignment = sector < 4096 ? 4096 : sector;
    std::unique_ptr<uint8_t[]> block(new uint8_t[alignedSize + alignment]);
    uint8_t* data = block.get() + (alignment - reinterpret_cast<uintptr_t>(block.get()) % alignment) % alignment;
    uint64_t got = 0;
    if (Failed(AVIReader::ReadFileData(reader.SampleFile(), alignedOffset, alignedSize, data, &got))) return false;
    if (got < uint64_t(lead) + size) return false;
    out->assign(data + lead, data + lead + size);
    return true;
}

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
    const float frameRate = SnapFrameRate(video.rate, video.scale, nullptr);
    return static_cast<double>(audio.rate / audio.scale) / frameRate;
}

std::string Capture(const std::string& command) {
    std::string output;
#ifndef _WIN32
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
#else
    (void)command;
#endif
    return output;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
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
    if (Failed(source.Open(copy.source.c_str()))) {
        ADD_FAILURE() << "the source does not open: " << copy.source;
        return;
    }
    if (Failed(written.Open(copy.copy.c_str()))) {
        ADD_FAILURE() << "the copy does not open: " << copy.copy;
        return;
    }
    if (copy.video) {
        EXPECT_EQ(written.TotalFrames(), copy.frames);
        std::vector<uint8_t> expected, actual;
        for (uint32_t i = 0; i < copy.frames && i < written.TotalFrames(); ++i) {
            EXPECT_TRUE(ReadVideoSample(source, copy.first + i, &expected));
            EXPECT_TRUE(ReadVideoSample(written, i, &actual)) << "copy frame " << i;
            EXPECT_TRUE(actual == expected) << "copy frame " << i << " is not source frame " << copy.first + i;
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
    const char* given = std::getenv("KRVX_FFPROBE");
    const std::string ffprobe = given ? given : "ffprobe";
    const std::string quoted = " \"" + copy.copy + "\" 2>&1";
    const std::vector<std::string> streams =
        Lines(Capture(ffprobe + " -v error -show_entries stream=codec_type,codec_tag_string -of csv=p=0" + quoted));
    int videoStreams = 0, audioStreams = 0;
    for (const std::string& stream : streams) {
        if (stream.rfind("video,", 0) == 0) {
            ++videoStreams;
            EXPECT_EQ(stream, "video,KRVX");
        } else if (stream.rfind("audio,", 0) == 0) {
            ++audioStreams;
        }
    }
    EXPECT_EQ(videoStreams, copy.video ? 1 : 0) << "ffprobe streams:\n" << Capture(ffprobe + quoted);
    EXPECT_EQ(audioStreams, copy.audio ? 1 : 0);

    AVIReader source;
    if (Failed(source.Open(copy.source.c_str()))) {
        ADD_FAILURE() << "the source does not open: " << copy.source;
        return;
    }
    if (copy.video) {
        const std::vector<std::string> flags =
            Lines(Capture(ffprobe + " -v error -select_streams v:0 -show_entries packet=flags -of csv=p=0" + quoted));
        EXPECT_EQ(flags.size(), copy.frames) << "video packets ffprobe counts";
        for (size_t i = 0; i < flags.size() && i < copy.frames; ++i) {
            const bool key = !flags[i].empty() && flags[i][0] == 'K';
            EXPECT_EQ(key, source.IsVideoKeyFrame(copy.first + static_cast<uint32_t>(i)) != 0) << "packet " << i;
        }
    }
    if (copy.audio) {
        const double perFrame = SamplesPerFrame(source);
        const double expectedSeconds =
            copy.frames * static_cast<double>(static_cast<uint32_t>(perFrame + 0.5)) /
            static_cast<double>(source.Audio().Header().rate / source.Audio().Header().scale);
        // The audio's duration from what ffprobe reads of it: PCM packets, however it splits them.
        const std::vector<std::string> sizes =
            Lines(Capture(ffprobe + " -v error -select_streams a:0 -show_entries packet=size -of csv=p=0" + quoted));
        double bytes = 0;
        for (const std::string& size : sizes) bytes += std::atof(size.c_str());
        const AVIStreamHeader& audio = source.Audio().Header();
        const double seconds = bytes / audio.sampleSize / static_cast<double>(audio.rate / audio.scale);
        EXPECT_NEAR(seconds, expectedSeconds, 1e-9) << "audio bytes ffprobe reads: " << bytes;
    }
}

}  // namespace testing_support
}  // namespace krvx
