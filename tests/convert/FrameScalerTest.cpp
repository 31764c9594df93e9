// The scaling entries: copies at scale 1, flat pictures, orientation, allocation failures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ConvertTestSupport.h"
#include "convert/FrameScaler.h"
#include "convert/OutputConversions.h"
#include "convert/RowKernels.h"
#include "convert/ScalingPool.h"

namespace krvx {
namespace {

using test::Row;

TEST(FrameScaler, ScaleOneIsACopy) {
    test::MallocAllocator allocator;
    const int32_t w = 17, h = 5;
    std::vector<uint8_t> bgra = test::RandomBytes(w * 4 * h, 4), out(w * 4 * h);
    ASSERT_EQ(0, ScaleBgra8({bgra.data(), w, h, w * 4, out.data(), w, h, w * 4}, &allocator, true));
    EXPECT_EQ(bgra, out);
    ASSERT_EQ(0, ScaleBgra8({bgra.data(), w, h, w * 4, out.data(), w, h, w * 4}, &allocator));
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(i % 4 == 3 ? 255 : bgra[i], out[i]);

    // 16-bit: the same form as the same-size conversion, rows kept in order
    std::vector<uint8_t> b64a = test::RandomBytes(w * 8 * h, 5), scaled(w * 8 * h), expected(w * 8);
    ASSERT_EQ(0, ScaleRgba16ToBgra16({b64a.data(), w, h, w * 8, scaled.data(), w, h, w * 8}, &allocator));
    for (int32_t y = 0; y < h; ++y) {
        ReferenceRowKernels().rgba16ToBgra16(Row<uint16_t>(b64a.data(), w * 8, y),
                                             reinterpret_cast<uint16_t*>(expected.data()), w);
        ASSERT_EQ(0, std::memcmp(expected.data(), Row(scaled.data(), w * 8, y), w * 8)) << y;
    }

    // 13-bit to float, rows kept in order
    std::vector<int16_t> wp13 = test::RandomSamples(w * 3 * h, 0, 8191, 6);
    std::vector<float> f(w * 4 * h), row(w * 4);
    ASSERT_EQ(0, ScaleRgb13ToBgraFloat({reinterpret_cast<uint8_t*>(wp13.data()), w, h, w * 6,
                                        reinterpret_cast<uint8_t*>(f.data()), w, h, w * 16},
                                       &allocator, 3));
    for (int32_t y = 0; y < h; ++y) {
        ReferenceRowKernels().rgb13ToBgraFloat(&wp13[y * w * 3], 3, row.data(), w);
        ASSERT_EQ(0, std::memcmp(row.data(), &f[y * w * 4], w * 16)) << y;
    }
    EXPECT_EQ(0, allocator.Live());
}

TEST(FrameScaler, FlatPicturesStayFlatAtEverySize) {
    test::MallocAllocator allocator;
    const int32_t sw = 61, sh = 35;
    std::vector<uint8_t> bgra(sw * 4 * sh), yuyv((sw - 1) * 2 * sh);
    for (int32_t i = 0; i < sw * sh; ++i) std::memcpy(&bgra[4 * i], "\x0A\x14\x1E\x63", 4);
    for (size_t i = 0; i < yuyv.size(); i += 4) std::memcpy(&yuyv[i], "\x50\x5A\x50\xF0", 4);
    for (auto size : {std::pair<int32_t, int32_t>{30, 17}, {120, 70}, {10, 4}, {61, 9}}) {
        const int32_t dw = size.first, dh = size.second;
        std::vector<uint8_t> out(dw * 4 * dh);
        ASSERT_EQ(0, ScaleBgra8({bgra.data(), sw, sh, sw * 4, out.data(), dw, dh, dw * 4}, &allocator));
        for (int32_t i = 0; i < dw * dh; ++i)
            ASSERT_EQ(0, std::memcmp(&out[4 * i], "\x0A\x14\x1E\xFF", 4)) << i;
        ASSERT_EQ(0, ScaleYuyvToVuya8({yuyv.data(), sw - 1, sh, (sw - 1) * 2, out.data(), dw, dh, dw * 4},
                                      &allocator, false));
        for (int32_t i = 0; i < dw * dh; ++i)
            ASSERT_EQ(0, std::memcmp(&out[4 * i], "\xF0\x5A\x50\xFF", 4)) << i;
    }
    EXPECT_EQ(0, allocator.Live());
}

// The YUV paths turn the frame over; through the output step every scaled route is upright.
TEST(FrameScaler, ScaledRoutesAreUprightInTheHostFrame) {
    test::MallocAllocator allocator;
    const int32_t sw = 40, sh = 32, dw = 20, dh = 16;
    struct Case {
        DecodedLayout decoded;
        HostLayout host;
        int32_t bytesIn;
        int32_t sampleBytes;  // of the source
        int32_t probe;        // index of a brightness-carrying sample in the host pixel
        int32_t outBytes;     // bytes of that sample: 1, 2 (unsigned) or 4 (float)
    };
    const Case cases[] = {{DecodedLayout::Yuyv8, HostLayout::Vuya8, 2, 1, 2, 1},
                          {DecodedLayout::Yu64, HostLayout::VuyaFloat, 4, 2, 2, 4},
                          {DecodedLayout::Rgb13, HostLayout::BgraFloat, 6, 2, 1, 4},
                          {DecodedLayout::Rgba13, HostLayout::ArgbFloat, 8, 2, 2, 4},
                          {DecodedLayout::Rgb13, HostLayout::VuyaFloat, 6, 2, 2, 4},
                          {DecodedLayout::Rgba16, HostLayout::Bgra16, 8, 2, 1, 2},
                          {DecodedLayout::Bgra8, HostLayout::Bgra8, 4, 1, 1, 1},
                          {DecodedLayout::Bgra8, HostLayout::Argb8, 4, 1, 2, 1}};
    for (const Case& c : cases) {
        // The top half of the picture is bright, the bottom half dark.
        std::vector<uint8_t> src(sw * c.bytesIn * sh, 0);
        const bool bottomUp = DecoderRowsBottomUp(c.decoded);
        const bool is13 = c.decoded == DecodedLayout::Rgb13 || c.decoded == DecodedLayout::Rgba13;
        for (int32_t picture = 0; picture < sh / 2; ++picture) {
            uint8_t* row = Row(src.data(), sw * c.bytesIn, bottomUp ? sh - 1 - picture : picture);
            for (int32_t i = 0; i < sw * c.bytesIn; ++i)
                row[i] = c.sampleBytes == 1 || (i & 1) ? (is13 ? 0x1F : 0xF0) : 0;
        }
        const int32_t dstPitch = dw * 16;
        std::vector<uint8_t> dst(dstPitch * dh, 0);
        ASSERT_EQ(0, ConvertOutputFrame({src.data(), sw * c.bytesIn, sw, sh, c.decoded, bottomUp}, sw, sh,
                                        {dst.data(), dstPitch, dw, dh, c.host}, &allocator, true));
        // The host frame is bottom-up: its last row in memory is the bright top of the picture.
        auto brightness = [&](int32_t memoryRow) {
            const uint8_t* p = Row(dst.data(), dstPitch, memoryRow) + (dw / 2 * 4 + c.probe) * c.outBytes;
            if (c.outBytes == 1) return static_cast<double>(*p);
            if (c.outBytes == 2) return static_cast<double>(*reinterpret_cast<const uint16_t*>(p));
            return static_cast<double>(*reinterpret_cast<const float*>(p));
        };
        EXPECT_GT(brightness(dh - 1), brightness(0)) << static_cast<uint32_t>(c.host) << " from " << static_cast<uint32_t>(c.decoded);
    }
    EXPECT_EQ(0, allocator.Live());
}

TEST(FrameScaler, MissingAllocatorOrFailedAllocationWritesNothing) {
    const int32_t sw = 32, sh = 16;
    std::vector<uint8_t> src = test::RandomBytes(sw * 4 * sh, 8), dst(16 * 4 * 8, 0x33);
    const std::vector<uint8_t> untouched = dst;
    const ScaleGeometry g{src.data(), sw, sh, sw * 4, dst.data(), 16, 8, 64};
    EXPECT_EQ(4, ScaleBgra8(g, nullptr));
    EXPECT_EQ(4, ScaleYuyvToVuya8(g, nullptr, true));
    test::MallocAllocator allocator;
    auto scalers = {+[](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleBgra8(g, a); },
                    +[](const ScaleGeometry& g, IScratchAllocator* a) {
                        // 8 bytes per pixel on both sides: half the width at the same pitches
                        return ScaleRgba16ToBgra16({g.source, 16, 16, 128, g.destination, 8, 8, 64}, a);
                    }};
    for (auto scale : scalers) {
        int32_t failAt = 1;
        for (;; ++failAt) {
            allocator.FailFrom(failAt);
            dst = untouched;
            const int32_t result = scale(g, &allocator);
            EXPECT_EQ(0, allocator.Live()) << failAt;
            if (result == 0) break;
            EXPECT_EQ(4, result);
            EXPECT_EQ(untouched, dst) << failAt;
        }
        EXPECT_GT(failAt, 3);  // several buffers were refused in turn before the job could run
    }
    allocator.FailFrom(0);
}

}  // namespace
}  // namespace krvx
