// A copy past 1 GiB through "AVI Mux" and "File Writer": the file continues as OpenDML and every frame
// stays readable. How fast it goes is the trim benchmark's business (bench/trim).
#include <gtest/gtest.h>

#include "GraphSupport.h"
#include "avi/AVIReader.h"
#include "tests/support/FfmpegTools.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace graphtest {
namespace {

using namespace dshow;
TEST(LargeCopy, PastOneGibibyteContinuesAsOpenDml) {
    testing_support::TempFolder folder;
    TestClip clip;
    clip.width = 640;
    clip.height = 480;
    const uint32_t frames = 1100;
    const uint32_t frameBytes = 1000 * 1000 + 1;
    // A few distinct frames, repeated.
    std::vector<std::vector<uint8_t>> samples(4, std::vector<uint8_t>(frameBytes));
    for (size_t s = 0; s < samples.size(); ++s) {
        for (size_t i = 0; i < frameBytes; ++i)
            samples[s][i] = static_cast<uint8_t>(s * 41 + i * 7 + (i >> 12));
    }
    std::vector<uint8_t> audio(clip.AudioBlockBytes(), 0x5A);
    const std::string path = folder.File("large.avi");
    {
        CopyGraph copy(clip, path, false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < frames; ++i) {
            const std::vector<uint8_t>& frame = samples[i % samples.size()];
            ASSERT_EQ(copy.videoSource->Push(frame.data(), frameBytes, i % 10 == 0), kOk) << i;
            ASSERT_EQ(copy.audioSource->Push(audio.data(), static_cast<uint32_t>(audio.size()), true), kOk)
                << i;
        }
        copy.EndOfStream();
        ASSERT_EQ(copy.Stop(), kOk);
    }

    AVIReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), kOk);
    EXPECT_GT(reader.FileSize(), uint64_t(1) << 30);
    EXPECT_EQ(reader.TotalFrames(), frames);
    for (uint32_t i : {0u, 1u, 999u, frames - 1}) {
        EXPECT_EQ(reader.GetVideoFrameSize(i), frameBytes) << i;
        EXPECT_EQ(reader.IsVideoKeyFrame(i), i % 10 == 0 ? 1u : 0u) << i;
    }
    auto values = testing_support::Probe(path, "-show_streams -count_packets -select_streams v");
    EXPECT_EQ(values["streams.stream.0.nb_read_packets"], std::to_string(frames));
}

}  // namespace
}  // namespace graphtest
}  // namespace krvx
