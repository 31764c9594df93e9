// Reference state: dependent frames need their predecessors, ConfigurationDiffers tells when priming is
// due, ReleaseResources and allocation failures leave a usable decoder, and all memory is the caller's.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/codec/CodecTestSupport.h"

namespace krvx {
namespace codectest {
namespace {

constexpr uint32_t kBgra = KRVX_PIXEL_FORMAT_BGRA;

class DecoderState : public ::testing::Test {
protected:
    void SetUp() override {
        samples = EncodeFrames(encode::kPatternBars, 64, 36, encode::kFormatYuv, 6, 3, &pictures);
        decoder = MakeDecoder(&allocator);
        ASSERT_NE(decoder, nullptr);
    }
    std::vector<uint8_t> Expected(size_t frame, int resolution, uint32_t format = kBgra) {
        uint32_t w, h, rowBytes;
        return ExpectedOutput(pictures[frame], resolution, format, w, h, rowBytes);
    }
    std::vector<uint8_t> Decoded(size_t frame, int resolution, KRVX_Error& error, uint32_t format = kBgra) {
        return DecodeToRows(*decoder, samples[frame], format, resolution, error);
    }

    CountingAllocator allocator;
    std::vector<encode::Picture> pictures;
    std::vector<std::vector<uint8_t>> samples;  // key frames 0 and 3
    DecoderPtr decoder;
};

TEST_F(DecoderState, SampleInformationNamesKeyFramesFormatAndField) {
    KRVX_SampleInfo info{};
    ASSERT_EQ(decoder->GetSampleInfo(samples[0].data(), uint32_t(samples[0].size()), &info), 0);
    EXPECT_EQ(info.encodedFormat, 0u);
    EXPECT_EQ(info.fieldValue, 1u);
    EXPECT_EQ(info.width, 64u);
    EXPECT_EQ(info.height, 36u);
    EXPECT_EQ(info.keyFrame, 1u);
    ASSERT_EQ(decoder->GetSampleInfo(samples[1].data(), uint32_t(samples[1].size()), &info), 0);
    EXPECT_EQ(info.keyFrame, 0u);

    for (uint32_t field : {0u, 2u, 3u}) {
        encode::FrameEncoder encoder(field);
        std::vector<uint8_t> sample;
        ASSERT_EQ(encoder.Encode(encode::RenderPattern(encode::kPatternBox, 16, 8, encode::kFormatRgba, 0),
                                 true, sample),
                  0);
        ASSERT_EQ(decoder->GetSampleInfo(sample.data(), uint32_t(sample.size()), &info), 0);
        EXPECT_EQ(info.fieldValue, field);
        EXPECT_EQ(info.encodedFormat, 2u);
    }
}

TEST_F(DecoderState, DependentFrameIsWrongWithoutPrimingAndRightWithIt) {
    KRVX_Error error;
    // A fresh decoder has no reference at all.
    Decoded(2, 1, error);
    EXPECT_EQ(error, KRVX_ERROR_NO_REFERENCE);
    // Having seen only the key frame, frame 2 decodes against the wrong reference.
    Decoded(0, 1, error);
    ASSERT_EQ(error, 0);
    auto skipped = Decoded(2, 1, error);
    ASSERT_EQ(error, 0);
    EXPECT_NE(skipped, Expected(2, 1));
    // Primed from the key frame without output, it is right.
    ASSERT_EQ(Decode(*decoder, samples[0], kBgra, 1, nullptr, 0), 0);
    ASSERT_EQ(Decode(*decoder, samples[1], kBgra, 1, nullptr, 0), 0);
    EXPECT_EQ(Decoded(2, 1, error), Expected(2, 1));
    // The next group's key frame decodes alone.
    EXPECT_EQ(Decoded(3, 1, error), Expected(3, 1));
}

TEST_F(DecoderState, ConfigurationDiffersFollowsTheResolutionOfTheReference) {
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, kBgra, 1));  // nothing decoded yet
    ASSERT_EQ(Decode(*decoder, samples[0], kBgra, 3, nullptr, 0), 0);
    // A quarter-resolution reference serves quarter and eighth, not half or full.
    EXPECT_FALSE(decoder->ConfigurationDiffers(0, 0, kBgra, 3));
    EXPECT_FALSE(decoder->ConfigurationDiffers(0, 0, kBgra, 4));
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, kBgra, 2));
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, kBgra, 1));
    // The output format does not matter: the reference is kept before conversion.
    EXPECT_FALSE(decoder->ConfigurationDiffers(0, 0, KRVX_PIXEL_FORMAT_W13A, 3));
    // Formats and resolutions the decoder does not offer always differ.
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, KRVX_PIXEL_FORMAT_V210, 3));
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, kBgra, 5));

    // Whatever it says, following it gives the right picture: a dependent frame at full resolution after
    // a quarter-resolution reference is refused, and after priming at full resolution it is right.
    KRVX_Error error;
    Decoded(1, 1, error);
    EXPECT_EQ(error, KRVX_ERROR_NO_REFERENCE);
    ASSERT_EQ(Decode(*decoder, samples[0], kBgra, 1, nullptr, 0), 0);
    EXPECT_FALSE(decoder->ConfigurationDiffers(0, 0, KRVX_PIXEL_FORMAT_YUYV, 1));
    EXPECT_EQ(Decoded(1, 1, error, KRVX_PIXEL_FORMAT_YUYV), Expected(1, 1, KRVX_PIXEL_FORMAT_YUYV));
    // Dropping to eighth resolution keeps the chain going, at eighth resolution only.
    EXPECT_EQ(Decoded(2, 4, error), Expected(2, 4));
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, kBgra, 1));
}

