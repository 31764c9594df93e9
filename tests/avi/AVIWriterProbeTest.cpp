// Files from the AVI writer as another program sees them: FFmpeg's probe finds every frame, with its
// size and key-frame flag, and all the audio of a file continued in "AVIX" forms.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WriterSamples.h"

namespace krvx {
namespace test {
namespace {

struct Packet {
    int stream;
    uint64_t size;
    bool key;
};

// The packets FFmpeg's probe reads from the file, in file order; fails the test (never skips it)
// without ffprobe.
std::vector<Packet> ProbePackets(const std::string& path) {
    const char* given = std::getenv("KRVX_FFPROBE");
    const std::string ffprobe = given ? given : "ffprobe";
    EXPECT_EQ(std::system(("\"" + ffprobe + "\" -version >/dev/null 2>&1").c_str()), 0)
        << "ffprobe was not found on PATH (install the ffmpeg package, or set KRVX_FFPROBE)";
    const std::string command = "\"" + ffprobe +
                                "\" -v error -show_entries packet=stream_index,size,flags -of csv=p=0 \"" +
                                path + "\"";
    std::vector<Packet> packets;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char flags[16] = {};
        Packet p{};
        unsigned long long size = 0;
        while (std::fscanf(pipe, "%d,%llu,%15s", &p.stream, &size, flags) == 3) {
            p.size = size;
            p.key = flags[0] == 'K';
            packets.push_back(p);
        }
        EXPECT_EQ(pclose(pipe), 0) << command;
    }
    return packets;
}

TEST(AVIWriterProbe, CountsEveryFrameOfAContinuedFile) {
    TempDir dir;
    const SampleSet set = MakeSamples(40, 12000, true);
    const std::string path = dir.File("continued.avi");
    AVIWriter writer;
    ASSERT_EQ(writer.Open(path.c_str(), set.video, set.audio, AVIOpenDml::kAutomatic, 256 * 1024),
              dshow::kOk);
    ASSERT_EQ(WriteSamples(writer, set), dshow::kOk);
    std::vector<uint64_t> frameSizes, expectedSizes;
    std::vector<bool> keys;
    uint64_t audioBytes = 0, expectedAudioBytes = 0;
    for (const Packet& p : ProbePackets(path)) {
        if (p.stream == 0) {
            frameSizes.push_back(p.size);
            keys.push_back(p.key);
        } else {
            audioBytes += p.size;
        }
    }
    for (const auto& frame : set.frames) expectedSizes.push_back(frame.size());
    for (const auto& chunk : set.audioChunks) expectedAudioBytes += chunk.size();
    EXPECT_EQ(frameSizes, expectedSizes);
    EXPECT_EQ(keys, set.key);
    EXPECT_EQ(audioBytes, expectedAudioBytes);
}

}  // namespace
}  // namespace test
}  // namespace krvx
