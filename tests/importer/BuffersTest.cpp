// Sample and frame buffers: they grow, never shrink, keep their alignment promise, and say why they fail.
#include <KRVXPixelFormat.h>
#include <gtest/gtest.h>

#include <string>

#include "host/CAllocator.h"
#include "host/HostResults.h"
#include "host/PrPixelFormat.h"
#include "importer/CFrameBuffer.h"
#include "importer/CSampleBuffer.h"
#include "importer/DecoderFormats.h"
#include "tests/host/DebugCapture.h"

using namespace krvx;
using krvx::testing_support::DebugCaptureScope;

namespace {

// An allocator that refuses everything, to reach the failure paths.
class RefusingAllocator : public IAllocator {
public:
    void* Alloc(uint32_t) override { return nullptr; }
    void Free(void*) override {}
    void* AllocAligned(uint32_t, uint32_t) override { return nullptr; }
    void FreeAligned(void*) override {}
};

TEST(BuffersTest, SmallerRequestsKeepTheBlockAndLargerOnesReplaceIt) {
    CAllocator allocator(nullptr);
    CSampleBuffer sample(&allocator);
    ASSERT_TRUE(sample.Alloc(4096));
    uint8_t* first = sample.Data();
    ASSERT_TRUE(sample.Alloc(100));
    EXPECT_EQ(sample.Data(), first);
    EXPECT_EQ(sample.Capacity(), 4096u);
    EXPECT_EQ(sample.SampleSize(), 100u);
    ASSERT_TRUE(sample.Alloc(8192));
    EXPECT_EQ(sample.Capacity(), 8192u);
    EXPECT_EQ(allocator.LiveBlockCount(), 1u);
    sample.Release();
    EXPECT_EQ(sample.Data(), nullptr);
    EXPECT_EQ(sample.SampleSize(), 0u);
    EXPECT_EQ(allocator.LiveBlockCount(), 0u);
    // Releasing what is not held is harmless.
    sample.Release();
}

TEST(BuffersTest, AStrongerAlignmentReallocatesAndZeroSizeChangesNothing) {
    CAllocator allocator(nullptr);
    CGenericBuffer buffer(&allocator);
    ASSERT_TRUE(buffer.Alloc(1000, 4));
    EXPECT_EQ(buffer.Alignment(), 4u);
    ASSERT_TRUE(buffer.Alloc(500, 16));
    EXPECT_EQ(buffer.Alignment(), 16u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.Data()) % 16, 0u);
    uint8_t* aligned = buffer.Data();
    ASSERT_TRUE(buffer.Alloc(0, 64));
    EXPECT_EQ(buffer.Data(), aligned);
    ASSERT_TRUE(buffer.Alloc(200, 4));
    EXPECT_EQ(buffer.Data(), aligned);
    buffer.Free();
    EXPECT_EQ(allocator.LiveBlockCount(), 0u);
}

TEST(BuffersTest, WithoutAllocatorTheRuntimeHeapServesAlignedBlocks) {
    CFrameBuffer frame;
    ASSERT_EQ(frame.Alloc(33, 7, KRVX_PIXEL_FORMAT_W13A), 0);
    EXPECT_EQ(frame.Pitch(), 272);  // 33 * 8 = 264, rounded up to 16
    EXPECT_EQ(reinterpret_cast<uintptr_t>(frame.Data()) % 16, 0u);
    EXPECT_TRUE(frame.IsValid());
    for (int32_t i = 0; i < frame.Pitch() * frame.Height(); ++i) frame.Data()[i] = static_cast<uint8_t>(i);
}

// On the 32-bit target a block of nearly 4 GiB cannot exist: the runtime heap's request, with its alignment
// and its header added, must be refused rather than wrapped to a few bytes and handed out as the whole block.
TEST(BuffersTest, WithoutAllocatorABlockPastTheAddressSpaceIsRefusedNotWrapped) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "a block of 4 GiB may exist in a 64-bit process";
    DebugCaptureScope capture;
    CGenericBuffer buffer;
    for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFECu}) {
        for (uint32_t alignment : {16u, 4u}) {
            EXPECT_FALSE(buffer.Alloc(size, alignment)) << size << " at " << alignment;
            EXPECT_EQ(buffer.Data(), nullptr);
            EXPECT_EQ(buffer.Capacity(), 0u);
        }
    }
    // A frame of 0xFFFFFFF0 bytes (a pitch of 16, 268435455 rows) fits its 32-bit size and is answered with
    // the memory error.
    CFrameBuffer frame;
    EXPECT_EQ(frame.Alloc(4, 268435455, KRVX_PIXEL_FORMAT_BGRA), kImMemErr);
    EXPECT_FALSE(frame.IsValid());
    CSampleBuffer sample;
    EXPECT_FALSE(sample.Alloc(0xFFFFFFFDu));
}

