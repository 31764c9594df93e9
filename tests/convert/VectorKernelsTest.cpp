// Every vector path against the scalar reference on random inputs, odd widths and odd sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "ConvertTestSupport.h"
#include "convert/CpuDispatch.h"
#include "convert/FrameScaler.h"
#include "convert/RowKernels.h"
#include "convert/ScalingPool.h"

namespace krvx {
namespace {

using test::RandomBytes;
using test::RandomSamples;

class KernelLevelGuard {
public:
    ~KernelLevelGuard() { SetKernelLevel(SupportedKernelLevel()); }
};

const int32_t kWidths[] = {1, 2, 3, 7, 8, 9, 16, 17, 31, 33, 47, 67};

// Every vector level this processor runs, lowest first.
std::vector<KernelLevel> VectorLevels() {
    std::vector<KernelLevel> levels;
    for (int level = 1; level <= static_cast<int>(SupportedKernelLevel()); ++level)
        levels.push_back(static_cast<KernelLevel>(level));
    return levels;
}

TEST(VectorRowKernels, EightBitRowsMatchTheReference) {
    KernelLevelGuard restore;
    const RowKernels& ref = ReferenceRowKernels();
    for (KernelLevel level : VectorLevels()) {
        SetKernelLevel(level);
        const RowKernels& vec = ActiveRowKernels();
        for (int32_t width : kWidths) {
            const std::vector<uint8_t> src = RandomBytes(4 * width + 8, 17 + width);
            std::vector<uint8_t> a(4 * width + 8, 0xCD), b(4 * width + 8, 0xCD);
            ref.yuyvToBgra(src.data(), a.data(), width);
            vec.yuyvToBgra(src.data(), b.data(), width);
            EXPECT_EQ(a, b) << "YUYV to BGRA, width " << width;
            for (bool hd : {false, true}) {
                ref.yuyvToVuya(src.data(), a.data(), width, hd);
                vec.yuyvToVuya(src.data(), b.data(), width, hd);
                EXPECT_EQ(a, b) << "YUYV to VUYA, width " << width << " hd " << hd;
            }
            ref.bgraToVuya(src.data(), a.data(), width);
            vec.bgraToVuya(src.data(), b.data(), width);
            EXPECT_EQ(a, b) << "BGRA to VUYA, width " << width;
            ref.reverseBytes(src.data(), a.data(), width);
            vec.reverseBytes(src.data(), b.data(), width);
            EXPECT_EQ(a, b) << "byte reversal, width " << width;
        }
    }
}

// Every luma value with every chroma pair: a row per (U, V) holding Y = 0 .. 255 in its pairs. The
// vector forms rearrange the arithmetic into 16-bit steps, so each combination is checked.
TEST(VectorRowKernels, YuyvRowsMatchTheReferenceForEveryYuvCombination) {
    KernelLevelGuard restore;
    const RowKernels& ref = ReferenceRowKernels();
    constexpr int32_t kWidth = 256;
    std::vector<uint8_t> src(2 * kWidth), a(4 * kWidth), b(4 * kWidth);
    for (KernelLevel level : VectorLevels()) {
        SetKernelLevel(level);
        const RowKernels& vec = ActiveRowKernels();
        int32_t mismatches = 0;
        for (int32_t u = 0; u < 256; ++u) {
            for (int32_t v = 0; v < 256; ++v) {
                for (int32_t p = 0; p < kWidth / 2; ++p) {
                    src[4 * p] = static_cast<uint8_t>(2 * p);
                    src[4 * p + 1] = static_cast<uint8_t>(u);
                    src[4 * p + 2] = static_cast<uint8_t>(2 * p + 1);
                    src[4 * p + 3] = static_cast<uint8_t>(v);
                }
                ref.yuyvToBgra(src.data(), a.data(), kWidth);
                vec.yuyvToBgra(src.data(), b.data(), kWidth);
                mismatches += a != b;
                for (bool hd : {false, true}) {
                    ref.yuyvToVuya(src.data(), a.data(), kWidth, hd);
                    vec.yuyvToVuya(src.data(), b.data(), kWidth, hd);
                    mismatches += a != b;
                }
            }
        }
        EXPECT_EQ(0, mismatches) << "level " << static_cast<int>(level);
    }
}

TEST(VectorRowKernels, WideSampleRowsMatchTheReference) {
    KernelLevelGuard restore;
    const RowKernels& ref = ReferenceRowKernels();
    for (KernelLevel level : VectorLevels()) {
        SetKernelLevel(level);
        const RowKernels& vec = ActiveRowKernels();
        for (int32_t width : kWidths) {
            const std::vector<int16_t> src = RandomSamples(4 * width + 8, -200, 8400, 5 + width);
            std::vector<float> a(4 * width), b(4 * width);
            for (int32_t spp : {3, 4}) {
                ref.rgb13ToVuyaFloat(src.data(), spp, a.data(), width);
                vec.rgb13ToVuyaFloat(src.data(), spp, b.data(), width);
                EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * 4)) << width;
                ref.rgb13ToBgraFloat(src.data(), spp, a.data(), width);
                vec.rgb13ToBgraFloat(src.data(), spp, b.data(), width);
                EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * 4)) << width;
                ref.rgb13ToArgbFloat(src.data(), spp, a.data(), width);
                vec.rgb13ToArgbFloat(src.data(), spp, b.data(), width);
                EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * 4)) << width;
                std::vector<uint8_t> a8(4 * width), b8(4 * width);
                ref.rgb13ToArgb8(src.data(), spp, a8.data(), width);
                vec.rgb13ToArgb8(src.data(), spp, b8.data(), width);
                EXPECT_EQ(a8, b8) << width;
            }
            const std::vector<uint8_t> yu64 = RandomBytes(8 * width + 8, 9 + width);
            std::vector<uint16_t> a16(4 * width), b16(4 * width);
            ref.rgba16ToBgra16(reinterpret_cast<const uint16_t*>(yu64.data()), a16.data(), width);
            vec.rgba16ToBgra16(reinterpret_cast<const uint16_t*>(yu64.data()), b16.data(), width);
            EXPECT_EQ(a16, b16) << width;
            for (int mode = 0; mode < 4; ++mode) {
                const bool hd = mode & 1, interpolate = mode & 2;
                ref.yu64ToVuyaFloat(reinterpret_cast<const uint16_t*>(yu64.data()), a.data(), width, hd, interpolate);
                vec.yu64ToVuyaFloat(reinterpret_cast<const uint16_t*>(yu64.data()), b.data(), width, hd, interpolate);
                EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * 4)) << width << " mode " << mode;
            }
        }
    }
}

