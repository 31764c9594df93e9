// Pictures come back from the decoder exactly as the documented arithmetic predicts, in every encoded
// format, at every resolution and in every output format, for key and dependent frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "codec/core/ColourMath.h"
#include "tests/codec/CodecTestSupport.h"

namespace krvx {
namespace codectest {
namespace {

const char* FormatName(uint32_t f) {
    static char name[5];
    for (int i = 0; i < 4; ++i) name[i] = static_cast<char>(f >> (24 - 8 * i));
    name[4] = 0;
    return name;
}

struct Case {
    uint32_t encoded;
    encode::Pattern pattern;
};

class RoundTrip : public ::testing::TestWithParam<Case> {};

// Odd sizes on purpose: 66 x 38 gives odd chroma widths and odd reduced sizes.
TEST_P(RoundTrip, EveryResolutionAndOutputFormatMatchesTheInput) {
    const Case c = GetParam();
    std::vector<encode::Picture> pictures;
    const auto samples = EncodeFrames(c.pattern, 66, 38, c.encoded, 4, 3, &pictures);
    CountingAllocator allocator;
    for (int resolution = 1; resolution <= 4; ++resolution) {
        for (uint32_t format : kAllOutputFormats) {
            DecoderPtr decoder = MakeDecoder(&allocator);
            for (size_t frame = 0; frame < samples.size(); ++frame) {
                KRVX_Error error = -1;
                const std::vector<uint8_t> got =
                    DecodeToRows(*decoder, samples[frame], format, resolution, error);
                ASSERT_EQ(error, KRVX_ERROR_OKAY) << FormatName(format) << " resolution " << resolution;
                uint32_t w, h, rowBytes;
                const std::vector<uint8_t> want =
                    ExpectedOutput(pictures[frame], resolution, format, w, h, rowBytes);
                ASSERT_EQ(got.size(), want.size());
                size_t firstDiff = 0;
                while (firstDiff < got.size() && got[firstDiff] == want[firstDiff]) ++firstDiff;
                ASSERT_EQ(firstDiff, got.size())
                    << FormatName(format) << " resolution " << resolution << " frame " << frame << " row "
                    << firstDiff / rowBytes << " byte " << firstDiff % rowBytes;
            }
        }
    }
    EXPECT_EQ(allocator.Live(), 0u);
    EXPECT_EQ(allocator.BadFrees(), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(Case{encode::kFormatYuv, encode::kPatternZonePlate},
                                           Case{encode::kFormatRgb, encode::kPatternGradient},
                                           Case{encode::kFormatRgba, encode::kPatternBox}));

// Frames smaller than the transform: one-pixel rows and columns, sizes that vanish at lower resolutions.
TEST(RoundTripSizes, TinyAndOddFramesDecodeAtEveryResolution) {
    const uint32_t sizes[][2] = {{1, 1}, {1, 5}, {3, 1}, {2, 2}, {9, 17}, {17, 9}};
    for (const auto& size : sizes) {
        for (uint32_t encoded : {0u, 1u, 2u}) {
            std::vector<encode::Picture> pictures;
            const auto samples =
                EncodeFrames(encode::kPatternGradient, size[0], size[1], encoded, 2, 5, &pictures);
            CountingAllocator allocator;
            DecoderPtr decoder = MakeDecoder(&allocator);
            for (int resolution = 1; resolution <= 4; ++resolution) {
                for (uint32_t format : kAllOutputFormats) {
                    for (size_t frame = 0; frame < samples.size(); ++frame) {
                        KRVX_Error error = -1;
                        const auto got = DecodeToRows(*decoder, samples[frame], format, resolution, error);
                        ASSERT_EQ(error, KRVX_ERROR_OKAY);
                        uint32_t w, h, rowBytes;
                        ASSERT_EQ(got, ExpectedOutput(pictures[frame], resolution, format, w, h, rowBytes))
                            << size[0] << "x" << size[1] << " encoded " << encoded << " "
                            << FormatName(format) << " resolution " << resolution;
                    }
                }
            }
        }
    }
}

// Full resolution is lossless: the 16-bit outputs hold the input values exactly (by bit replication).
TEST(RoundTripLossless, FullResolutionSixteenBitOutputsInvertToTheInput) {
    std::vector<encode::Picture> pictures;
    const auto rgba = EncodeFrames(encode::kPatternZonePlate, 48, 20, encode::kFormatRgba, 2, 10, &pictures);
    CountingAllocator allocator;
    DecoderPtr decoder = MakeDecoder(&allocator);
    for (size_t f = 0; f < rgba.size(); ++f) {
        KRVX_Error error;
        const auto b64a = DecodeToRows(*decoder, rgba[f], KRVX_PIXEL_FORMAT_B64A, 1, error);
        ASSERT_EQ(error, 0);
        for (size_t i = 0; i < size_t(48) * 20; ++i) {
            uint16_t argb[4];
            std::memcpy(argb, b64a.data() + 8 * i, 8);
            ASSERT_EQ(argb[0] >> 4, pictures[f].planes[3][i]);
            ASSERT_EQ(argb[1] >> 4, pictures[f].planes[0][i]);
            ASSERT_EQ(argb[2] >> 4, pictures[f].planes[1][i]);
            ASSERT_EQ(argb[3] >> 4, pictures[f].planes[2][i]);
        }
    }
    pictures.clear();
    const auto yuv = EncodeFrames(encode::kPatternBars, 48, 20, encode::kFormatYuv, 2, 10, &pictures);
    for (size_t f = 0; f < yuv.size(); ++f) {
        KRVX_Error error;
        const auto yu64 = DecodeToRows(*decoder, yuv[f], KRVX_PIXEL_FORMAT_YU64, 1, error);
        ASSERT_EQ(error, 0);
        for (size_t pair = 0; pair < size_t(24) * 20; ++pair) {
            uint16_t s[4];
            std::memcpy(s, yu64.data() + 8 * pair, 8);
            ASSERT_EQ(s[0] >> 6, pictures[f].planes[0][2 * pair]);
            ASSERT_EQ(s[1] >> 6, pictures[f].planes[2][pair]);
            ASSERT_EQ(s[2] >> 6, pictures[f].planes[0][2 * pair + 1]);
            ASSERT_EQ(s[3] >> 6, pictures[f].planes[1][pair]);
        }
    }
}

// Both integer matrices agree with their definition from the luma weights Kr and Kb (video range),
// computed in floating point in both directions, and their fixed points hold.
TEST(ColourArithmetic, IntegerMatricesFollowBt601AndBt709) {
    struct Weights {
        const codec::ColourMatrix* matrix;
        double kr, kb;
    };
    for (Weights w : {Weights{&codec::kBt601, 0.299, 0.114}, Weights{&codec::kBt709, 0.2126, 0.0722}}) {
        SCOPED_TRACE(w.kr);
        const codec::ColourMatrix& m = *w.matrix;
        const double kg = 1.0 - w.kr - w.kb;
        auto ref = [](double v) { return v < 0 ? 0.0 : (v > 1 ? 8191.0 : v * 8191); };
        for (int Y = 64; Y <= 940; Y += 29) {
            for (int Cb = 64; Cb <= 960; Cb += 37) {
                for (int Cr = 64; Cr <= 960; Cr += 41) {
                    const double y = (Y - 64) / 876.0, cb = (Cb - 512) / 896.0, cr = (Cr - 512) / 896.0;
                    const double r = y + 2 * (1 - w.kr) * cr, b = y + 2 * (1 - w.kb) * cb;
                    const double g = (y - w.kr * r - w.kb * b) / kg;
                    const codec::Rgb c = codec::YuvToRgb(m, Y, Cb, Cr, 8191);
                    ASSERT_NEAR(c.r, ref(r), 1.0);
                    ASSERT_NEAR(c.g, ref(g), 1.0);
                    ASSERT_NEAR(c.b, ref(b), 1.0);
                }
            }
        }
        for (int r = 0; r < 4096; r += 273) {
            for (int g = 0; g < 4096; g += 315) {
                for (int b = 0; b < 4096; b += 455) {
                    const double y = (w.kr * r + kg * g + w.kb * b) / 4095.0;
                    const double cb = (b / 4095.0 - y) / (2 * (1 - w.kb)),
                                 cr = (r / 4095.0 - y) / (2 * (1 - w.kr));
                    int32_t gotCb, gotCr;
                    codec::RgbPairToChroma(m, 2 * r, 2 * g, 2 * b, codec::kYuv10, gotCb, gotCr);
                    ASSERT_NEAR(codec::RgbToY(m, r, g, b, codec::kYuv10), 64 + 876 * y, 0.51);
                    ASSERT_NEAR(gotCb, 512 + 896 * cb, 0.51);
                    ASSERT_NEAR(gotCr, 512 + 896 * cr, 0.51);
                }
            }
        }
        const codec::Rgb white = codec::YuvToRgb(m, 940, 512, 512, 255),
                         black = codec::YuvToRgb(m, 64, 512, 512, 255);
        EXPECT_EQ(white.r, 255);
        EXPECT_EQ(white.g, 255);
        EXPECT_EQ(white.b, 255);
        EXPECT_EQ(black.r + black.g + black.b, 0);
        EXPECT_EQ(codec::RgbToY(m, 4095, 4095, 4095, codec::kYuv10), 940);
        EXPECT_EQ(codec::RgbToY(m, 0, 0, 0, codec::kYuv8), 16);
        int32_t cb, cr;
        codec::RgbPairToChroma(m, 2 * 4095, 0, 0, codec::kYuv10, cb, cr);  // pure red
        EXPECT_EQ(cr, 960);
        codec::RgbPairToChroma(m, 0, 0, 2 * 4095, codec::kYuv10, cb, cr);  // pure blue
        EXPECT_EQ(cb, 960);
    }
}

// Row order, padded pitches and negative pitches.
TEST(RoundTripLayout, PitchAndRowOrder) {
    std::vector<encode::Picture> pictures;
    const auto samples = EncodeFrames(encode::kPatternGradient, 40, 24, encode::kFormatRgb, 1, 1, &pictures);
    for (uint32_t format : {KRVX_PIXEL_FORMAT_BGRA, KRVX_PIXEL_FORMAT_WP13}) {
        uint32_t w, h, rowBytes;
        const auto want = ExpectedOutput(pictures[0], 2, format, w, h, rowBytes);
        CountingAllocator allocator;
        DecoderPtr decoder = MakeDecoder(&allocator);
        const int32_t pitch = static_cast<int32_t>(rowBytes + 13);
        std::vector<uint8_t> buffer(size_t(pitch) * h, 0xEE);
        ASSERT_EQ(Decode(*decoder, samples[0], format, 2, buffer.data(), pitch), 0);
        std::vector<uint8_t> reversed(size_t(pitch) * h, 0xEE);
        ASSERT_EQ(Decode(*decoder, samples[0], format, 2, reversed.data() + size_t(pitch) * (h - 1), -pitch),
                  0);
        const bool bottomUp = format == KRVX_PIXEL_FORMAT_BGRA;
        for (uint32_t y = 0; y < h; ++y) {
            const uint32_t memoryRow = bottomUp ? h - 1 - y : y;
            EXPECT_EQ(0, std::memcmp(buffer.data() + size_t(memoryRow) * pitch,
                                     want.data() + size_t(y) * rowBytes, rowBytes));
            // With a negative pitch the first row in memory order is the last one of the positive layout.
            EXPECT_EQ(0, std::memcmp(reversed.data() + size_t(h - 1 - memoryRow) * pitch,
                                     want.data() + size_t(y) * rowBytes, rowBytes));
            // Nothing is written into the padding.
            EXPECT_EQ(buffer[size_t(memoryRow) * pitch + rowBytes], 0xEE);
        }
        std::vector<uint8_t> tight(size_t(rowBytes) * h);
        EXPECT_EQ(Decode(*decoder, samples[0], format, 2, tight.data(), static_cast<int32_t>(rowBytes) - 1),
                  KRVX_ERROR_BAD_PITCH);
    }
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
