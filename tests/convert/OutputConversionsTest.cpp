// The output conversion step: known pixels, the high-definition rule, routing, orientation, pitches.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ConvertTestSupport.h"
#include "convert/OutputConversions.h"
#include "convert/RowKernels.h"

namespace krvx {
namespace {

using test::Row;

std::vector<uint8_t> Pixel(const std::vector<uint8_t>& frame, int32_t x) {
    return std::vector<uint8_t>(frame.begin() + 4 * x, frame.begin() + 4 * x + 4);
}

std::vector<uint8_t> YuyvToBgra(std::vector<uint8_t> yuyv) {
    const int32_t width = static_cast<int32_t>(yuyv.size()) / 2;
    std::vector<uint8_t> out(width * 4);
    ConvertYuyvToBgra8(yuyv.data(), width * 2, out.data(), width * 4, width, 1);
    return out;
}

TEST(OutputConversions, YuyvToBgraKnownPixels) {
    // black, white (235 gives 219 x 149 >> 7 = 254), mid-grey; Y and chroma beyond the studio range
    // are clamped first
    const std::vector<uint8_t> out = YuyvToBgra({16, 128, 235, 128, 126, 128, 126, 128, 0, 0, 255, 255});
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 255}), Pixel(out, 0));
    EXPECT_EQ((std::vector<uint8_t>{254, 254, 254, 255}), Pixel(out, 1));
    EXPECT_EQ((std::vector<uint8_t>{128, 128, 128, 255}), Pixel(out, 2));
    EXPECT_EQ(Pixel(YuyvToBgra({16, 16, 16, 240}), 0), Pixel(out, 4));
    // studio red (Y 81, U 90, V 240): R saturates, B clamps at 0
    const std::vector<uint8_t> red = YuyvToBgra({81, 90, 81, 240});
    EXPECT_EQ(0, red[0]);
    EXPECT_EQ(23, red[1]);
    EXPECT_EQ(255, red[2]);
}

TEST(OutputConversions, BgraToVuyaKnownPixels) {
    const std::vector<uint8_t> bgra = {128, 128, 128, 7, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0};
    std::vector<uint8_t> out(16);
    ConvertBgraToVuya8(bgra.data(), 16, out.data(), 16, 4, 1);
    EXPECT_EQ((std::vector<uint8_t>{128, 128, 128, 255}), Pixel(out, 0));  // mid-grey
    EXPECT_EQ((std::vector<uint8_t>{255, 85, 76, 255}), Pixel(out, 1));    // red: V clamps at 255
    EXPECT_EQ((std::vector<uint8_t>{128, 128, 0, 255}), Pixel(out, 2));    // black
    EXPECT_EQ((std::vector<uint8_t>{107, 255, 29, 255}), Pixel(out, 3));   // blue: U clamps at 255
}

TEST(OutputConversions, HighDefinitionRule) {
    EXPECT_FALSE(IsHighDefinition(720, 576));
    EXPECT_TRUE(IsHighDefinition(721, 577));
    EXPECT_FALSE(IsHighDefinition(1280, 576));
    EXPECT_FALSE(IsHighDefinition(720, 1080));

    // A saturated pixel passes unchanged for standard definition and is re-matrixed for high definition.
    const std::vector<uint8_t> yuyv = {100, 200, 110, 60};
    std::vector<uint8_t> out(8);
    DecodedFrameView src{yuyv.data(), 4, 2, 1, DecodedLayout::Yuyv8, false};
    HostFrameView dst{out.data(), 8, 2, 1, HostLayout::Vuya8};
    for (auto clip : {std::pair<int, int>{720, 576}, {1280, 576}}) {
        ASSERT_EQ(0, ConvertOutputFrame(src, clip.first, clip.second, dst, nullptr));
        EXPECT_EQ((std::vector<uint8_t>{60, 200, 100, 255, 60, 200, 110, 255}), out);
    }
    ASSERT_EQ(0, ConvertOutputFrame(src, 721, 577, dst, nullptr));
    // u = 72, v = -68: Y' = (((Y - 16) 8192 - 47944) >> 13) + 16 = Y - 6; U' = (644780 >> 13) + 128 = 206;
    // V' = (-590288 >> 13) + 128 = 55 (the shift rounds down)
    EXPECT_EQ((std::vector<uint8_t>{55, 206, 94, 255, 55, 206, 104, 255}), out);
}