TEST(BuffersTest, FramePitchIsRoundedToSixteenBytes) {
    CFrameBuffer frame;
    ASSERT_EQ(frame.Alloc(1, 1, KRVX_PIXEL_FORMAT_BGRA), 0);
    EXPECT_EQ(frame.Pitch(), 16);
    ASSERT_EQ(frame.Alloc(1920, 1080, KRVX_PIXEL_FORMAT_YUYV), 0);
    EXPECT_EQ(frame.Pitch(), 3840);
    ASSERT_EQ(frame.Alloc(17, 2, KRVX_PIXEL_FORMAT_WP13), 0);
    EXPECT_EQ(frame.Pitch(), 112);  // 102 rounded up
    EXPECT_TRUE(frame.IsValid());
}

TEST(BuffersTest, AFormatWithoutPixelSizeGivesAnInvalidFrame) {
    CFrameBuffer frame;
    EXPECT_EQ(frame.Alloc(64, 64, 0), 0);
    EXPECT_EQ(frame.Pitch(), 0);
    EXPECT_FALSE(frame.IsValid());
    CFrameBuffer packed;
    EXPECT_EQ(packed.Alloc(64, 64, KRVX_PIXEL_FORMAT_V210), 0);
    EXPECT_FALSE(packed.IsValid());
}

TEST(BuffersTest, FailuresAreReportedWithSizesAndTheFormatLettersLowByteFirst) {
    RefusingAllocator refusing;
    DebugCaptureScope capture;
    CFrameBuffer frame(&refusing);
    EXPECT_EQ(frame.Alloc(10, 2, KRVX_PIXEL_FORMAT_BGRA), kImMemErr);
    EXPECT_FALSE(frame.IsValid());
    CSampleBuffer sample(&refusing);
    EXPECT_FALSE(sample.Alloc(300));
    std::vector<std::string> lines = capture.Take();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "CGenericBuffer::Alloc failed size: 96, alignment: 16\n");
    EXPECT_EQ(lines[1], "CFrameBuffer::Alloc failed size: 96, width: 10, height: 2, format: ARGB\n");
    EXPECT_EQ(lines[2], "CGenericBuffer::Alloc failed size: 300, alignment: 4\n");
    EXPECT_EQ(frame.Data(), nullptr);
    EXPECT_EQ(frame.Capacity(), 0u);
}

TEST(BuffersTest, ReadingASampleWithoutReaderIsABadRequest) {
    CSampleBuffer sample;
    EXPECT_EQ(sample.ReadSample(nullptr, 0, 512), kImOtherErr);
}

TEST(DecoderFormatsTest, EveryOfferedHostFormatHasItsDecoderFormat) {
    struct Case {
        uint32_t host, encoded, decoder, bytes;
    };
    const Case cases[] = {
        {PrPixelFormat_BGRA_4444_8u, 0, KRVX_PIXEL_FORMAT_BGRA, 4},
        {PrPixelFormat_ARGB_4444_8u, 2, KRVX_PIXEL_FORMAT_BGRA, 4},
        {PrPixelFormat_YUYV_422_8u_709, 0, KRVX_PIXEL_FORMAT_YUYV, 2},
        {PrPixelFormat_VUYA_4444_8u, 1, KRVX_PIXEL_FORMAT_YUYV, 2},
        {PrPixelFormat_VUYA_4444_32f, 2, KRVX_PIXEL_FORMAT_W13A, 8},
        {PrPixelFormat_VUYA_4444_32f, 0, KRVX_PIXEL_FORMAT_WP13, 6},
        {PrPixelFormat_BGRA_4444_32f, 1, KRVX_PIXEL_FORMAT_WP13, 6},
        {PrPixelFormat_ARGB_4444_32f, 2, KRVX_PIXEL_FORMAT_W13A, 8},
        {PrPixelFormat_BGRA_4444_16u, 0, KRVX_PIXEL_FORMAT_B64A, 8},
    };
    for (const Case& c : cases) {
        uint32_t decoder = 0, bytes = 0;
        EXPECT_EQ(DecoderFormatForHostFormat(c.host, c.encoded, &decoder, &bytes), 0);
        EXPECT_EQ(decoder, c.decoder);
        EXPECT_EQ(bytes, c.bytes);
    }
    uint32_t decoder = 0;
    EXPECT_EQ(DecoderFormatForHostFormat(MakePrPixelFormat('u', 'y', 'v', 'y'), 0, &decoder, nullptr),
              kImUnsupported);
    EXPECT_EQ(BytesPerPixel(PrPixelFormat_VUYA_4444_32f), 16u);
    EXPECT_EQ(BytesPerPixel(KRVX_PIXEL_FORMAT_RG24), 3u);
}

}  // namespace
