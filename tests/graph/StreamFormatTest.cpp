// Stream parameters read from the media types the source pins offer, in both video layouts and PCM.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include "graph/StreamFormat.h"

namespace krvx {
namespace graph {
namespace {

using namespace dshow;

constexpr uint32_t kKrvx = 0x5856524B;  // "KRVX"

struct TypeWithFormat {
    MediaType type{};
    std::vector<uint8_t> block;
};

// A video type whose bitmap header sits at `bitmapOffset` of a block of `blockSize` bytes.
TypeWithFormat VideoType(const Guid& formatType, uint32_t blockSize, uint32_t bitmapOffset,
                         ReferenceTime timePerFrame) {
    TypeWithFormat t;
    // The record is laid out whole; the type then claims only `blockSize` bytes of it.
    t.block.assign(std::max<size_t>(blockSize, bitmapOffset + sizeof(BitmapInfoHeader)), 0);
    std::memcpy(t.block.data() + 40, &timePerFrame, sizeof(timePerFrame));
    BitmapInfoHeader bitmap{40, 1920, 1080, 1, 32, kKrvx, 1920 * 1080 * 4, 0, 0, 0, 0};
    std::memcpy(t.block.data() + bitmapOffset, &bitmap, sizeof(bitmap));
    t.type.majorType = kMediaTypeVideo;
    t.type.subtype = FourCCSubtype(kKrvx);
    t.type.formatType = formatType;
    t.type.formatSize = blockSize;
    t.type.format = t.block.data();
    return t;
}

TypeWithFormat AudioType(uint16_t tag, uint32_t rate = 48000, uint16_t channels = 2) {
    TypeWithFormat t;
    const uint16_t blockAlign = static_cast<uint16_t>(channels * 2);
    WaveFormatEx wave{tag, channels, rate, rate * blockAlign, blockAlign, 16, 0};
    t.block.assign(sizeof(wave), 0);
    std::memcpy(t.block.data(), &wave, sizeof(wave));
    t.type.majorType = kMediaTypeAudio;
    t.type.subtype = kMediaSubtypePcm;
    t.type.formatType = kFormatWaveFormatEx;
    t.type.formatSize = sizeof(wave);
    t.type.format = t.block.data();
    return t;
}

TEST(StreamFormat, VideoInBothLayoutsGivesPictureAndReducedRate) {
    struct Case {
        Guid formatType;
        uint32_t blockSize, bitmapOffset;
        ReferenceTime timePerFrame;
        uint32_t rate, scale;
    } cases[] = {
        {kFormatVideoInfo, kVideoInfoSize, 48, 400000, 25, 1},
        {kFormatVideoInfo, 88, 48, 333667, 10000000, 333667},
        {kFormatVideoInfo2, 112, 72, 417084, 2500000, 104271},
    };
    for (const Case& c : cases) {
        TypeWithFormat t = VideoType(c.formatType, c.blockSize, c.bitmapOffset, c.timePerFrame);
        StreamFormat format;
        ASSERT_TRUE(ReadStreamFormat(t.type, &format)) << c.timePerFrame;
        EXPECT_TRUE(format.isVideo);
        EXPECT_EQ(format.width, 1920);
        EXPECT_EQ(format.height, 1080);
        EXPECT_EQ(format.bitCount, 32);
        EXPECT_EQ(format.compression, kKrvx);
        EXPECT_EQ(format.imageSize, 1920u * 1080u * 4u);
        EXPECT_EQ(format.rate, c.rate) << c.timePerFrame;
        EXPECT_EQ(format.scale, c.scale) << c.timePerFrame;
    }
}

TEST(StreamFormat, PcmAudioIsTakenWhole) {
    TypeWithFormat t = AudioType(kWaveFormatPcm);
    StreamFormat format;
    ASSERT_TRUE(ReadStreamFormat(t.type, &format));
    EXPECT_FALSE(format.isVideo);
    EXPECT_EQ(format.wave.channels, 2);
    EXPECT_EQ(format.wave.samplesPerSecond, 48000u);
    EXPECT_EQ(format.wave.averageBytesPerSecond, 192000u);
    EXPECT_EQ(format.wave.blockAlign, 4);
    EXPECT_EQ(format.wave.bitsPerSample, 16);
}

TEST(StreamFormat, RefusesWhatAMultiplexerCannotWrite) {
    StreamFormat format;
    // No frame duration: no rate to write.
    EXPECT_FALSE(ReadStreamFormat(VideoType(kFormatVideoInfo, 88, 48, 0).type, &format));
    // The block ends inside the bitmap header.
    EXPECT_FALSE(ReadStreamFormat(VideoType(kFormatVideoInfo, 80, 48, 400000).type, &format));
    EXPECT_FALSE(ReadStreamFormat(VideoType(kFormatVideoInfo2, 88, 48, 400000).type, &format));
    // Video with an audio format type.
    EXPECT_FALSE(ReadStreamFormat(VideoType(kFormatWaveFormatEx, 88, 48, 400000).type, &format));
    // Compressed audio tag, or a subtype other than PCM.
    EXPECT_FALSE(ReadStreamFormat(AudioType(0x55).type, &format));
    TypeWithFormat wrongSubtype = AudioType(kWaveFormatPcm);
    wrongSubtype.type.subtype = FourCCSubtype(0x55);
    EXPECT_FALSE(ReadStreamFormat(wrongSubtype.type, &format));
    TypeWithFormat stream = AudioType(kWaveFormatPcm);
    stream.type.majorType = kMediaTypeStream;
    EXPECT_FALSE(ReadStreamFormat(stream.type, &format));
}

TEST(StreamFormat, RefusesSizesAndRatesPastTheFieldsTheyGoTo) {
    StreamFormat format;
    // A picture without a width or height, or one whose top-down height has no positive size.
    for (std::pair<int32_t, int32_t> size : {std::make_pair(0, 1080), std::make_pair(-1920, 1080),
                                             std::make_pair(1920, 0), std::make_pair(1920, INT32_MIN)}) {
        TypeWithFormat t = VideoType(kFormatVideoInfo, 88, 48, 400000);
        std::memcpy(t.block.data() + 48 + 4, &size.first, 4);
        std::memcpy(t.block.data() + 48 + 8, &size.second, 4);
        EXPECT_FALSE(ReadStreamFormat(t.type, &format)) << size.first << " x " << size.second;
    }
    TypeWithFormat topDown = VideoType(kFormatVideoInfo, 88, 48, 400000);
    const int32_t upward = -1080;
    std::memcpy(topDown.block.data() + 48 + 8, &upward, 4);
    ASSERT_TRUE(ReadStreamFormat(topDown.type, &format));
    EXPECT_EQ(format.height, -1080);

    // One second of audio past 32 bits: 65538 blocks of 65534 bytes still fit, one more does not.
    EXPECT_TRUE(ReadStreamFormat(AudioType(kWaveFormatPcm, 65538, 32767).type, &format));
    EXPECT_FALSE(ReadStreamFormat(AudioType(kWaveFormatPcm, 65539, 32767).type, &format));
    EXPECT_FALSE(ReadStreamFormat(AudioType(kWaveFormatPcm, 0x7FFFFFFF, 2).type, &format));
}

}  // namespace
}  // namespace graph
}  // namespace krvx