TEST(OutputConversions, WideSampleKnownPixels) {
    const int16_t w13a[] = {8191, 0, 4096, 8191, -32, 8191, 0, 0};
    float f[8];
    ConvertRgb13ToBgraFloat(reinterpret_cast<const uint8_t*>(w13a), 16, reinterpret_cast<uint8_t*>(f), 32, 2,
                            1, DecodedLayout::Rgba13);
    EXPECT_FLOAT_EQ(4096 / 8191.0f, f[0]);
    EXPECT_FLOAT_EQ(0.0f, f[1]);
    EXPECT_FLOAT_EQ(1.0f, f[2]);
    EXPECT_FLOAT_EQ(1.0f, f[3]);
    ConvertRgb13ToArgbFloat(reinterpret_cast<const uint8_t*>(w13a), 12, reinterpret_cast<uint8_t*>(f), 32, 2,
                            1, DecodedLayout::Rgb13);
    EXPECT_EQ(1.0f, f[0]);  // no alpha in WP13
    EXPECT_FLOAT_EQ(1.0f, f[1]);
    EXPECT_FLOAT_EQ(1.0f, f[4 + 1]);  // the second pixel starts at sample 3: R = 8191
    uint8_t argb[8];
    ConvertRgb13ToArgb8(reinterpret_cast<const uint8_t*>(w13a), 16, argb, 8, 2, 1, DecodedLayout::Rgba13);
    // -32 is 0xFFE0 unsigned: >> 5 is 2047, whose low byte is 255
    EXPECT_EQ((std::vector<uint8_t>{255, 255, 0, 128, 0, 255, 255, 0}), std::vector<uint8_t>(argb, argb + 8));
    ConvertRgb13ToVuyaFloat(reinterpret_cast<const uint8_t*>(w13a), 16, reinterpret_cast<uint8_t*>(f), 32, 1,
                            1, DecodedLayout::Rgba13);
    EXPECT_NEAR(0.500177 - 0.082854 * 4096 / 8191, f[0], 1e-5);
    EXPECT_NEAR(-0.168759 + 0.500177 * 4096 / 8191, f[1], 1e-5);
    EXPECT_NEAR(0.298173 + 0.116258 * 4096 / 8191, f[2], 1e-5);
    EXPECT_FLOAT_EQ(1.0f, f[3]);
}

TEST(OutputConversions, Yu64InterpolationStopsAtTheLastPair) {
    // Two pairs; the pitch holds a third pair of garbage that must not be read.
    const uint16_t yu64[] = {0, 65535, 0, 0, 65535, 0, 65535, 65535, 9999, 9999, 9999, 9999};
    float f[16];
    ConvertYu64ToVuyaFloat(reinterpret_cast<const uint8_t*>(yu64), 24, reinterpret_cast<uint8_t*>(f), 64, 4,
                           1, false, true);
    // second pixel of the first pair: mean of both pairs' chroma (V 65535 and 0, U 0 and 65535)
    EXPECT_NEAR(0.0f, f[4], 1e-6);
    EXPECT_NEAR(0.0f, f[5], 1e-6);
    // last pair: both pixels keep the pair's own chroma (V 0, U 65535)
    EXPECT_FLOAT_EQ(f[8], f[12]);
    EXPECT_FLOAT_EQ(f[9], f[13]);
    EXPECT_NEAR(-0.5f * 1.1383928f, f[12], 1e-5);
    EXPECT_NEAR((1.0f - 0.0627451f) * 1.1643835f, f[10], 1e-5);
    EXPECT_EQ(1.0f, f[15]);
}

struct Route {
    DecodedLayout decoded;
    HostLayout host;
    int32_t bytesIn, bytesOut;
    // The row kernel the route applies, for the expected output.
    void (*row)(const uint8_t* in, uint8_t* out, int32_t width);
};

