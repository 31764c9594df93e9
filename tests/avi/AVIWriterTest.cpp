// The clips the encoder writes through the AVI writer: headers, legacy index, OpenDML indexes and
// continuation forms, checked with a small RIFF walker of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "RiffWalk.h"
#include "codec/core/Bitstream.h"
#include "tests/codec/CodecTestSupport.h"
#include "tools/clip-writer/ClipWriter.h"

namespace krvx {
namespace codectest {
namespace {

using codec::ReadU16;
using codec::ReadU32;
using test::AVIFile;
using test::Chunk;

std::string TempPath(const char* name) {
    return ::testing::TempDir() + name;
}

TEST(AVIWriter, PlainClipHasHeadersMovieDataAndLegacyIndex) {
    encode::ClipOptions options;
    options.width = 64;
    options.height = 36;
    options.frames = 7;
    options.gop = 3;
    options.rate = 30000;
    options.scale = 1001;
    options.format = encode::kFormatRgba;
    options.fieldValue = KRVX_FIELD_UPPER_FIRST;
    options.audioRate = 11025;  // 367.5 samples a frame: chunk sizes vary, some odd with 24-bit mono
    options.audioChannels = 1;
    options.audioBits = 24;
    const std::string path = TempPath("krvx_plain.avi");
    uint32_t progressCalls = 0;
    ASSERT_EQ(encode::WriteClip(options, path.c_str(),
                                [&](uint32_t done, uint32_t total) {
                                    EXPECT_EQ(total, 7u);
                                    EXPECT_EQ(done, ++progressCalls);
                                }),
              0);
    EXPECT_EQ(progressCalls, 7u);

    AVIFile avi(path);
    const auto top = avi.Level(0, avi.bytes.size());
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(top[0].listType, "AVI ");
    const auto form = avi.Inside(top[0]);
    ASSERT_EQ(form.size(), 3u);
    ASSERT_EQ(form[0].listType, "hdrl");
    ASSERT_EQ(form[1].listType, "movi");
    ASSERT_EQ(form[2].id, "idx1");  // directly after the movie list

    const auto hdrl = avi.Inside(form[0]);
    const Chunk* avih = avi.Find(hdrl, "avih");
    ASSERT_NE(avih, nullptr);
    ASSERT_EQ(avih->size, 56u);
    const uint64_t a = avih->pos + 8;
    EXPECT_EQ(avi.U32(a), 33367u);       // microseconds per frame
    EXPECT_EQ(avi.U32(a + 12), 0x110u);  // has index, interleaved
    EXPECT_EQ(avi.U32(a + 16), 7u);
    EXPECT_EQ(avi.U32(a + 24), 2u);
    EXPECT_EQ(avi.U32(a + 32), 64u);
    EXPECT_EQ(avi.U32(a + 36), 36u);
    EXPECT_EQ(avi.Find(hdrl, "LIST", "odml"), nullptr);

    std::vector<const Chunk*> strls;
    for (const Chunk& c : hdrl) {
        if (c.listType == "strl") strls.push_back(&c);
    }
    ASSERT_EQ(strls.size(), 2u);
    const auto video = avi.Inside(*strls[0]);
    ASSERT_EQ(video[0].id, "strh");
    ASSERT_EQ(video[1].id, "strf");
    EXPECT_EQ(avi.Find(video, "indx"), nullptr);
    const uint64_t vh = video[0].pos + 8, vf = video[1].pos + 8;
    EXPECT_EQ(avi.Id(vh), "vids");
    EXPECT_EQ(avi.Id(vh + 4), "KRVX");
    EXPECT_EQ(avi.U32(vh + 20), 1001u);
    EXPECT_EQ(avi.U32(vh + 24), 30000u);
    EXPECT_EQ(avi.U32(vh + 32), 7u);
    EXPECT_EQ(avi.U32(vf), 40u);
    EXPECT_EQ(avi.U32(vf + 4), 64u);
    EXPECT_EQ(ReadU16(&avi.bytes[vf + 14]), 32u);
    EXPECT_EQ(avi.Id(vf + 16), "KRVX");

    const auto audio = avi.Inside(*strls[1]);
    const uint64_t ah = audio[0].pos + 8, af = audio[1].pos + 8;
    EXPECT_EQ(avi.Id(ah), "auds");
    EXPECT_EQ(avi.U32(ah + 20), 1u);
    EXPECT_EQ(avi.U32(ah + 24), 11025u);
    EXPECT_EQ(avi.U32(ah + 44), 3u);
    EXPECT_EQ(audio[1].size, 18u);
    EXPECT_EQ(ReadU16(&avi.bytes[af]), 1u);
    EXPECT_EQ(ReadU16(&avi.bytes[af + 2]), 1u);
    EXPECT_EQ(avi.U32(af + 4), 11025u);
    EXPECT_EQ(avi.U32(af + 8), 33075u);
    EXPECT_EQ(ReadU16(&avi.bytes[af + 12]), 3u);
    EXPECT_EQ(ReadU16(&avi.bytes[af + 14]), 24u);

    // Legacy index: offsets from the "movi" type to chunk headers, key-frame flags on frames 0, 3 and 6.
    const Chunk& movi = form[1];
    const Chunk& idx1 = form[2];
    const uint64_t audioFrames = uint64_t(7) * 11025 * 1001 / 30000;
    uint32_t videoEntries = 0;
    uint64_t audioBytes = 0;
    CountingAllocator allocator;
    DecoderPtr decoder = MakeDecoder(&allocator);
    for (uint32_t e = 0; e < idx1.size / 16; ++e) {
        const uint64_t entry = idx1.pos + 8 + 16 * e;
        const std::string id = avi.Id(entry);
        const uint64_t header = movi.pos + 8 + avi.U32(entry + 8);
        ASSERT_EQ(avi.Id(header), id);
        ASSERT_EQ(avi.U32(header + 4), avi.U32(entry + 12));
        if (id == "00dc") {
            const bool key = videoEntries % 3 == 0;
            EXPECT_EQ(avi.U32(entry + 4), key ? 0x10u : 0u);
            const std::vector<uint8_t> sample(avi.bytes.begin() + header + 8,
                                              avi.bytes.begin() + header + 8 + avi.U32(header + 4));
            KRVX_SampleInfo info;
            ASSERT_EQ(decoder->GetSampleInfo(sample.data(), uint32_t(sample.size()), &info), 0);
            EXPECT_EQ(info.keyFrame, key ? 1u : 0u);
            EXPECT_EQ(info.fieldValue, uint32_t(KRVX_FIELD_UPPER_FIRST));
            EXPECT_EQ(info.encodedFormat, 2u);
            KRVX_Error error;
            DecodeToRows(*decoder, sample, KRVX_PIXEL_FORMAT_BGRA, 1, error);
            EXPECT_EQ(error, 0);
            ++videoEntries;
        } else {
            ASSERT_EQ(id, "01wb");
            audioBytes += avi.U32(entry + 12);
        }
    }
    EXPECT_EQ(videoEntries, 7u);
    EXPECT_EQ(audioBytes, audioFrames * 3);
    EXPECT_EQ(avi.U32(ah + 32), audioFrames);
    // The audio of the file is the documented tone.
    std::vector<uint8_t> pcm;
    encode::RenderAudio(options, 0, 5, pcm);
    const uint64_t firstAudio = avi.Find(avi.Inside(movi), "01wb")->pos + 8;
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), avi.bytes.begin() + firstAudio));
    std::remove(path.c_str());
}

