// Copies written through the stand-in graph as another program reads them: FFmpeg's probe finds the
// streams, every frame with its key flag, the timecode; stream copy gives back the exact bytes.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/FfmpegTools.h"
#include "GraphSupport.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace graphtest {
namespace {

using namespace dshow;
using testing_support::Probe;

std::string Text(const std::map<std::string, std::string>& values, const std::string& key) {
    auto found = values.find(key);
    return found == values.end() ? "(missing " + key + ")" : found->second;
}

std::vector<bool> Keys(const TestClip& clip, uint32_t frames) {
    std::vector<bool> keys;
    for (uint32_t i = 0; i < frames; ++i) keys.push_back(clip.Key(i));
    return keys;
}

// The video packets and the audio, each stream copied out whole, equal the clip's first `frames`.
void CheckStreamBytes(const std::string& path, const std::string& folder, const TestClip& clip,
                      uint32_t frames) {
    std::string video, audio;
    for (uint32_t i = 0; i < frames; ++i) {
        std::vector<uint8_t> frame = clip.Frame(i);
        std::vector<uint8_t> block = clip.AudioBlock(i);
        video.append(frame.begin(), frame.end());
        audio.append(block.begin(), block.end());
    }
    const std::string videoOut = folder + "/video.bin";
    const std::string audioOut = folder + "/audio.bin";
    ASSERT_TRUE(testing_support::RunFfmpeg("-i \"" + path + "\" -map 0:v -c copy -f data \"" + videoOut + "\""));
    ASSERT_TRUE(testing_support::RunFfmpeg("-i \"" + path + "\" -map 0:a -c copy -f s16le \"" + audioOut + "\""));
    EXPECT_TRUE(testing_support::ReadFile(videoOut) == video) << "video bytes of " << path;
    EXPECT_TRUE(testing_support::ReadFile(audioOut) == audio) << "audio bytes of " << path;
}

void CheckStreams(const std::map<std::string, std::string>& values) {
    EXPECT_EQ(Text(values, "streams.stream.0.codec_type"), "video");
    EXPECT_EQ(Text(values, "streams.stream.0.codec_tag_string"), "KRVX");
    EXPECT_EQ(Text(values, "streams.stream.0.width"), "64");
    EXPECT_EQ(Text(values, "streams.stream.0.height"), "48");
    EXPECT_EQ(Text(values, "streams.stream.0.r_frame_rate"), "25/1");
    EXPECT_EQ(Text(values, "streams.stream.1.codec_name"), "pcm_s16le");
    EXPECT_EQ(Text(values, "streams.stream.1.sample_rate"), "48000");
    EXPECT_EQ(Text(values, "streams.stream.1.channels"), "2");
}

// The writer's last steps: the timecode (QuickTime only), end of stream, stop.
void Finish(CopyGraph& copy, uint32_t packedTimecode) {
    ComPointer<IBaseFilter> qtMux;
    if (Succeeded(copy.graph->FindFilterByName(u"QT Mux", qtMux.Receive()))) {
        ComPointer<IQtMuxTimecode> timecode;
        ASSERT_EQ(qtMux->QueryInterface(kIidQtMuxTimecode, timecode.ReceiveVoid()), kOk);
        EXPECT_EQ(timecode->SetStartTimecode(packedTimecode, 0), kOk);
        EXPECT_EQ(timecode->SetTimecodeRate(24000), kOk);
    }
    copy.EndOfStream();
    EXPECT_EQ(copy.Stop(), kOk);
}

TEST(CopyProbe, AviThroughTheFileWriter) {
    testing_support::TempFolder folder;
    TestClip clip;
    const std::string path = folder.File("copy.avi");
    {
        CopyGraph copy(clip, path, false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 30; ++i) ASSERT_EQ(copy.PushFrame(i), kOk);
        Finish(copy, 0);
    }
    auto values = Probe(path, "-show_streams -show_format -count_packets");
    EXPECT_EQ(Text(values, "format.format_name"), "avi");
    EXPECT_EQ(Text(values, "format.nb_streams"), "2");
    CheckStreams(values);
    EXPECT_EQ(Text(values, "streams.stream.0.nb_read_packets"), "30");
    EXPECT_EQ(testing_support::VideoKeyFlags(path), Keys(clip, 30));
    CheckStreamBytes(path, folder.Path(), clip, 30);
}

TEST(CopyProbe, QuickTimeWithTimecode) {
    testing_support::TempFolder folder;
    TestClip clip;
    const std::string path = folder.File("copy.mov");
    {
        CopyGraph copy(clip, path, true, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 30; ++i) ASSERT_EQ(copy.PushFrame(i), kOk);
        Finish(copy, 0x01020304);
    }
    auto values = Probe(path, "-show_streams -show_format");
    EXPECT_EQ(Text(values, "format.nb_streams"), "3");
    CheckStreams(values);
    EXPECT_EQ(Text(values, "streams.stream.0.nb_frames"), "30");
    EXPECT_EQ(Text(values, "streams.stream.2.codec_tag_string"), "tmcd");
    EXPECT_EQ(Text(values, "streams.stream.2.tags.timecode"), "01:02:03:04");
    EXPECT_EQ(testing_support::VideoKeyFlags(path), Keys(clip, 30));
    CheckStreamBytes(path, folder.Path(), clip, 30);
}

TEST(CopyProbe, StoppedBeforeTheEndStillPlays) {
    testing_support::TempFolder folder;
    TestClip clip;
    for (bool quickTime : {false, true}) {
        const std::string path = folder.File(quickTime ? "cut.mov" : "cut.avi");
        {
            CopyGraph copy(clip, path, quickTime, true, true);
            ASSERT_EQ(copy.built, kOk);
            ASSERT_EQ(copy.Run(), kOk);
            for (uint32_t i = 0; i < 11; ++i) ASSERT_EQ(copy.PushFrame(i), kOk);
            EXPECT_EQ(copy.Stop(), kOk);
        }
        auto values = Probe(path, "-show_streams -show_format -count_packets");
        EXPECT_EQ(Text(values, "format.nb_streams"), "2") << path;
        CheckStreams(values);
        EXPECT_EQ(Text(values, "streams.stream.0.nb_read_packets"), "11") << path;
        EXPECT_EQ(testing_support::VideoKeyFlags(path), Keys(clip, 11)) << path;
        CheckStreamBytes(path, folder.Path(), clip, 11);
    }
}

TEST(CopyProbe, AudioAloneInBothContainers) {
    testing_support::TempFolder folder;
    TestClip clip;
    for (bool quickTime : {false, true}) {
        const std::string path = folder.File(quickTime ? "audio.mov" : "audio.avi");
        std::string audio;
        {
            CopyGraph copy(clip, path, quickTime, false, true);
            ASSERT_EQ(copy.built, kOk);
            ASSERT_EQ(copy.Run(), kOk);
            for (uint32_t i = 0; i < 8; ++i) {
                ASSERT_EQ(copy.PushFrame(i), kOk);
                std::vector<uint8_t> block = clip.AudioBlock(i);
                audio.append(block.begin(), block.end());
            }
            Finish(copy, 0);
        }
        auto values = Probe(path, "-show_streams -show_format");
        // The movie also has the timecode track the writer's last steps asked for.
        EXPECT_EQ(Text(values, "format.nb_streams"), quickTime ? "2" : "1") << path;
        EXPECT_EQ(Text(values, "streams.stream.0.codec_name"), "pcm_s16le") << path;
        const std::string out = folder.File("audio.raw");
        ASSERT_TRUE(testing_support::RunFfmpeg("-i \"" + path + "\" -map 0:a -c copy -f s16le \"" + out + "\""));
        EXPECT_TRUE(testing_support::ReadFile(out) == audio) << path;
    }
}

}  // namespace
}  // namespace graphtest
}  // namespace krvx