const Route kRoutes[] = {
    {DecodedLayout::Bgra8, HostLayout::Bgra8, 4, 4,
     [](const uint8_t* in, uint8_t* out, int32_t w) { std::memcpy(out, in, 4 * w); }},
    {DecodedLayout::Yuyv8, HostLayout::Yuyv8, 2, 2,
     [](const uint8_t* in, uint8_t* out, int32_t w) { std::memcpy(out, in, 2 * w); }},
    {DecodedLayout::Yuyv8, HostLayout::Bgra8, 2, 4,
     [](const uint8_t* in, uint8_t* out, int32_t w) { ReferenceRowKernels().yuyvToBgra(in, out, w); }},
    {DecodedLayout::Yuyv8, HostLayout::Vuya8, 2, 4,
     [](const uint8_t* in, uint8_t* out, int32_t w) { ReferenceRowKernels().yuyvToVuya(in, out, w, true); }},
    {DecodedLayout::Bgra8, HostLayout::Vuya8, 4, 4,
     [](const uint8_t* in, uint8_t* out, int32_t w) { ReferenceRowKernels().bgraToVuya(in, out, w); }},
    {DecodedLayout::Bgra8, HostLayout::Argb8, 4, 4,
     [](const uint8_t* in, uint8_t* out, int32_t w) { ReferenceRowKernels().reverseBytes(in, out, w); }},
    {DecodedLayout::Yu64, HostLayout::VuyaFloat, 4, 16,
     [](const uint8_t* in, uint8_t* out, int32_t w) {
         ReferenceRowKernels().yu64ToVuyaFloat(reinterpret_cast<const uint16_t*>(in),
                                               reinterpret_cast<float*>(out), w, true, true);
     }},
    {DecodedLayout::Rgb13, HostLayout::VuyaFloat, 6, 16,
     [](const uint8_t* in, uint8_t* out, int32_t w) {
         ReferenceRowKernels().rgb13ToVuyaFloat(reinterpret_cast<const int16_t*>(in), 3,
                                                reinterpret_cast<float*>(out), w);
     }},
    {DecodedLayout::Rgba13, HostLayout::BgraFloat, 8, 16,
     [](const uint8_t* in, uint8_t* out, int32_t w) {
         ReferenceRowKernels().rgb13ToBgraFloat(reinterpret_cast<const int16_t*>(in), 4,
                                                reinterpret_cast<float*>(out), w);
     }},
    {DecodedLayout::Rgb13, HostLayout::ArgbFloat, 6, 16,
     [](const uint8_t* in, uint8_t* out, int32_t w) {
         ReferenceRowKernels().rgb13ToArgbFloat(reinterpret_cast<const int16_t*>(in), 3,
                                                reinterpret_cast<float*>(out), w);
     }},
    {DecodedLayout::Rgba13, HostLayout::Argb8, 8, 4,
     [](const uint8_t* in, uint8_t* out, int32_t w) {
         ReferenceRowKernels().rgb13ToArgb8(reinterpret_cast<const int16_t*>(in), 4, out, w);
     }},
    {DecodedLayout::Rgba16, HostLayout::Bgra16, 8, 8,
     [](const uint8_t* in, uint8_t* out, int32_t w) {
         ReferenceRowKernels().rgba16ToBgra16(reinterpret_cast<const uint16_t*>(in),
                                              reinterpret_cast<uint16_t*>(out), w);
     }},
};

