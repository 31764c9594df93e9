// Metadata items come back in stored order per track; the colour settings change the picture as documented.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/core/ColourMath.h"
#include "tests/codec/CodecTestSupport.h"

namespace krvx {
namespace codectest {
namespace {

uint32_t Tag(const char* t) {
    return uint32_t(uint8_t(t[0])) | uint32_t(uint8_t(t[1])) << 8 | uint32_t(uint8_t(t[2])) << 16 |
           uint32_t(uint8_t(t[3])) << 24;
}

struct Item {
    uint32_t tag, type;
    std::string data;
};

std::vector<Item> ReadTrack(const std::vector<uint8_t>& sample, uint32_t track, KRVX_Error& initResult) {
    std::vector<Item> items;
    KRVX_MetadataHandle handle = nullptr;
    EXPECT_EQ(KRVX_OpenMetadata(&handle), 0);
    initResult = KRVX_InitSampleMetadata(handle, track, sample.data(), uint32_t(sample.size()));
    uint32_t tag, type, size;
    const void* data;
    while (KRVX_ReadMetadata(handle, &tag, &type, &size, &data) == 0) {
        items.push_back({tag, type, std::string(static_cast<const char*>(data), size)});
    }
    KRVX_CloseMetadata(handle);
    return items;
}

TEST(Metadata, ItemsComeBackInStoredOrderPerTrack) {
    std::vector<encode::MetadataItem> meta;
    meta.push_back(encode::MetadataItem::Text(KRVX_TRACK_CLIP, "TIMC", "01:00:00:00"));
    meta.push_back(encode::MetadataItem::Int32(KRVX_TRACK_COLOUR, "CMIX", -128));
    meta.push_back(encode::MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "A001"));  // odd length: padded
    meta.push_back(encode::MetadataItem::Int32(KRVX_TRACK_CLIP, "TAKE", -7));
    meta.push_back(encode::MetadataItem::UInt32(KRVX_TRACK_CLIP, "PRNT", 0xDEADBEEFu));
    meta.push_back(encode::MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "B002"));  // repeated tag kept
    meta.push_back(encode::MetadataItem::Text(KRVX_TRACK_CLIP, "LOGC", std::string(300, 'x')));
    const auto samples = EncodeFrames(encode::kPatternBars, 32, 16, encode::kFormatYuv, 2, 2, nullptr, meta);
    for (const auto& sample : samples) {  // every sample carries the items, dependent ones too
        KRVX_Error init;
        const auto clip = ReadTrack(sample, KRVX_TRACK_CLIP, init);
        ASSERT_EQ(init, 0);
        ASSERT_EQ(clip.size(), 6u);
        EXPECT_EQ(clip[0].tag, Tag("TIMC"));
        EXPECT_EQ(clip[0].type, uint32_t(KRVX_METADATA_TEXT));
        EXPECT_EQ(clip[0].data, "01:00:00:00");
        EXPECT_EQ(clip[1].data, "A001");
        EXPECT_EQ(clip[2].tag, Tag("TAKE"));
        EXPECT_EQ(clip[2].type, uint32_t(KRVX_METADATA_INT32));
        int32_t take;
        std::memcpy(&take, clip[2].data.data(), 4);
        EXPECT_EQ(take, -7);
        EXPECT_EQ(clip[3].type, uint32_t(KRVX_METADATA_UINT32));
        uint32_t prnt;
        std::memcpy(&prnt, clip[3].data.data(), 4);
        EXPECT_EQ(prnt, 0xDEADBEEFu);
        EXPECT_EQ(clip[4].data, "B002");
        EXPECT_EQ(clip[5].data.size(), 300u);
        const auto colour = ReadTrack(sample, KRVX_TRACK_COLOUR, init);
        ASSERT_EQ(colour.size(), 1u);
        EXPECT_EQ(colour[0].tag, Tag("CMIX"));
        EXPECT_TRUE(ReadTrack(sample, 1, init).empty());
    }
}

TEST(Metadata, ReaderRefusesBadInputAndEndsCleanly) {
    const auto samples = EncodeFrames(encode::kPatternBars, 16, 8, encode::kFormatRgb, 1, 1);
    KRVX_MetadataHandle handle = nullptr;
    EXPECT_EQ(KRVX_OpenMetadata(nullptr), KRVX_ERROR_INVALID_ARGUMENT);
    ASSERT_EQ(KRVX_OpenMetadata(&handle), 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(KRVX_InitSampleMetadata(handle, 0, samples[0].data(), 20), KRVX_ERROR_BAD_SAMPLE);
    EXPECT_EQ(KRVX_InitSampleMetadata(handle, 0, nullptr, 100), KRVX_ERROR_INVALID_ARGUMENT);
    uint32_t tag, type, size;
    const void* data;
    EXPECT_EQ(KRVX_ReadMetadata(handle, &tag, &type, &size, &data), KRVX_ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(KRVX_InitSampleMetadata(handle, 0, samples[0].data(), uint32_t(samples[0].size())), 0);
    EXPECT_EQ(KRVX_ReadMetadata(handle, &tag, &type, &size, &data), KRVX_ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(KRVX_ReadMetadata(handle, nullptr, &type, &size, &data), KRVX_ERROR_INVALID_ARGUMENT);
    KRVX_CloseMetadata(handle);
    KRVX_CloseMetadata(nullptr);
}

TEST(Metadata, CommandLineItemsTakeTheTypeOfTheirTag) {
    encode::MetadataItem item;
    ASSERT_TRUE(encode::MakeMetadataItem("SCEN", "12", item));
    EXPECT_EQ(item.type, uint32_t(KRVX_METADATA_INT32));
    EXPECT_EQ(item.track, uint32_t(KRVX_TRACK_CLIP));
    EXPECT_FALSE(encode::MakeMetadataItem("SCEN", "twelve", item));
    ASSERT_TRUE(encode::MakeMetadataItem("PRNT", "0x12345678", item));
    EXPECT_EQ(item.type, uint32_t(KRVX_METADATA_UINT32));
    ASSERT_TRUE(encode::MakeMetadataItem("CMVL", "-40", item));
    EXPECT_EQ(item.track, uint32_t(KRVX_TRACK_COLOUR));
    ASSERT_TRUE(encode::MakeMetadataItem("DATE", "2026-12-06", item));
    EXPECT_EQ(item.type, uint32_t(KRVX_METADATA_TEXT));
    EXPECT_FALSE(encode::MakeMetadataItem("TOOLONG", "1", item));
}

class ColourSettings : public ::testing::Test {
protected:
    KRVX_Error Set(const char* tag, int32_t value, uint32_t size = 4, uint32_t type = KRVX_METADATA_INT32) {
        return KRVX_SetActiveMetadata(decoder.get(), handle, Tag(tag), type, &value, size);
    }
    void SetUp() override {
        decoder = MakeDecoder(&allocator);
        ASSERT_EQ(KRVX_OpenMetadata(&handle), 0);
    }
    void TearDown() override { KRVX_CloseMetadata(handle); }
    std::vector<uint16_t> Decode16(const std::vector<uint8_t>& sample, uint32_t format) {
        KRVX_Error error;
        const auto rows = DecodeToRows(*decoder, sample, format, 1, error);
        EXPECT_EQ(error, 0);
        std::vector<uint16_t> values(rows.size() / 2);
        std::memcpy(values.data(), rows.data(), rows.size());
        return values;
    }

    CountingAllocator allocator;
    DecoderPtr decoder;
    KRVX_MetadataHandle handle = nullptr;
};

TEST_F(ColourSettings, InactiveSettingsLeaveThePictureAsCoded) {
    std::vector<encode::Picture> pictures;
    const auto samples = EncodeFrames(encode::kPatternGradient, 24, 12, encode::kFormatRgb, 1, 1, &pictures);
    ASSERT_EQ(Set("CACT", 0), 0);
    ASSERT_EQ(Set("CMIX", -256), 0);
    ASSERT_EQ(Set("CMVL", 500), 0);
    uint32_t w, h, rowBytes;
    const auto want = ExpectedOutput(pictures[0], 1, KRVX_PIXEL_FORMAT_BGRA, w, h, rowBytes);
    KRVX_Error error;
    EXPECT_EQ(DecodeToRows(*decoder, samples[0], KRVX_PIXEL_FORMAT_BGRA, 1, error), want);
}

TEST_F(ColourSettings, MixScalesColourAndLevelLiftsLuma) {
    std::vector<encode::Picture> pictures;
    const auto rgb = EncodeFrames(encode::kPatternBars, 32, 8, encode::kFormatRgb, 1, 1, &pictures);
    ASSERT_EQ(Set("CACT", 1), 0);
    ASSERT_EQ(Set("CMIX", -256), 0);  // no colour left
    ASSERT_EQ(Set("CMVL", 0), 0);
    auto v = Decode16(rgb[0], KRVX_PIXEL_FORMAT_WP13);
    for (size_t i = 0; i < v.size(); i += 3) {
        ASSERT_EQ(v[i], v[i + 1]);
        ASSERT_EQ(v[i], v[i + 2]);
    }
    // Pixel 0 of the bars is 75% grey already; pixel 5 lies in the yellow bar (3071, 3071, 0):
    // luma = (54 * 3071 + 183 * 3071 + 128) >> 8 = 2843.
    EXPECT_EQ(v[3 * 5], codec::Rgb12To13(2843));
    ASSERT_EQ(Set("CMIX", 0), 0);
    ASSERT_EQ(Set("CMVL", 100), 0);  // + 100 on every channel
    v = Decode16(rgb[0], KRVX_PIXEL_FORMAT_WP13);
    EXPECT_EQ(v[3 * 5], codec::Rgb12To13(3171));
    EXPECT_EQ(v[3 * 5 + 2], codec::Rgb12To13(100));

    pictures.clear();
    const auto yuv = EncodeFrames(encode::kPatternBars, 32, 8, encode::kFormatYuv, 1, 1, &pictures);
    ASSERT_EQ(Set("CMIX", 256), 0);  // chroma distance doubled
    ASSERT_EQ(Set("CMVL", -40), 0);
    v = Decode16(yuv[0], KRVX_PIXEL_FORMAT_YU64);
    const auto& in = pictures[0].planes;
    for (uint32_t pair = 0; pair < 16; ++pair) {
        const int32_t y0 = in[0][2 * pair] - 40;
        const int32_t cb = std::min(1023, std::max(0, 512 + 2 * (in[1][pair] - 512)));
        EXPECT_EQ(v[4 * pair], codec::Yuv10To16(std::max(0, y0)));
        EXPECT_EQ(v[4 * pair + 3], codec::Yuv10To16(cb));
    }
}

TEST_F(ColourSettings, InvertTurnsThePictureIntoItsNegativeAndStaysUntilChanged) {
    std::vector<encode::Picture> pictures;
    const auto samples = EncodeFrames(encode::kPatternBox, 20, 10, encode::kFormatRgba, 2, 5, &pictures);
    ASSERT_EQ(Set("CACT", 2), 0);
    for (size_t f = 0; f < samples.size(); ++f) {
        const auto v = Decode16(samples[f], KRVX_PIXEL_FORMAT_B64A);
        for (size_t i = 0; i < size_t(20) * 10; ++i) {
            ASSERT_EQ(v[4 * i], codec::Rgb12To16(pictures[f].planes[3][i]));  // alpha unchanged
            ASSERT_EQ(v[4 * i + 1], codec::Rgb12To16(4095 - pictures[f].planes[0][i]));
        }
    }
    ASSERT_EQ(Set("CACT", 0), 0);
    EXPECT_EQ(Decode16(samples[0], KRVX_PIXEL_FORMAT_B64A)[1], codec::Rgb12To16(pictures[0].planes[0][0]));
}

TEST_F(ColourSettings, OnlyTheThreeSettingsAreAccepted) {
    EXPECT_EQ(Set("CACT", 1), 0);
    EXPECT_EQ(Set("CMIX", 1, 4, KRVX_METADATA_UINT32), 0);
    EXPECT_EQ(Set("REEL", 1), KRVX_ERROR_UNKNOWN_TAG);
    EXPECT_EQ(Set("CMVL", 1, 2), KRVX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(Set("CMVL", 1, 4, KRVX_METADATA_TEXT), KRVX_ERROR_INVALID_ARGUMENT);
    int32_t value = 0;
    EXPECT_EQ(KRVX_SetActiveMetadata(nullptr, handle, Tag("CACT"), 2, &value, 4),
              KRVX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(KRVX_SetActiveMetadata(decoder.get(), handle, Tag("CACT"), 2, nullptr, 4),
              KRVX_ERROR_INVALID_ARGUMENT);
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
