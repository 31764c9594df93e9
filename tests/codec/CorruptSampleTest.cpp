// Bad samples are refused with an error code and never crash; the decoder stays usable and its reference
// state survives a refused sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec/core/Bitstream.h"
#include "tests/codec/CodecTestSupport.h"

namespace krvx {
namespace codectest {
namespace {

constexpr uint32_t kBgra = KRVX_PIXEL_FORMAT_BGRA;

// Rewrites every checksum so that only the structure of the (damaged) data can reveal the damage.
void ResealChecksums(std::vector<uint8_t>& s) {
    using namespace codec;
    const uint32_t metadataBytes = ReadU32(&s[12]);
    const int planes = PlaneCount(s[6]);
    uint8_t* directory = s.data() + kHeaderBytes + metadataBytes;
    const uint32_t directoryBytes = uint32_t(planes * kBandsPerPlane * 8 + 4);
    uint8_t* data = directory + directoryBytes;
    const uint8_t* end = s.data() + s.size();
    for (int i = 0; i < planes * kBandsPerPlane; ++i) {
        const uint32_t bytes = ReadU32(directory + 8 * i);
        if (bytes > size_t(end - data)) break;  // sizes that overrun the sample keep their old checksums
        WriteU32(directory + 8 * i + 4, Checksum(data, bytes));
        data += bytes;
    }
    WriteU32(directory + directoryBytes - 4, Checksum(directory, directoryBytes - 4));
    WriteU32(&s[28], Checksum(s.data(), 28));
}

class CorruptSample : public ::testing::Test {
protected:
    void SetUp() override {
        samples = EncodeFrames(encode::kPatternZonePlate, 24, 16, encode::kFormatRgba, 3, 10, &pictures,
                               {encode::MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "R1")});
        decoder = MakeDecoder(&allocator);
        uint32_t w, h;
        for (const auto& p : pictures) good.push_back(ExpectedOutput(p, 1, kBgra, w, h, rowBytes));
        output.resize(size_t(rowBytes) * h);
    }
    KRVX_Error DecodeRaw(const std::vector<uint8_t>& s, uint32_t size) {
        decoder->PrepareDecode(0, 0, kBgra, 1, 0, s.data(), size, nullptr, nullptr, nullptr);
        return decoder->DecodeSample(s.data(), size, output.data(), int32_t(rowBytes));
    }
    void ExpectStillDecodes() {
        KRVX_Error error;
        ASSERT_EQ(DecodeToRows(*decoder, samples[0], kBgra, 1, error), good[0]);
    }

