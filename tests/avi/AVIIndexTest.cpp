#include <gtest/gtest.h>

#include <cstring>

#include "AVIParts.h"
#include "TestSupport.h"

namespace krvx {
namespace test {
namespace {

// "idx1" entries are sorted into the streams by the third character of their identifier and point
// 16 bytes past the "movi" list header plus their offset.
TEST(AVIOldIndex, SortsEntriesAndFindsTheirData) {
    TempDir dir;
    auto between = [](RiffWriter& w) {
        uint64_t at = w.BeginChunk("JUNK");
        w.Skip(2048 - w.Tell());
        w.End(at);
    };
    auto movi = [](RiffWriter& w) { w.Chunk("00dc", std::vector<uint8_t>(1000, 1).data(), 1000); };
    auto idx1 = [](RiffWriter& w) {
        Idx1Entry(w, "00db", 0x10, 4, 100);
        Idx1Entry(w, "01wb", 0x10, 120, 50);
        Idx1Entry(w, "ix00", 0x10, 200, 24);
        Idx1Entry(w, "00pc", 0x10, 240, 4);
        Idx1Entry(w, "00dc", 0, 300, 200);
        Idx1Entry(w, "rec ", 0, 0, 1000);
        Idx1Entry(w, "02wb", 0, 600, 60);
    };
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, AVIFileBytes({}, between, movi, idx1), reader), dshow::kOk);
    AVIOldIndex& video = reader.Video().OldIndex();
    AVIOldIndex& audio = reader.Audio().OldIndex();
    ASSERT_EQ(video.Count(), 2u);
    ASSERT_EQ(audio.Count(), 2u);
    uint64_t offset = 0;
    uint32_t size = 0;
    ASSERT_EQ(video.GetEntry(0, &offset, &size), dshow::kOk);
    EXPECT_EQ(offset, 2068u);
    EXPECT_EQ(size, 100u);
    EXPECT_EQ(video.IsKeyFrame(0), 1u);
    ASSERT_EQ(video.GetEntry(1, &offset, &size), dshow::kOk);
    EXPECT_EQ(offset, 2048u + 16 + 300);
    EXPECT_EQ(video.IsKeyFrame(1), 0u);
    ASSERT_EQ(audio.GetEntry(1, &offset, &size), dshow::kOk);
    EXPECT_EQ(size, 60u);
    EXPECT_EQ(video.GetEntry(2, &offset, &size), dshow::kFail);
    EXPECT_EQ(video.IsKeyFrame(2), 0u);
    EXPECT_EQ(reader.GetVideoFrameSize(1), 200u);
    EXPECT_EQ(reader.IsVideoKeyFrame(0), 1u);
}

constexpr char kIndx[] = "indx";

struct OpenDmlClip {
    ClipOptions options;
    ClipLayout layout;
    std::vector<uint8_t> bytes;
    size_t videoIndx = 0;  // offset of the video "indx" chunk in bytes

    OpenDmlClip() {
        options.frames = 3000;
        options.frameSize = 4;
        options.audio = false;
        options.keyInterval = 3;
        options.stdIndexCounts = {1000, 1200, 800};
        bytes = BuildClip(options, &layout);
        videoIndx = std::search(bytes.begin(), bytes.end(), kIndx, kIndx + 4) - bytes.begin();
    }
    void PatchU32(size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); }
    // The n-th super index entry's file offset.
    size_t EntryOffset(uint32_t n) const { return videoIndx + 8 + 24 + 16 * n; }
};

TEST(AVISuperIndex, FramesAcrossStandardIndexes) {
    TempDir dir;
    OpenDmlClip clip;
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, clip.bytes, reader), dshow::kOk);
    ASSERT_EQ(reader.Video().SuperIndex().EntriesInUse(), 3u);
    EXPECT_FALSE(reader.Video().SuperIndex().StandardIndexesAllocated());  // read on first use
    for (uint32_t frame : {0u, 999u, 1000u, 2199u, 2200u, 2999u}) {
        uint64_t offset = 0;
        uint32_t size = 0, lead = 0, alignedSize = 0;
        ASSERT_EQ(reader.Video().GetAlignedFrameLocation(frame, 1, &size, &lead, &offset, &alignedSize),
                  dshow::kOk);
        EXPECT_EQ(offset, clip.layout.frameOffset[frame]) << frame;
        EXPECT_EQ(size, 4u) << frame;  // bit 31 (not a key frame) is masked
        EXPECT_EQ(reader.IsVideoKeyFrame(frame), IsKeyFrame(clip.options, frame) ? 1u : 0u) << frame;
    }
    EXPECT_TRUE(reader.Video().SuperIndex().StandardIndexesAllocated());
    EXPECT_EQ(reader.GetVideoFrameSize(3000), 0u);
    EXPECT_EQ(reader.Video().GetAlignedFrameLocation(3000, 512, nullptr, nullptr, nullptr, nullptr),
              dshow::kFail);
    EXPECT_EQ(reader.IsVideoKeyFrame(3000), 0u);
}

