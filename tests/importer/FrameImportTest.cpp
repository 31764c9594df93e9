// Frames through the module as the host asks for them: every offered format at full and reduced sizes
// compared with the picture the clip was made from, priming, the colour override, hostile sizes, and
// host frames never leaked.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/HostFrames.h"
#include "host/PrPixelFormat.h"
#include "host/Selectors.h"
#include "platform/store.h"
#include "platform/system.h"
#include "tests/support/ModuleTest.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/FrameRequests.h"

using namespace krvx;
using namespace krvx::sim;
using namespace krvx::testing_support;

namespace {

// Wider than 720 and taller than 576, so the VUYA paths deliver BT.601 as the harness reads it; every
// side divides by 8, so each decode resolution is exact.
constexpr uint32_t kWidth = 768, kHeight = 592;

// Red rises to the right, green downwards, blue with the frame, alpha falls to the right: no two rows
// or columns are alike, so a picture upside down or mirrored shows.
std::vector<uint8_t> SourcePicture(uint32_t width, uint32_t height, uint32_t frame) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(30 + 190 * x / width);
            p[1] = static_cast<uint8_t>(40 + 170 * y / height);
            p[2] = static_cast<uint8_t>(60 + 20 * (frame % 5));
            p[3] = static_cast<uint8_t>(255 - 200 * x / width);
        }
    }
    return rgba;
}

encode::ClipOptions PictureClip(uint32_t format, uint32_t width = kWidth, uint32_t height = kHeight,
                                uint32_t frames = 3) {
    encode::ClipOptions options = SmallClip(width, height, frames);
    options.format = format;
    options.source = [width, height, format](uint32_t frame, encode::Picture& picture) {
        const std::vector<uint8_t> rgba = SourcePicture(width, height, frame);
        picture = encode::PictureFromRgba8(rgba.data(), width, height, width * 4, format);
        return true;
    };
    return options;
}

// The source picture averaged down to width x height (the sizes divide evenly).
RgbaImage Reduced(uint32_t frame, int32_t width, int32_t height) {
    const std::vector<uint8_t> full = SourcePicture(kWidth, kHeight, frame);
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    const int32_t fx = static_cast<int32_t>(kWidth) / width, fy = static_cast<int32_t>(kHeight) / height;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                int32_t sum = 0;
                for (int32_t j = 0; j < fy; ++j)
                    for (int32_t i = 0; i < fx; ++i)
                        sum += full[((static_cast<size_t>(y * fy + j)) * kWidth + x * fx + i) * 4 + c];
                image.rgba[(static_cast<size_t>(y) * width + x) * 4 + c] =
                    static_cast<uint8_t>(sum / (fx * fy));
            }
    return image;
}

struct Difference {
    double meanColour = 0;  // mean absolute difference over R, G, B
    int maxColour = 0;
    int maxAlpha = 0;
};

// Compares colours everywhere but a margin where a scaling filter meets the picture's edge.
Difference Compare(const RgbaImage& got, const RgbaImage& want, int32_t margin, bool alphaExpected) {
    Difference d;
    int64_t sum = 0, count = 0;
    for (int32_t y = margin; y < got.height - margin; ++y)
        for (int32_t x = margin; x < got.width - margin; ++x) {
            const uint8_t* g = got.Pixel(x, y);
            const uint8_t* w = want.Pixel(x, y);
            for (int c = 0; c < 3; ++c) {
                const int diff = std::abs(g[c] - w[c]);
                sum += diff;
                d.maxColour = std::max(d.maxColour, diff);
            }
            d.maxAlpha = std::max(d.maxAlpha, std::abs(g[3] - (alphaExpected ? w[3] : 255)));
            count += 3;
        }
    d.meanColour = count ? static_cast<double>(sum) / count : 0;
    return d;
}

class FrameImportTest : public ModuleTest {
protected:
    void TearDown() override {
        // Every host frame the plug-in made went to the host or back; every block and handle came back.
        EXPECT_EQ(s_session->Host().LiveFrames(), 0u);
        EXPECT_EQ(s_session->Host().LiveHandles(), 0u);
        EXPECT_EQ(s_session->Host().LiveBlocks(), 0u);
    }