TEST(AVIWriter, OpenDmlClipSplitsIntoContinuationFormsWithTwoLevelIndexes) {
    encode::ClipOptions options;
    options.width = 160;
    options.height = 90;
    options.frames = 40;
    options.gop = 4;
    options.pattern = encode::kPatternZonePlate;
    options.openDml = true;
    options.riffLimit = 200000;
    const std::string path = TempPath("krvx_odml.avi");
    ASSERT_EQ(encode::WriteClip(options, path.c_str(), nullptr), 0);

    AVIFile avi(path);
    const auto top = avi.Level(0, avi.bytes.size());
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0].listType, "AVI ");
    for (size_t i = 1; i < top.size(); ++i) EXPECT_EQ(top[i].listType, "AVIX");
    for (const Chunk& riff : top) EXPECT_LE(riff.size + 8u, options.riffLimit);

    const auto form = avi.Inside(top[0]);
    const auto hdrl = avi.Inside(form[0]);
    ASSERT_EQ(form[2].id, "idx1");
    const Chunk* odml = avi.Find(hdrl, "LIST", "odml");
    ASSERT_NE(odml, nullptr);
    const auto dmlh = avi.Inside(*odml);
    ASSERT_EQ(dmlh[0].id, "dmlh");
    EXPECT_EQ(avi.U32(dmlh[0].pos + 8), 40u);
    const uint32_t firstFormFrames = avi.U32(avi.Find(hdrl, "avih")->pos + 8 + 16);
    EXPECT_LT(firstFormFrames, 40u);
    EXPECT_EQ(form[2].size / 16,
              firstFormFrames + (avi.Find(avi.Inside(form[1]), "01wb") ? firstFormFrames : 0));

    std::map<std::string, uint64_t> framesPerStream;
    for (const Chunk& c : hdrl) {
        if (c.listType != "strl") continue;
        const auto strl = avi.Inside(c);
        const Chunk* indx = avi.Find(strl, "indx");
        ASSERT_NE(indx, nullptr);
        const uint64_t d = indx->pos + 8;
        EXPECT_EQ(ReadU16(&avi.bytes[d]), 4u);
        EXPECT_EQ(avi.bytes[d + 3], 0u);
        const uint32_t inUse = avi.U32(d + 4);
        const std::string stream = avi.Id(d + 8);
        EXPECT_EQ(inUse, top.size()) << stream;  // one standard index per form
        EXPECT_LE(inUse, (indx->size - 24) / 16);
        uint32_t frame = 0;
        for (uint32_t i = 0; i < inUse; ++i) {
            const uint64_t e = d + 24 + 16 * i;
            const uint64_t ixPos = avi.U32(e) | uint64_t(avi.U32(e + 4)) << 32;
            const std::string ix = avi.Id(ixPos);
            EXPECT_EQ(ix, stream == "00dc" ? "ix00" : "ix01");
            EXPECT_EQ(avi.U32(e + 8), avi.U32(ixPos + 4) + 8);
            const uint64_t s = ixPos + 8;
            EXPECT_EQ(ReadU16(&avi.bytes[s]), 2u);
            EXPECT_EQ(avi.bytes[s + 2], 0u);
            EXPECT_EQ(avi.bytes[s + 3], 1u);
            const uint32_t entries = avi.U32(s + 4);
            EXPECT_EQ(avi.Id(s + 8), stream);
            EXPECT_EQ(avi.U32(ixPos + 4), 24 + 8 * entries);
            const uint64_t base = avi.U32(s + 12) | uint64_t(avi.U32(s + 16)) << 32;
            if (stream == "00dc") {
                EXPECT_EQ(avi.U32(e + 12), entries);
            }
            for (uint32_t k = 0; k < entries; ++k) {
                const uint64_t dataPos = base + avi.U32(s + 24 + 8 * k);
                const uint32_t size = avi.U32(s + 28 + 8 * k);
                ASSERT_EQ(avi.Id(dataPos - 8), stream);
                ASSERT_EQ(avi.U32(dataPos - 4), size & 0x7FFFFFFFu);
                if (stream == "00dc") {
                    EXPECT_EQ((size & 0x80000000u) == 0, frame % 4 == 0) << frame;
                    ++frame;
                } else {
                    EXPECT_EQ(size & 0x80000000u, 0u);
                    frame += (size & 0x7FFFFFFFu) / 4;
                }
            }
        }
        framesPerStream[stream] = frame;
    }
    EXPECT_EQ(framesPerStream["00dc"], 40u);
    EXPECT_EQ(framesPerStream["01wb"], 40u * 48000 / 25);
    std::remove(path.c_str());
}

TEST(AVIWriter, RefusesBadOptionsAndUnwritablePaths) {
    encode::ClipOptions options;
    options.width = 16;
    options.height = 16;
    options.frames = 1;
    const std::string path = TempPath("krvx_bad.avi");
    options.gop = 0;
    EXPECT_EQ(encode::WriteClip(options, path.c_str(), nullptr), encode::kEncodeBadArgument);
    options.gop = 1;
    options.rate = 0;
    EXPECT_EQ(encode::WriteClip(options, path.c_str(), nullptr), encode::kEncodeBadArgument);
    options.rate = 25;
    EXPECT_EQ(encode::WriteClip(options, (TempPath("no_such_dir") + "/x/clip.avi").c_str(), nullptr),
              encode::kEncodeIoError);
    options.source = [](uint32_t, encode::Picture&) { return false; };
    EXPECT_EQ(encode::WriteClip(options, path.c_str(), nullptr), encode::kEncodeSourceFailed);
    options.source = [](uint32_t, encode::Picture& p) {
        p = encode::Picture::Make(8, 8, encode::kFormatRgb);
        return true;
    };
    EXPECT_EQ(encode::WriteClip(options, path.c_str(), nullptr), encode::kEncodeBadPicture);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
