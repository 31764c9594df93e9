// The colours a user sees: clips made from the same kind of colourful pictures at standard and high
// definition, every host format pulled through the module at full and half size, and each frame
// compared with the pictures the clip was made from. The host reads the VUYA formats as BT.601 at
// every size and labels "yuy3" BT.709; "yuy3" passes the codec's YUV through, so it carries BT.601
// for a standard-definition clip.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/PrPixelFormat.h"
#include "tests/support/ModuleTest.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/FrameRequests.h"

using namespace krvx;
using namespace krvx::sim;
using namespace krvx::testing_support;

namespace {

// Bright colour everywhere, as in a test chart or a sunlit scene: slow waves of hue over the whole
// picture, a row of fully saturated bars across the top quarter (the colours a wrong matrix moves
// most), and a soft disc of skin tone. Bar edges fall on multiples of 16 columns, so 4:2:2 chroma and
// the half-size decode never straddle two bars. The picture scales with its size.
std::vector<uint8_t> SourcePicture(uint32_t width, uint32_t height) {
    static const uint8_t kBars[8][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 255, 0},
                                        {0, 255, 255}, {255, 0, 255}, {255, 255, 255}, {0, 0, 0}};
    const double kTau = 6.283185307179586;
    const uint32_t blocks = (width + 15) / 16;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[3] = 255;
            if (y < height / 4) {
                const uint8_t* bar = kBars[(x / 16) * 8 / blocks];
                p[0] = bar[0], p[1] = bar[1], p[2] = bar[2];
                continue;
            }
            const double u = double(x) / width, v = double(y) / height;
            double c[3] = {128 + 100 * std::sin(kTau * (1.5 * u + 0.5 * v)),
                           128 + 100 * std::sin(kTau * (0.7 * u - 1.2 * v) + 2.0),
                           128 + 100 * std::sin(kTau * (1.1 * u + 0.9 * v) + 4.0)};
            const double dx = u - 0.7, dy = v - 0.6, r = std::sqrt(dx * dx + dy * dy);
            const double disc = r < 0.12 ? 1.0 : (r < 0.2 ? (0.2 - r) / 0.08 : 0.0);
            const double skin[3] = {224, 172, 138};
            for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(c[i] + disc * (skin[i] - c[i]) + 0.5);
        }
    }
    return rgba;
}

// The picture averaged over 2 x 2 blocks, as a half-size decode delivers it.
RgbaImage Halved(const std::vector<uint8_t>& rgba, int32_t width, int32_t height) {
    RgbaImage half;
    half.width = width / 2;
    half.height = height / 2;
    half.rgba.resize(static_cast<size_t>(half.width) * half.height * 4);
    for (int32_t y = 0; y < half.height; ++y)
        for (int32_t x = 0; x < half.width; ++x)
            for (int c = 0; c < 4; ++c) {
                auto at = [&](int32_t sx, int32_t sy) {
                    return rgba[(static_cast<size_t>(sy) * width + sx) * 4 + c];
                };
                const int sum =
                    at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1);
                half.rgba[(static_cast<size_t>(y) * half.width + x) * 4 + c] =
                    static_cast<uint8_t>((sum + 2) / 4);
            }
    return half;
}

double Psnr(const RgbaImage& got, const RgbaImage& want) {
    double sum = 0;
    for (size_t i = 0; i < got.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) {
            const double d = double(got.rgba[i + c]) - want.rgba[i + c];
            sum += d * d;
        }
    const double mse = sum / (got.rgba.size() / 4 * 3);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

uint8_t ToByte(double v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v + 0.5));
}