    static int CountLines(const std::vector<std::string>& lines, const std::string& text) {
        int count = 0;
        for (const std::string& line : lines) count += line.find(text) != std::string::npos;
        return count;
    }

    TempFolder m_folder;
};

const uint32_t kHostFormats[] = {PrPixelFormat_BGRA_4444_8u,  PrPixelFormat_ARGB_4444_8u,
                                 PrPixelFormat_BGRA_4444_16u, PrPixelFormat_BGRA_4444_32f,
                                 PrPixelFormat_ARGB_4444_32f, PrPixelFormat_VUYA_4444_8u,
                                 PrPixelFormat_VUYA_4444_32f, PrPixelFormat_YUYV_422_8u_709};

// Host formats whose decode format carries the clip's alpha.
bool CarriesAlpha(uint32_t hostFormat) {
    return hostFormat != PrPixelFormat_VUYA_4444_8u && hostFormat != PrPixelFormat_YUYV_422_8u_709;
}

TEST_F(FrameImportTest, EveryFormatAtEverySizeIsUprightWithItsColoursAndAlpha) {
    struct ClipCase {
        uint32_t format;
        const char* name;
    };
    for (ClipCase clipCase : {ClipCase{encode::kFormatYuv, "yuv"}, ClipCase{encode::kFormatRgb, "rgb"},
                              ClipCase{encode::kFormatRgba, "rgba"}}) {
        const std::string path =
            MakeClip(m_folder, std::string(clipCase.name) + ".avi", PictureClip(clipCase.format));
        OpenClip clip(*s_session, path);
        ASSERT_EQ(clip.Open(), 0);
        const bool clipAlpha = clipCase.format == encode::kFormatRgba;
        for (uint32_t format : kHostFormats) {
            // Full size, each reduced decode resolution, and a size between two of them (scaled).
            const std::pair<int32_t, int32_t> sizes[] = {
                {768, 592}, {384, 296}, {192, 148}, {96, 74}, {256, 200}};
            for (auto size : sizes) {
                SCOPED_TRACE(std::string(clipCase.name) + " " + FourChars(format) + " " +
                             std::to_string(size.first) + "x" + std::to_string(size.second));
                SourceFrame frame(*s_session);
                const bool exact = kWidth % size.first == 0 && kHeight % size.second == 0;
                if (format == PrPixelFormat_YUYV_422_8u_709 && !exact) {
                    // Packed 4:2:2 is delivered at the decode resolutions only; it is never scaled.
                    EXPECT_EQ(frame.Request(clip, 0, format, size.first, size.second), 3);
                    continue;
                }
                ASSERT_EQ(frame.Request(clip, 0, format, size.first, size.second), 0);
                RgbaImage got;
                ASSERT_TRUE(frame.ToRgba(&got));
                ASSERT_EQ(got.width, size.first);
                ASSERT_EQ(got.height, size.second);
                RgbaImage want = exact ? Reduced(0, size.first, size.second) : Reduced(0, 256, 296);
                if (!exact) {
                    // 768 / 256 is whole; 592 / 200 is not: compare rows by nearest source row.
                    RgbaImage rows;
                    rows.width = size.first;
                    rows.height = size.second;
                    rows.rgba.resize(static_cast<size_t>(size.first) * size.second * 4);
                    for (int32_t y = 0; y < size.second; ++y)
                        std::memcpy(&rows.rgba[static_cast<size_t>(y) * size.first * 4],
                                    want.Pixel(0, static_cast<int32_t>((y + 0.5) * 296 / size.second)),
                                    static_cast<size_t>(size.first) * 4);
                    want = rows;
                }
                // Scaled frames are opaque except in 16-bit, whose scaler carries the fourth sample.
                const bool alphaKept =
                    clipAlpha && CarriesAlpha(format) && (exact || format == PrPixelFormat_BGRA_4444_16u);
                const Difference d = Compare(got, want, size.first == 768 ? 0 : 3, alphaKept);
                EXPECT_LT(d.meanColour, exact ? 3.0 : 4.5);
                EXPECT_LE(d.maxColour, 24);
                EXPECT_LE(d.maxAlpha, 12);
                // Upright: green grows downwards, red to the right.
                EXPECT_LT(got.Pixel(size.first / 2, 2)[1] + 20,
                          got.Pixel(size.first / 2, size.second - 3)[1]);
                EXPECT_LT(got.Pixel(2, size.second / 2)[0] + 20,
                          got.Pixel(size.first - 3, size.second / 2)[0]);
            }
        }
    }
}