// A load that fails part-way keeps the chunks read before the failure and is not tried again.
TEST(AVISuperIndex, PartialLoadKeepsEarlierChunks) {
    TempDir dir;
    OpenDmlClip clip;
    uint64_t frameChunk = clip.layout.frameOffset[5] - 8;  // "00dc", not a standard index
    clip.PatchU32(clip.EntryOffset(1), static_cast<uint32_t>(frameChunk));
    clip.PatchU32(clip.EntryOffset(1) + 4, 0);
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, clip.bytes, reader), dshow::kOk);
    EXPECT_EQ(reader.GetVideoFrameSize(0), 0u);
    EXPECT_EQ(reader.GetVideoFrameSize(0), 4u);
    EXPECT_EQ(reader.GetVideoFrameSize(999), 4u);
    EXPECT_EQ(reader.GetVideoFrameSize(1000), 0u);
    EXPECT_EQ(reader.GetVideoFrameSize(2500), 0u);
}

// Counts larger than their chunk are clamped; offsets outside the file and a chunk named many times over
// are refused.
TEST(AVISuperIndex, ClaimsAreCheckedAgainstChunksAndFile) {
    TempDir dir;
    {
        OpenDmlClip clip;
        clip.PatchU32(clip.videoIndx + 8 + 4, 0x00FFFFFF);  // super index entries in use
        uint64_t ix = clip.layout.frameOffset[2999] + 4;    // the first ix00 follows the last frame
        clip.PatchU32(static_cast<size_t>(ix) + 8 + 4, 0x7FFFFFFF);
        AVIReader reader;
        ASSERT_EQ(OpenBytes(dir, clip.bytes, reader, "a.avi"), dshow::kOk);
        EXPECT_EQ(reader.Video().SuperIndex().EntriesInUse(), 3u);
        EXPECT_EQ(reader.GetVideoFrameSize(999), 4u);
        EXPECT_EQ(reader.GetVideoFrameSize(1000), 4u);  // the second chunk still answers for 1000
    }
    {
        OpenDmlClip clip;
        clip.PatchU32(clip.EntryOffset(2) + 4, 0x10);  // far past the end of the file
        AVIReader reader;
        ASSERT_EQ(OpenBytes(dir, clip.bytes, reader, "b.avi"), dshow::kOk);
        EXPECT_EQ(reader.GetVideoFrameSize(2500), 0u);
        EXPECT_EQ(reader.GetVideoFrameSize(100), 4u);
    }
}

TEST(AVIStreamIndex, EmptyIndexesFailEveryOperation) {
    TempDir dir;
    auto hdrl = [](RiffWriter& w) {
        Avih(w, 1);
        Strl(w, "vids");
        uint64_t list = w.BeginList("LIST", "strl");
        Strh(w, "auds", 56, 1000, 4);
        w.Chunk("strf", std::vector<uint8_t>(18, 1).data(), 18);
        w.End(list);
    };
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, AVIFileBytes(hdrl, {}, {}, [](RiffWriter&) {}), reader), dshow::kOk);
    EXPECT_EQ(reader.IsVideoKeyFrame(0), 0x80004005u);
    EXPECT_EQ(reader.GetVideoFrameSize(0), 0u);
    EXPECT_EQ(reader.Video().GetAlignedFrameLocation(0, 512, nullptr, nullptr, nullptr, nullptr),
              dshow::kFail);
    EXPECT_EQ(reader.Audio().SeekToStart(), dshow::kFail);
    uint8_t buffer[64];
    uint32_t got = 7;
    EXPECT_EQ(reader.Audio().ReadSamples(0, buffer, 16, 4, &got, nullptr), dshow::kFail);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(reader.Audio().ReadSamples(5, buffer, 16, 4, &got, nullptr), dshow::kFail);
}

}  // namespace
}  // namespace test
}  // namespace krvx