// For every same-size route, odd sizes and padded pitches: the host frame holds the picture upright in
// its own row order, each row converted as the row rule says, and the padding is left alone.
TEST(OutputConversions, EveryRouteIsUprightAndLeavesPaddingAlone) {
    for (const Route& route : kRoutes) {
        for (auto size : {std::pair<int32_t, int32_t>{1, 1}, {17, 17}, {6, 3}, {33, 18}}) {
            const int32_t w = size.first, h = size.second;
            const int32_t srcPitch = w * route.bytesIn + 20, dstPitch = w * route.bytesOut + 36;
            std::vector<uint8_t> src = test::RandomBytes(srcPitch * h, w * 7 + route.bytesIn);
            if (route.decoded == DecodedLayout::Rgb13 || route.decoded == DecodedLayout::Rgba13) {
                for (size_t i = 1; i < src.size(); i += 2) src[i] &= 0x1F;  // keep samples within 13 bits
            }
            std::vector<uint8_t> dst(dstPitch * h, 0x5A);
            const DecodedFrameView view{src.data(), srcPitch,      w,
                                        h,          route.decoded, DecoderRowsBottomUp(route.decoded)};
            ASSERT_EQ(
                0, ConvertOutputFrame(view, 1920, 1080, {dst.data(), dstPitch, w, h, route.host}, nullptr));
            std::vector<uint8_t> expected(w * route.bytesOut + 16);
            for (int32_t m = 0; m < h; ++m) {
                const int32_t picture = HostRowsBottomUp(route.host) ? h - 1 - m : m;
                const int32_t sourceRow = view.bottomUp ? h - 1 - picture : picture;
                route.row(Row(src.data(), srcPitch, sourceRow), expected.data(), w);
                const uint8_t* out = Row(dst.data(), dstPitch, m);
                const bool copy = route.row == kRoutes[0].row || route.row == kRoutes[1].row;
                const int32_t written =
                    copy ? srcPitch : w * route.bytesOut;  // the copy takes the shorter pitch
                ASSERT_EQ(0, std::memcmp(expected.data(), out, w * route.bytesOut))
                    << static_cast<uint32_t>(route.host) << " " << w << "x" << h << " row " << m;
                for (int32_t i = written; i < dstPitch; ++i) ASSERT_EQ(0x5A, out[i]);
            }
        }
    }
}

TEST(OutputConversions, SameSizeBgraIsARowCopyWithoutFlip) {
    std::vector<uint8_t> src = test::RandomBytes(3 * 16, 3);
    std::vector<uint8_t> dst(3 * 16);
    ConvertOutputFrame({src.data(), 16, 4, 3, DecodedLayout::Bgra8, true}, 4, 3,
                       {dst.data(), 16, 4, 3, HostLayout::Bgra8}, nullptr);
    EXPECT_EQ(src, dst);
}

TEST(OutputConversions, UnsupportedPairsAndEmptyFrames) {
    std::vector<uint8_t> src(64 * 64, 9), dst(64 * 64, 0x77);
    const std::vector<uint8_t> untouched = dst;
    const DecodedFrameView yuyv{src.data(), 16, 8, 4, DecodedLayout::Yuyv8, false};
    const HostLayout uyvy = HostLayout::Unknown;  // a layout no conversion writes
    EXPECT_EQ(3, ConvertOutputFrame(yuyv, 8, 4, {dst.data(), 32, 8, 4, uyvy}, nullptr));
    EXPECT_EQ(3, ConvertOutputFrame(yuyv, 8, 4, {dst.data(), 32, 4, 2, uyvy}, nullptr));
    // ARGB 8-bit from YUYV: nothing written, result 0; at another size only when scaling ARGB is allowed
    EXPECT_EQ(0, ConvertOutputFrame(yuyv, 8, 4, {dst.data(), 32, 8, 4, HostLayout::Argb8}, nullptr));
    EXPECT_EQ(3, ConvertOutputFrame(yuyv, 8, 4, {dst.data(), 32, 4, 2, HostLayout::Argb8}, nullptr));
    // zero height converts nothing
    const DecodedFrameView empty{src.data(), 16, 8, 0, DecodedLayout::Yuyv8, false};
    EXPECT_EQ(0,
              ConvertOutputFrame(empty, 8, 0, {dst.data(), 32, 8, 0, HostLayout::Vuya8}, nullptr));
    EXPECT_EQ(0,
              ConvertOutputFrame(empty, 8, 0, {dst.data(), 32, 8, 0, HostLayout::Bgra8}, nullptr));
    EXPECT_EQ(untouched, dst);
}

}  // namespace
}  // namespace krvx