// "yuy3" (video range, rows top-down) read with BT.601, which a standard-definition clip carries there.
RgbaImage Yuy3AsBt601(const HostSim::FrameView& frame) {
    RgbaImage image;
    image.width = frame.width;
    image.height = frame.height;
    image.rgba.resize(static_cast<size_t>(frame.width) * frame.height * 4);
    for (int32_t y = 0; y < frame.height; ++y)
        for (int32_t x = 0; x < frame.width; ++x) {
            const uint8_t* pair = frame.pixels + static_cast<size_t>(y) * frame.rowBytes + (x / 2) * 4;
            const double luma = (pair[(x & 1) * 2] - 16) / 219.0;
            const double cb = (pair[1] - 128) / 224.0, cr = (pair[3] - 128) / 224.0;
            uint8_t* out = &image.rgba[(static_cast<size_t>(y) * frame.width + x) * 4];
            out[0] = ToByte(255 * (luma + 1.402 * cr));
            out[1] = ToByte(255 * (luma - 0.344136 * cb - 0.714136 * cr));
            out[2] = ToByte(255 * (luma + 1.772 * cb));
            out[3] = 255;
        }
    return image;
}

// The host formats offered for a YUV-coded clip in the editor, and the one other hosts get first.
const char* const kOffered[] = {"yuy3", "vuya", "VUya", "bgra", "argb", "BGra", "ARgb", "Bgra"};

// Good deliveries measure 44 dB or better here (most 49 to 58 dB); YUV in a matrix other than the one
// the host reads measures about 28 dB. 40 dB lies well clear of both.
constexpr double kFloorDb = 40.0;

class ColourBySizeTest : public ModuleTest {
protected:
    void TearDown() override { EXPECT_EQ(s_session->Host().LiveFrames(), 0u); }

    // Makes a YUV clip from the pictures at width x height and checks every offered format at full and
    // half size against them.
    void CheckClip(uint32_t width, uint32_t height, bool highDefinition) {
        const std::vector<uint8_t> source = SourcePicture(width, height);
        encode::ClipOptions options = SmallClip(width, height, 2);
        options.format = encode::kFormatYuv;
        options.source = [&](uint32_t, encode::Picture& picture) {
            picture = encode::PictureFromRgba8(source.data(), width, height, width * 4, encode::kFormatYuv);
            return true;
        };
        const std::string name = std::to_string(width) + "x" + std::to_string(height);
        const std::string path = MakeClip(m_folder, name + ".avi", options);
        OpenClip clip(*s_session, path);
        ASSERT_EQ(clip.Open(), 0);

        RgbaImage full;
        full.width = static_cast<int32_t>(width);
        full.height = static_cast<int32_t>(height);
        full.rgba = source;
        const RgbaImage half = Halved(source, full.width, full.height);
        const RgbaImage* const sizes[] = {&full, &half};
        for (const char* text : kOffered) {
            const uint32_t format = PixelFormatFromText(text);
            for (const RgbaImage* want : sizes) {
                SCOPED_TRACE(name + " " + text + " at " + std::to_string(want->width) + "x" +
                             std::to_string(want->height));
                // Frame 1 depends on frame 0, so the reference state is exercised too.
                SourceFrame frame(*s_session);
                ASSERT_EQ(frame.Request(clip, 1, format, want->width, want->height), 0);
                RgbaImage got;
                if (format == PrPixelFormat_YUYV_422_8u_709 && !highDefinition) {
                    HostSim::FrameView view;
                    ASSERT_TRUE(frame.View(&view));
                    got = Yuy3AsBt601(view);
                } else {
                    ASSERT_TRUE(frame.ToRgba(&got));
                }
                ASSERT_EQ(got.width, want->width);
                ASSERT_EQ(got.height, want->height);
                EXPECT_GE(Psnr(got, *want), kFloorDb);
            }
        }
    }

    TempFolder m_folder;
};

TEST_F(ColourBySizeTest, StandardDefinitionClipsKeepTheirColoursInEveryFormat) {
    CheckClip(640, 360, false);
    CheckClip(720, 576, false);   // the largest standard-definition picture
    CheckClip(1280, 576, false);  // wide, but not taller than 576: still standard definition
}

TEST_F(ColourBySizeTest, HighDefinitionClipsKeepTheirColoursInEveryFormat) {
    CheckClip(1280, 720, true);
    CheckClip(736, 592, true);  // just past 720 x 576, whose half-size decode is standard-sized
}

}  // namespace