// Scales random frames once with the reference kernels and once with the vector ones.
struct ScalePath {
    const char* name;
    int32_t bytesPerPixel;
    bool samples13;
    int32_t (*run)(const ScaleGeometry&, IScratchAllocator*);
};

const ScalePath kScalePaths[] = {
    {"YUYV to VUYA 8-bit SD", 2, false,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleYuyvToVuya8(g, a, false); }},
    {"YUYV to VUYA 8-bit HD", 2, false,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleYuyvToVuya8(g, a, true); }},
    {"YU64 to VUYA float", 4, false,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleYu64ToVuyaFloat(g, a, true); }},
    {"13-bit to BGRA float", 6, true,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleRgb13ToBgraFloat(g, a, 3); }},
    {"13-bit with alpha to ARGB float", 8, true,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleRgb13ToArgbFloat(g, a, 4); }},
    {"13-bit to VUYA float", 6, true,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleRgb13ToVuyaFloat(g, a, 3); }},
    {"16-bit to BGRA 16-bit", 8, false,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleRgba16ToBgra16(g, a); }},
    {"BGRA 8-bit", 4, false, [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleBgra8(g, a); }},
    {"BGRA 8-bit with alpha", 4, false,
     [](const ScaleGeometry& g, IScratchAllocator* a) { return ScaleBgra8(g, a, true); }},
};

struct Sizes {
    int32_t sw, sh, dw, dh;
};