TEST_F(FrameImportTest, ARequestWithoutASizeGetsHalfTheClipWrittenBack) {
    const std::string path = MakeClip(m_folder, "half.avi", PictureClip(encode::kFormatRgb, 320, 180, 1));
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(), 0);
    SourceFrame frame(*s_session);
    ASSERT_EQ(frame.Request(clip, 0, PrPixelFormat_BGRA_4444_8u, 0, 50), 0);
    EXPECT_EQ(frame.Width(), 160);
    EXPECT_EQ(frame.Height(), 90);
    HostSim::FrameView view;
    ASSERT_TRUE(frame.View(&view));
    EXPECT_EQ(view.width, 160);
    EXPECT_EQ(view.height, 90);
}

TEST_F(FrameImportTest, SequentialFramesDecodeOnceAndJumpsPrimeFromTheNearestKeyFrame) {
    // Key frames at every even frame.
    const std::string path = MakeClip(m_folder, "gop.avi", PictureClip(encode::kFormatYuv, 128, 96, 12));
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(), 0);
    Lines();
    std::vector<RgbaImage> sequential(12);
    for (int32_t n = 0; n < 10; ++n) {
        SourceFrame frame(*s_session);
        ASSERT_EQ(frame.Request(clip, n, PrPixelFormat_BGRA_4444_8u, 128, 96), 0);
        ASSERT_TRUE(frame.ToRgba(&sequential[static_cast<size_t>(n)]));
    }
    EXPECT_EQ(CountLines(Lines(), "DecodePrecedingFrames"), 0);

    // Back to 3: primed from 2, and the same picture as in order.
    SourceFrame jump(*s_session);
    ASSERT_EQ(jump.Request(clip, 3, PrPixelFormat_BGRA_4444_8u, 128, 96), 0);
    std::vector<std::string> lines = Lines();
    EXPECT_EQ(CountLines(lines, "DecodePrecedingFrames"), 1);
    EXPECT_EQ(CountLines(lines, "key frame: 2, frames: 1"), 1);
    RgbaImage primed;
    ASSERT_TRUE(jump.ToRgba(&primed));
    EXPECT_EQ(primed.rgba, sequential[3].rgba);

    // 4 follows 3; 5 in another format follows 4 (this decoder's reference state serves every format);
    // 7 at full resolution after 6 at half does not: the reference is too coarse, so 7 primes from 6.
    ASSERT_EQ(jump.Request(clip, 4, PrPixelFormat_BGRA_4444_8u, 128, 96), 0);
    ASSERT_EQ(jump.Request(clip, 5, PrPixelFormat_YUYV_422_8u_709, 128, 96), 0);
    ASSERT_EQ(jump.Request(clip, 6, PrPixelFormat_YUYV_422_8u_709, 64, 48), 0);
    ASSERT_EQ(jump.Request(clip, 7, PrPixelFormat_BGRA_4444_8u, 128, 96), 0);
    lines = Lines();
    EXPECT_EQ(CountLines(lines, "DecodePrecedingFrames"), 1);
    EXPECT_EQ(CountLines(lines, "frame:    7 DecodePrecedingFrames"), 1);
    RgbaImage again;
    ASSERT_TRUE(jump.ToRgba(&again));
    EXPECT_EQ(again.rgba, sequential[7].rgba);
}