    CountingAllocator allocator;
    std::vector<encode::Picture> pictures;
    std::vector<std::vector<uint8_t>> samples;
    std::vector<std::vector<uint8_t>> good;
    std::vector<uint8_t> output;
    uint32_t rowBytes = 0;
    DecoderPtr decoder;
};

TEST_F(CorruptSample, TruncatedOrOversizedSamplesAreRefused) {
    KRVX_SampleInfo info;
    const std::vector<uint8_t>& key = samples[0];
    for (uint32_t size = 0; size < key.size(); ++size) {
        ASSERT_NE(decoder->GetSampleInfo(key.data(), size, &info), 0) << size;
        ASSERT_NE(DecodeRaw(key, size), 0) << size;
    }
    std::vector<uint8_t> longer = key;
    longer.resize(key.size() + 7, 0);
    EXPECT_EQ(decoder->GetSampleInfo(longer.data(), uint32_t(longer.size()), &info), KRVX_ERROR_BAD_SAMPLE);
    EXPECT_EQ(DecodeRaw(longer, uint32_t(longer.size())), KRVX_ERROR_BAD_SAMPLE);
    ExpectStillDecodes();
}

TEST_F(CorruptSample, EveryChangedByteIsDetected) {
    for (size_t frame : {size_t(0), size_t(1)}) {
        for (size_t i = 0; i < samples[frame].size(); ++i) {
            // Keep the reference of frame 0 for the dependent frame.
            if (frame == 1) {
                ASSERT_EQ(DecodeRaw(samples[0], uint32_t(samples[0].size())), 0);
            }
            std::vector<uint8_t> bad = samples[frame];
            bad[i] ^= 0x24;
            ASSERT_NE(DecodeRaw(bad, uint32_t(bad.size())), 0) << "frame " << frame << " byte " << i;
            if (frame == 1) {
                // The refused sample left the reference alone: the real frame 1 still decodes right.
                ASSERT_EQ(DecodeRaw(samples[1], uint32_t(samples[1].size())), 0);
                std::vector<uint8_t> rows(output.size());
                const uint32_t h = uint32_t(output.size() / rowBytes);
                for (uint32_t y = 0; y < h; ++y) {
                    std::copy_n(output.begin() + size_t(h - 1 - y) * rowBytes, rowBytes,
                                rows.begin() + size_t(y) * rowBytes);
                }
                ASSERT_EQ(rows, good[1]) << "byte " << i;
            }
        }
    }
    ExpectStillDecodes();
}

TEST_F(CorruptSample, DamagedBandsWithValidChecksumsNeverCrash) {
    std::mt19937 random(1234);
    const uint32_t headerAndMetadata = codec::kHeaderBytes + codec::ReadU32(&samples[0][12]);
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        const size_t frame = round % 2;
        std::vector<uint8_t> bad = samples[frame];
        const size_t first = headerAndMetadata + 4 * codec::kBandsPerPlane * 8 + 4;
        for (int k = 0; k < 1 + round % 5; ++k) {
            bad[first + random() % (bad.size() - first)] = static_cast<uint8_t>(random());
        }
        ResealChecksums(bad);
        if (frame == 1) DecodeRaw(samples[0], uint32_t(samples[0].size()));
        const KRVX_Error error = DecodeRaw(bad, uint32_t(bad.size()));
        ASSERT_TRUE(error == 0 || error == KRVX_ERROR_BAD_SAMPLE) << error;
        refused += error != 0;
        // Directory sizes that no longer add up are refused too.
        std::vector<uint8_t> sizes = samples[frame];
        codec::WriteU32(&sizes[headerAndMetadata + 8 * (round % 40)], random() % 4096);
        ResealChecksums(sizes);
        ASSERT_NE(DecodeRaw(sizes, uint32_t(sizes.size())), 0);
    }
    EXPECT_GT(refused, 0);
    ExpectStillDecodes();
}

TEST_F(CorruptSample, DependentFrameOfAnotherClipFindsNoReference) {
    const auto other = EncodeFrames(encode::kPatternZonePlate, 24, 18, encode::kFormatRgba, 2, 10);
    ASSERT_EQ(DecodeRaw(samples[0], uint32_t(samples[0].size())), 0);
    EXPECT_EQ(DecodeRaw(other[1], uint32_t(other[1].size())), KRVX_ERROR_NO_REFERENCE);
    const auto rgb = EncodeFrames(encode::kPatternZonePlate, 24, 16, encode::kFormatRgb, 2, 10);
    EXPECT_EQ(DecodeRaw(rgb[1], uint32_t(rgb[1].size())), KRVX_ERROR_NO_REFERENCE);
    ExpectStillDecodes();
}

TEST(EncoderInput, PicturesThatDoNotFitAreRefused) {
    encode::FrameEncoder encoder;
    std::vector<uint8_t> sample;
    encode::Picture picture = encode::Picture::Make(16, 8, encode::kFormatYuv);
    EXPECT_EQ(encoder.Encode(picture, true, sample), 0);
    picture.planes[0][3] = 1024;  // beyond 10 bits
    EXPECT_EQ(encoder.Encode(picture, true, sample), encode::kEncodeBadPicture);
    picture = encode::Picture::Make(16, 8, encode::kFormatRgb);
    picture.planes[2].pop_back();
    EXPECT_EQ(encoder.Encode(picture, true, sample), encode::kEncodeBadPicture);
    EXPECT_EQ(encoder.Encode(encode::Picture::Make(0, 8, encode::kFormatRgb), true, sample),
              encode::kEncodeBadPicture);
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
