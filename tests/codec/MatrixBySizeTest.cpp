// Which colour matrix a picture gets, seen from outside the codec: full red, green and blue come out of
// the decoder's 8-bit YUV as the published video-range values of BT.601 for a standard-definition
// picture and of BT.709 above it, at every decode resolution, whether the clip is coded in YUV or RGB;
// and a YUV-coded picture comes back in its own colours whatever its size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/codec/CodecTestSupport.h"

namespace krvx {
namespace codectest {
namespace {

struct Yuv8 {
    int y, cb, cr;
};

// Red, green and blue in 8-bit video range, as the two standards tabulate them.
constexpr Yuv8 kBt601[3] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}};
constexpr Yuv8 kBt709[3] = {{63, 102, 240}, {173, 42, 26}, {32, 240, 118}};

// Three upright stripes: red, green, blue.
encode::Picture Stripes(uint32_t width, uint32_t height, uint32_t format) {
    std::vector<uint8_t> rgba(size_t(width) * height * 4, 0);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
            p[x * 3 / width] = 255;
            p[3] = 255;
        }
    }
    return encode::PictureFromRgba8(rgba.data(), width, height, size_t(width) * 4, format);
}

struct Size {
    uint32_t width, height;
    bool highDefinition;
};

// High definition is wider than 720 and taller than 576; anything else is standard definition.
const Size kSizes[] = {{192, 108, false},  {720, 576, false}, {1280, 576, false},
                       {720, 1080, false}, {721, 577, true},  {1280, 720, true}};

std::string Name(const Size& size, uint32_t format, int resolution) {
    return std::to_string(size.width) + "x" + std::to_string(size.height) + " coded " +
           std::to_string(format) + " resolution " + std::to_string(resolution);
}

TEST(MatrixBySize, TheCodedPictureSizeChoosesTheMatrixAtEveryResolution) {
    CountingAllocator allocator;
    for (const Size& size : kSizes) {
        for (uint32_t format : {uint32_t(encode::kFormatYuv), uint32_t(encode::kFormatRgb)}) {
            encode::FrameEncoder encoder;
            std::vector<uint8_t> sample;
            ASSERT_EQ(encoder.Encode(Stripes(size.width, size.height, format), true, sample), 0);
            DecoderPtr decoder = MakeDecoder(&allocator);
            for (int resolution = 1; resolution <= 4; ++resolution) {
                SCOPED_TRACE(Name(size, format, resolution));
                KRVX_Error error = -1;
                const std::vector<uint8_t> rows =
                    DecodeToRows(*decoder, sample, KRVX_PIXEL_FORMAT_YUYV, resolution, error);
                ASSERT_EQ(error, KRVX_ERROR_OKAY);
                const uint32_t w = size.width >> (resolution - 1), h = size.height >> (resolution - 1);
                const uint8_t* row = rows.data() + size_t(h / 2) * RowBytesOf(KRVX_PIXEL_FORMAT_YUYV, w);
                for (int stripe = 0; stripe < 3; ++stripe) {
                    const uint8_t* pair = row + (w * (2 * stripe + 1) / 6 / 2) * 4;
                    const Yuv8& want = (size.highDefinition ? kBt709 : kBt601)[stripe];
                    EXPECT_NEAR(pair[0], want.y, 1) << "stripe " << stripe;
                    EXPECT_NEAR(pair[1], want.cb, 1) << "stripe " << stripe;
                    EXPECT_NEAR(pair[3], want.cr, 1) << "stripe " << stripe;
                }
            }
        }
    }
    EXPECT_EQ(allocator.Live(), 0u);
}

TEST(MatrixBySize, AYuvCodedPictureComesBackInItsOwnColoursAtEverySize) {
    CountingAllocator allocator;
    for (const Size& size : kSizes) {
        encode::FrameEncoder encoder;
        std::vector<uint8_t> sample;
        ASSERT_EQ(encoder.Encode(Stripes(size.width, size.height, encode::kFormatYuv), true, sample), 0);
        DecoderPtr decoder = MakeDecoder(&allocator);
        for (int resolution = 1; resolution <= 4; ++resolution) {
            SCOPED_TRACE(Name(size, encode::kFormatYuv, resolution));
            KRVX_Error error = -1;
            const std::vector<uint8_t> rows =
                DecodeToRows(*decoder, sample, KRVX_PIXEL_FORMAT_BGRA, resolution, error);
            ASSERT_EQ(error, KRVX_ERROR_OKAY);
            const uint32_t w = size.width >> (resolution - 1), h = size.height >> (resolution - 1);
            const uint8_t* row = rows.data() + size_t(h / 2) * RowBytesOf(KRVX_PIXEL_FORMAT_BGRA, w);
            for (int stripe = 0; stripe < 3; ++stripe) {
                const uint8_t* bgra = row + (w * (2 * stripe + 1) / 6) * 4;
                for (int c = 0; c < 3; ++c) {
                    // BGRA: stripe 0 (red) is byte 2, green byte 1, blue byte 0.
                    EXPECT_NEAR(bgra[c], c == 2 - stripe ? 255 : 0, 2)
                        << "stripe " << stripe << " byte " << c;
                }
            }
        }
    }
    EXPECT_EQ(allocator.Live(), 0u);
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