// A record of the override file: tag, length word, a 32-bit value.
std::string Record(const char* tag, int32_t value) {
    std::string record(tag, 4);
    const uint32_t length = 4;
    record.append(reinterpret_cast<const char*>(&length), 4);
    record.append(reinterpret_cast<const char*>(&value), 4);
    return record;
}

TEST_F(FrameImportTest, TheColourOverrideChangesEveryDecodeAndEditsTakeEffectAtTheNextFrame) {
    const std::string registry = m_folder.File("registry");
    ASSERT_TRUE(platform::SetEnvironmentValue("KRVX_REGISTRY_DIR", registry.c_str()));
    const char* key = "Software\\Korvane\\ColorProcessing";
    const std::string path = MakeClip(m_folder, "colour.avi", PictureClip(encode::kFormatRgb, 64, 48, 1));
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(), 0);
    auto picture = [&]() {
        SourceFrame frame(*s_session);
        RgbaImage image;
        EXPECT_EQ(frame.Request(clip, 0, PrPixelFormat_BGRA_4444_8u, 64, 48), 0);
        EXPECT_TRUE(frame.ToRgba(&image));
        return image;
    };
    const RgbaImage plain = picture();

    const std::string folder = m_folder.Path();
    ASSERT_TRUE(
        platform::StoreWriteString(platform::StoreHive::CurrentUser, key, "OverridePath", folder.c_str()));
    const std::string file = folder + "/override.colr";
    // CACT bit 1 inverts the picture.
    WriteFile(file, Record("CACT", 2) + Record("CMIX", 0) + Record("CMVL", 0));
    const RgbaImage inverted = picture();
    for (size_t i = 0; i < plain.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) ASSERT_NEAR(inverted.rgba[i + c], 255 - plain.rgba[i + c], 1) << i;

    // An unknown record with a 20-byte payload is skipped by its length; the CMIX after it (no colour
    // at all with CACT bit 0) counts.
    std::string unknown("XTRA", 4);
    const uint32_t length = 20;
    unknown.append(reinterpret_cast<const char*>(&length), 4);
    unknown.append(20, '\x7F');
    WriteFile(file, Record("CACT", 1) + unknown + Record("CMIX", -256) + Record("CMVL", 0));
    const RgbaImage grey = picture();
    for (size_t i = 0; i < grey.rgba.size(); i += 4) {
        ASSERT_NEAR(grey.rgba[i], grey.rgba[i + 1], 2) << i;
        ASSERT_NEAR(grey.rgba[i + 1], grey.rgba[i + 2], 2) << i;
    }

    // Edited back: the next frame is as coded.
    WriteFile(file, Record("CACT", 0));
    EXPECT_EQ(picture().rgba, plain.rgba);
    ASSERT_TRUE(platform::StoreWriteString(platform::StoreHive::CurrentUser, key, "OverridePath", ""));
}

// Writes a declared frame size into the clip's bitmap header.
void DeclareSize(const std::string& path, int32_t width, int32_t height) {
    std::string bytes = ReadFile(path);
    const size_t strf = bytes.find("strf");
    ASSERT_NE(strf, std::string::npos);
    std::memcpy(&bytes[strf + 8 + 4], &width, 4);
    std::memcpy(&bytes[strf + 8 + 8], &height, 4);
    WriteFile(path, bytes);
}