TEST(VectorScaling, EveryPathMatchesTheReference) {
    KernelLevelGuard restore;
    const Sizes sizes[] = {{64, 48, 32, 24}, {67, 33, 17, 9},  {33, 17, 70, 41}, {200, 40, 39, 7},
                           {9, 9, 9, 9},     {48, 30, 48, 13}, {1, 3, 5, 2},     {7, 5, 3, 1},
                           {131, 20, 25, 3}, {17, 1, 17, 1},  {128, 64, 32, 16}};
    test::MallocAllocator allocator;
    for (const ScalePath& path : kScalePaths) {
        for (const Sizes& s : sizes) {
            const int32_t srcPitch = s.sw * path.bytesPerPixel + 12;
            const int32_t dstPitch = s.dw * 16 + 8;
            std::vector<uint8_t> src;
            if (path.samples13) {
                const std::vector<int16_t> samples =
                    RandomSamples(static_cast<size_t>(srcPitch) * s.sh / 2, 0, 8191, s.sw);
                src.resize(samples.size() * 2);
                std::memcpy(src.data(), samples.data(), src.size());
            } else {
                src = RandomBytes(static_cast<size_t>(srcPitch) * s.sh, s.sw * 31 + s.dh);
            }
            std::vector<uint8_t> reference(static_cast<size_t>(dstPitch) * s.dh, 0xAB);
            SetKernelLevel(KernelLevel::Scalar);
            ASSERT_EQ(0, path.run({src.data(), s.sw, s.sh, srcPitch, reference.data(), s.dw, s.dh, dstPitch},
                                  &allocator));
            for (KernelLevel level : VectorLevels()) {
                std::vector<uint8_t> vector(reference.size(), 0xAB);
                SetKernelLevel(level);
                ASSERT_EQ(0, path.run({src.data(), s.sw, s.sh, srcPitch, vector.data(), s.dw, s.dh, dstPitch},
                                      &allocator));
                EXPECT_EQ(reference, vector) << path.name << " level " << static_cast<int>(level) << " "
                                             << s.sw << "x" << s.sh << " to " << s.dw << "x" << s.dh;
            }
            EXPECT_EQ(0, allocator.Live());
        }
    }
}

// Stripes of the lowest and highest sample put the largest sums the filter can make on every tap, with
// the negative lobes on the bright samples; the vector passes must still clamp exactly as the reference.
TEST(VectorScaling, HighContrastStripesMatchTheReference) {
    KernelLevelGuard restore;
    const Sizes sizes[] = {{1920, 64, 960, 32}, {1920, 60, 480, 15}, {64, 48, 200, 150}, {96, 90, 95, 89}};
    test::MallocAllocator allocator;
    for (const ScalePath& path : kScalePaths) {
        if (path.samples13) continue;
        for (const Sizes& s : sizes) {
            for (int32_t period : {1, 2, 3}) {
                const int32_t pitch = s.sw * path.bytesPerPixel;
                std::vector<uint8_t> src(static_cast<size_t>(pitch) * s.sh);
                for (int32_t y = 0; y < s.sh; ++y)
                    for (int32_t x = 0; x < pitch; ++x)
                        src[static_cast<size_t>(y) * pitch + x] =
                            ((x / path.bytesPerPixel / period + y / period) & 1) ? 255 : 0;
                const int32_t dstPitch = s.dw * 16;
                std::vector<uint8_t> reference(static_cast<size_t>(dstPitch) * s.dh);
                SetKernelLevel(KernelLevel::Scalar);
                ASSERT_EQ(0, path.run({src.data(), s.sw, s.sh, pitch, reference.data(), s.dw, s.dh, dstPitch},
                                      &allocator));
                for (KernelLevel level : VectorLevels()) {
                    std::vector<uint8_t> vector(reference.size());
                    SetKernelLevel(level);
                    ASSERT_EQ(0, path.run({src.data(), s.sw, s.sh, pitch, vector.data(), s.dw, s.dh, dstPitch},
                                          &allocator));
                    EXPECT_EQ(reference, vector) << path.name << " level " << static_cast<int>(level) << " "
                                                 << s.sw << "x" << s.sh << " to " << s.dw << "x" << s.dh
                                                 << " period " << period;
                }
            }
        }
    }
}

}  // namespace
}  // namespace krvx
