#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"

namespace krvx {
namespace test {
namespace {

ClipOptions TruncationClip() {
    ClipOptions options;
    options.frames = 16;
    options.framesPerStdIndex = 5;
    options.samplesPerChunk = 100;
    return options;
}

// Cut anywhere, the file has lost its legacy index (the last chunk), so it must not open. Every byte
// of the header region is tried, and a sample of positions in the movie data and the indexes.
TEST(AVITruncation, CutFilesDoNotOpen) {
    TempDir dir;
    ClipLayout layout;
    const std::vector<uint8_t> clip = BuildClip(TruncationClip(), &layout);
    std::vector<size_t> cuts;
    for (size_t n = 0; n <= layout.headerEnd + 16; ++n) cuts.push_back(n);
    for (size_t n = layout.headerEnd + 16; n < clip.size(); n += 97) cuts.push_back(n);
    for (size_t n = clip.size() - 40; n < clip.size(); ++n) cuts.push_back(n);
    int index = 0;
    for (size_t n : cuts) {
        AVIReader reader;
        std::string name = "cut" + std::to_string(index++ % 8) + ".avi";
        ASSERT_EQ(OpenBytes(dir, std::vector<uint8_t>(clip.begin(), clip.begin() + n), reader, name.c_str()),
                  dshow::kFail)
            << "cut at " << n;
    }
    AVIReader whole;
    EXPECT_EQ(OpenBytes(dir, clip, whole, "whole.avi"), dshow::kOk);
}

#ifndef _WIN32
// A file that shrinks after it was opened: frames inside what is left still read, the others are
// refused, and audio reads deliver what is left with E_FAIL.
TEST(AVITruncation, FileShrinksWhileOpen) {
    TempDir dir;
    for (uint32_t cutFrame : {12u, 7u, 2u, 0u}) {
        for (bool legacy : {false, true}) {
            ClipOptions options = TruncationClip();
            if (legacy) options.framesPerStdIndex = 0;
            ClipLayout layout;
            const std::string path =
                dir.File("shrink" + std::to_string(cutFrame) + (legacy ? "l.avi" : "o.avi"));
            ASSERT_TRUE(WriteClipFile(path, options, &layout));
            AVIReader reader;
            ASSERT_EQ(reader.Open(path.c_str()), dshow::kOk);
            // The standard indexes follow the movie data: read them before the cut when they are used.
            if (!legacy) {
                ASSERT_EQ(reader.Video().EnsureIndex(), dshow::kOk);
                ASSERT_EQ(reader.Audio().EnsureIndex(), dshow::kOk);
            }
            const uint64_t cut = layout.frameOffset[cutFrame] + 10;
            std::filesystem::resize_file(path, cut);
            std::vector<uint8_t> frame;
            for (uint32_t f = 0; f < options.frames; ++f) {
                bool inside = f < cutFrame;
                EXPECT_EQ(ReadFrame(reader, f, &frame), inside) << f;
                if (inside) {
                    EXPECT_EQ(reader.GetVideoFrameSize(f), FrameSize(options, f)) << f;
                }
            }
            std::vector<uint8_t> audio(options.frames * options.samplesPerChunk * 4);
            uint32_t got = 0;
            EXPECT_EQ(reader.Audio().ReadSamples(0, audio.data(), options.frames * options.samplesPerChunk, 4,
                                                 &got, nullptr),
                      dshow::kFail);
            EXPECT_EQ(got, cutFrame * options.samplesPerChunk);
            // Regrow it: the reader asks for the length again.
            ASSERT_TRUE(WriteClipFile(path, options));
            EXPECT_TRUE(ReadFrame(reader, options.frames - 1, &frame));
            EXPECT_EQ(frame, FrameBytes(options, options.frames - 1));
        }
    }
}
#endif

}  // namespace
}  // namespace test
}  // namespace krvx