TEST_F(FrameImportTest, HostileDeclaredSizesAreRefusedOrNeverOverrunTheBuffers) {
    const std::pair<int32_t, int32_t> refused[] = {{100000, 100000}, {0, 180},           {-320, 180},
                                                   {320, -180},      {INT_MIN, INT_MIN}, {32769, 180}};
    for (auto size : refused) {
        const std::string path =
            MakeClip(m_folder, "hostile.avi", PictureClip(encode::kFormatRgb, 320, 180, 1));
        DeclareSize(path, size.first, size.second);
        OpenClip clip(*s_session, path);
        EXPECT_EQ(clip.Open(), 2) << size.first << " x " << size.second;
    }
    // Sizes within bounds that are not the samples' own: the frame is refused and nothing is written
    // past the buffers (the sanitizers watch this run), and no host frame is left behind.
    // The sample's picture is not the buffer's size: 9; a frame buffer beyond the address space: 4.
    struct Liar {
        int32_t width, height, result;
    };
    for (Liar size : {Liar{160, 90, 9}, Liar{640, 360, 9}, Liar{32768, 32768, 4}}) {
        const std::string path = MakeClip(m_folder, "liar.avi", PictureClip(encode::kFormatRgb, 320, 180, 1));
        DeclareSize(path, size.width, size.height);
        OpenClip clip(*s_session, path);
        ASSERT_EQ(clip.Open(), 0);
        SourceFrame frame(*s_session);
        EXPECT_EQ(frame.Request(clip, 0, PrPixelFormat_BGRA_4444_8u, size.width, size.height), size.result)
            << size.width << " x " << size.height;
        EXPECT_EQ(frame.Frame(), nullptr);
    }
}

TEST_F(FrameImportTest, FailuresAnswerWithTheirCodesAndLeaveNoFrame) {
    const std::string path = MakeClip(m_folder, "codes.avi", PictureClip(encode::kFormatYuv, 64, 48, 2));
    {
        OpenClip clip(*s_session, path);
        ASSERT_EQ(clip.Open(), 0);
        SourceFrame frame(*s_session);
        EXPECT_EQ(frame.Request(clip, 0, PrPixelFormat_BGRA_4444_8u + 1, 64, 48), 3);  // not a format offered
        EXPECT_EQ(frame.Request(clip, 9, PrPixelFormat_BGRA_4444_8u, 64, 48), 2);      // past the last frame
        EXPECT_EQ(frame.Frame(), nullptr);
        EXPECT_EQ(s_session->Call(imGetSourceVideo, nullptr, nullptr), 5);
    }
    // Without the frame creator suite the importer cannot make host frames.
    s_session->Host().WithholdSuite("Premiere PPix Creator Suite", true);
    {
        OpenClip clip(*s_session, path);
        ASSERT_EQ(clip.Open(), 0);
        SourceFrame frame(*s_session);
        EXPECT_EQ(static_cast<uint32_t>(frame.Request(clip, 0, PrPixelFormat_BGRA_4444_8u, 64, 48)),
                  0x80000000u);
    }
    s_session->Host().WithholdSuite("Premiere PPix Creator Suite", false);
}

TEST_F(FrameImportTest, TheOlderImageRequestConvertsIntoTheHostsBuffer) {
    const std::string path = MakeClip(m_folder, "image.avi", PictureClip(encode::kFormatRgb, 64, 48, 4));
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(), 0);
    SourceFrame reference(*s_session);
    ASSERT_EQ(reference.Request(clip, 3, PrPixelFormat_BGRA_4444_8u, 32, 24), 0);
    HostSim::FrameView view;
    ASSERT_TRUE(reference.View(&view));

    std::vector<uint8_t> pixels(static_cast<size_t>(view.rowBytes) * 24, 0);
    ImageImportRecord record{};
    record.width = 32;
    record.height = 24;
    record.rowBytes = view.rowBytes;
    record.pixels = reinterpret_cast<char*>(pixels.data());
    record.pixelFormat = PrPixelFormat_BGRA_4444_8u;
    record.timeScale = 100;
    record.time = 399;  // frame 3
    record.privateData = clip.Handle();
    ASSERT_EQ(s_session->Call(imImportImage, nullptr, &record), 0);
    EXPECT_EQ(0, std::memcmp(pixels.data(), view.pixels, pixels.size()));
    // Rows shorter than the picture's, a negative size and a zero time scale are refused.
    record.rowBytes = 32 * 4 - 4;
    EXPECT_EQ(s_session->Call(imImportImage, nullptr, &record), 5);
    record.rowBytes = view.rowBytes;
    record.width = -32;
    EXPECT_EQ(s_session->Call(imImportImage, nullptr, &record), 5);
    record.width = 32;
    record.timeScale = 0;
    EXPECT_EQ(s_session->Call(imImportImage, nullptr, &record), 5);
}

}  // namespace