TEST_F(DecoderState, ReleaseResourcesFreesMemoryAndKeepsTheDecoderUsable) {
    KRVX_Error error;
    ASSERT_EQ(Decoded(0, 1, error), Expected(0, 1));
    const size_t withFrames = allocator.Live();
    EXPECT_GT(withFrames, 1u);
    decoder->ReleaseResources();
    EXPECT_EQ(allocator.Live(), 1u);  // the decoder object itself
    EXPECT_TRUE(decoder->ConfigurationDiffers(0, 0, kBgra, 1));
    Decoded(1, 1, error);
    EXPECT_EQ(error, KRVX_ERROR_NO_REFERENCE);
    EXPECT_EQ(Decoded(0, 2, error), Expected(0, 2));
    EXPECT_EQ(Decoded(1, 2, error), Expected(1, 2));
    decoder.reset();
    EXPECT_EQ(allocator.Live(), 0u);
    EXPECT_EQ(allocator.BadFrees(), 0);
}

TEST_F(DecoderState, RefusesWithoutPreparationOrWithBadArguments) {
    KRVX_SampleInfo info;
    EXPECT_EQ(decoder->DecodeSample(samples[0].data(), uint32_t(samples[0].size()), nullptr, 0),
              KRVX_ERROR_NOT_PREPARED);
    EXPECT_EQ(
        decoder->PrepareDecode(0, 0, KRVX_PIXEL_FORMAT_NV12, 1, 0, nullptr, 0, nullptr, nullptr, nullptr),
        KRVX_ERROR_UNSUPPORTED_FORMAT);
    EXPECT_EQ(decoder->DecodeSample(samples[0].data(), uint32_t(samples[0].size()), nullptr, 0),
              KRVX_ERROR_NOT_PREPARED);
    EXPECT_EQ(decoder->PrepareDecode(0, 0, kBgra, 0, 0, nullptr, 0, nullptr, nullptr, nullptr),
              KRVX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(decoder->GetSampleInfo(nullptr, 100, &info), KRVX_ERROR_INVALID_ARGUMENT);
    EXPECT_EQ(decoder->GetSampleInfo(samples[0].data(), uint32_t(samples[0].size()), nullptr),
              KRVX_ERROR_INVALID_ARGUMENT);
    int32_t w = 0, h = 0, rowBytes = 0;
    EXPECT_EQ(decoder->PrepareDecode(0, 0, KRVX_PIXEL_FORMAT_YUYV, 4, 0, samples[0].data(),
                                     uint32_t(samples[0].size()), &w, &h, &rowBytes),
              0);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 4);
    EXPECT_EQ(rowBytes, 16);
}

// Decoders on several threads at once, each with its own allocator, share nothing.
TEST(DecoderThreads, IndependentDecodersRunConcurrently) {
    std::vector<encode::Picture> pictures;
    const auto samples = EncodeFrames(encode::kPatternZonePlate, 48, 32, encode::kFormatYuv, 4, 2, &pictures,
                                      {encode::MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "T")});
    std::vector<std::vector<uint8_t>> want;
    for (const auto& p : pictures) {
        uint32_t w, h, rowBytes;
        want.push_back(ExpectedOutput(p, 2, KRVX_PIXEL_FORMAT_W13A, w, h, rowBytes));
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&]() {
            CountingAllocator allocator;
            DecoderPtr decoder = MakeDecoder(&allocator);
            for (int round = 0; round < 5; ++round) {
                for (size_t f = 0; f < samples.size(); ++f) {
                    KRVX_Error error;
                    if (DecodeToRows(*decoder, samples[f], KRVX_PIXEL_FORMAT_W13A, 2, error) != want[f])
                        ++mismatches;
                    KRVX_MetadataHandle handle = nullptr;
                    KRVX_OpenMetadata(&handle);
                    if (KRVX_InitSampleMetadata(handle, 0, samples[f].data(), uint32_t(samples[f].size())) !=
                        0) {
                        ++mismatches;
                    }
                    KRVX_CloseMetadata(handle);
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(DecoderAllocation, EveryAllocationFailureIsAnsweredAndRecovered) {
    std::vector<encode::Picture> pictures;
    const auto samples = EncodeFrames(encode::kPatternBox, 40, 20, encode::kFormatRgba, 2, 2, &pictures);
    uint32_t w, h, rowBytes;
    const auto want = ExpectedOutput(pictures[0], 1, KRVX_PIXEL_FORMAT_B64A, w, h, rowBytes);
    CountingAllocator counter;
    {
        DecoderPtr d = MakeDecoder(&counter);
        KRVX_Error error;
        DecodeToRows(*d, samples[0], KRVX_PIXEL_FORMAT_B64A, 1, error);
        ASSERT_EQ(error, 0);
    }
    const int calls = counter.Calls();
    ASSERT_GT(calls, 2);
    for (int failAt = 0; failAt < calls; ++failAt) {
        CountingAllocator allocator;
        allocator.FailFrom(failAt);
        DecoderPtr d = MakeDecoder(&allocator);
        if (failAt == 0) {
            EXPECT_EQ(d, nullptr);
            continue;
        }
        ASSERT_NE(d, nullptr);
        KRVX_Error error;
        DecodeToRows(*d, samples[0], KRVX_PIXEL_FORMAT_B64A, 1, error);
        EXPECT_EQ(error, KRVX_ERROR_OUT_OF_MEMORY) << "failing allocation " << failAt;
        allocator.FailFrom(-1);
        EXPECT_EQ(DecodeToRows(*d, samples[0], KRVX_PIXEL_FORMAT_B64A, 1, error), want);
        EXPECT_EQ(error, 0);
        d.reset();
        EXPECT_EQ(allocator.Live(), 0u);
    }
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
