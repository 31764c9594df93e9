// The writer's own answers and the file's top-level layout, without outside tools (runs on every build).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MovieContent.h"
#include "graph/QuickTimeWriter.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace test {
namespace {

using graph::kQtBadArgument;
using graph::kQtIoError;
using graph::kQtOk;

struct TopAtom {
    std::string type;
    uint64_t offset;
    uint64_t size;
};

uint64_t LoadBigEndian(const std::string& bytes, uint64_t at, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

// The file's top-level atoms; stops (with a test failure) at a size that leaves the file.
std::vector<TopAtom> TopAtoms(const std::string& bytes) {
    std::vector<TopAtom> atoms;
    uint64_t at = 0;
    while (at + 8 <= bytes.size()) {
        uint64_t size = LoadBigEndian(bytes, at, 4);
        if (size == 1) size = LoadBigEndian(bytes, at + 8, 8);
        if (size < 8 || at + size > bytes.size()) {
            ADD_FAILURE() << "atom at " << at << " has size " << size;
            break;
        }
        atoms.push_back({bytes.substr(at + 4, 4), at, size});
        at += size;
    }
    EXPECT_EQ(at, bytes.size());
    return atoms;
}

TEST(QuickTimeWriter, RefusesBadArgumentsAndCallsOutOfOrder) {
    testing_support::TempFolder folder;
    const std::string path = folder.File("movie.mov");
    MovieOptions options;
    const graph::QtVideoTrack video = VideoTrackFor(options);
    const graph::QtAudioTrack audio = AudioTrackFor(options);
    const char frame[16] = {};

    graph::QuickTimeWriter writer;
    EXPECT_EQ(writer.WriteVideo(frame, sizeof(frame), true), kQtBadArgument);
    EXPECT_EQ(writer.SetTimecode(0, 24000), kQtBadArgument);
    EXPECT_EQ(writer.Close(), kQtBadArgument);
    EXPECT_EQ(writer.Open(path.c_str(), nullptr, nullptr), kQtBadArgument);
    graph::QtAudioTrack audio24 = audio;
    audio24.bitsPerSample = 24;
    EXPECT_EQ(writer.Open(path.c_str(), nullptr, &audio24), kQtBadArgument);
    graph::QtVideoTrack noRate = video;
    noRate.timing.frameDuration = 0;
    EXPECT_EQ(writer.Open(path.c_str(), &noRate, nullptr), kQtBadArgument);
    EXPECT_EQ(writer.Open(folder.File("missing/movie.mov").c_str(), &video, &audio), kQtIoError);
    EXPECT_FALSE(writer.IsOpen());

    ASSERT_EQ(writer.Open(path.c_str(), nullptr, &audio), kQtOk);
    EXPECT_EQ(writer.Open(path.c_str(), nullptr, &audio), kQtBadArgument);     // already open
    EXPECT_EQ(writer.WriteVideo(frame, sizeof(frame), true), kQtBadArgument);  // no video track
    EXPECT_EQ(writer.WriteAudio(frame, 6), kQtBadArgument);  // 1.5 stereo 16-bit sample frames
    EXPECT_EQ(writer.WriteAudio(frame, 8), kQtOk);
    EXPECT_EQ(writer.SetTimecode(0x00000018, 24000), kQtBadArgument);  // frame 24 of 0..23
    EXPECT_EQ(writer.SetTimecode(0x00003C00, 24000), kQtBadArgument);  // second 60
    EXPECT_EQ(writer.Close(), kQtOk);
    EXPECT_EQ(writer.Close(), kQtBadArgument);
}

// ftyp "qt  ", the samples in "mdat" in arrival order, "moov" last; the mdat size covers exactly the
// samples (and the timecode sample).
TEST(QuickTimeWriter, LaysOutFtypMdatMoov) {
    testing_support::TempFolder folder;
    const std::string path = folder.File("movie.mov");
    MovieOptions options;
    options.frames = 6;
    const MovieContent content = MakeContent(options);
    ASSERT_EQ(WriteMovie(path, options, content, 0x01000000, 24000), kQtOk);

    const std::string bytes = testing_support::ReadFile(path);
    const std::vector<TopAtom> atoms = TopAtoms(bytes);
    ASSERT_EQ(atoms.size(), 4u);
    EXPECT_EQ(atoms[0].type, "ftyp");
    EXPECT_EQ(bytes.substr(8, 4), "qt  ");
    EXPECT_EQ(atoms[1].type, "wide");
    EXPECT_EQ(atoms[2].type, "mdat");
    EXPECT_EQ(atoms[3].type, "moov");
    std::string expected;
    for (size_t i = 0; i < content.frames.size(); ++i) expected += content.frames[i] + content.audioBlocks[i];
    const std::string timecodeSample("\x00\x01\x51\x80", 4);  // 01:00:00:00 at 24 fps: frame 86400
    expected += timecodeSample;
    EXPECT_EQ(atoms[2].size, 8 + expected.size());
    EXPECT_TRUE(bytes.compare(atoms[2].offset + 8, expected.size(), expected) == 0);

    // Sync samples count from 1 (FFmpeg would also take a table counted from 0, other readers do not):
    // frames 0 and 5 of 6 are the key frames.
    const size_t stss = bytes.find("stss", atoms[3].offset);
    ASSERT_NE(stss, std::string::npos);
    EXPECT_EQ(LoadBigEndian(bytes, stss + 8, 4), 2u);
    EXPECT_EQ(LoadBigEndian(bytes, stss + 12, 4), 1u);
    EXPECT_EQ(LoadBigEndian(bytes, stss + 16, 4), 6u);
}

// A writer dropped without Close still leaves a finished movie.
TEST(QuickTimeWriter, DestructionFinishesTheMovie) {
    testing_support::TempFolder folder;
    const std::string path = folder.File("movie.mov");
    MovieOptions options;
    const graph::QtVideoTrack video = VideoTrackFor(options);
    {
        graph::QuickTimeWriter writer;
        ASSERT_EQ(writer.Open(path.c_str(), &video, nullptr), kQtOk);
        const char frame[100] = {1, 2, 3};
        ASSERT_EQ(writer.WriteVideo(frame, sizeof(frame), true), kQtOk);
    }
    const std::vector<TopAtom> atoms = TopAtoms(testing_support::ReadFile(path));
    ASSERT_EQ(atoms.size(), 4u);
    EXPECT_EQ(atoms[2].size, 8u + 100u);
    EXPECT_EQ(atoms[3].type, "moov");
}

}  // namespace
}  // namespace test
}  // namespace krvx
