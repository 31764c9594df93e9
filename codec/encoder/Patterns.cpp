// Moving test patterns, drawn in 12-bit RGBA and converted to the requested format.
#include <cmath>

#include "codec/encoder/KRVXEncoder.h"

namespace krvx {
namespace encode {

namespace {

constexpr uint16_t kBars[8][3] = {{3071, 3071, 3071}, {3071, 3071, 0}, {0, 3071, 3071}, {0, 3071, 0},
                                  {3071, 0, 3071},    {3071, 0, 0},    {0, 0, 3071},    {0, 0, 0}};

uint16_t Clamp12(double v) {
    return static_cast<uint16_t>(v < 0 ? 0 : (v > 4095 ? 4095 : v + 0.5));
}

}  // namespace

Picture RenderPattern(Pattern pattern, uint32_t width, uint32_t height, uint32_t format, uint32_t frame) {
    const size_t count = size_t(width) * height;
    std::vector<uint16_t> r(count), g(count), b(count), a(count, 4095);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            switch (pattern) {
                case kPatternBars: {
                    // Bars scroll left by 2 pixels a frame; a ramp along the bottom quarter.
                    if (y < height * 3 / 4) {
                        const uint32_t bar = static_cast<uint32_t>((uint64_t(x + 2 * frame) * 8 / width) % 8);
                        r[i] = kBars[bar][0];
                        g[i] = kBars[bar][1];
                        b[i] = kBars[bar][2];
                    } else {
                        const uint16_t v =
                            static_cast<uint16_t>(uint64_t(x) * 4095 / (width > 1 ? width - 1 : 1));
                        r[i] = g[i] = b[i] = v;
                    }
                    break;
                }
                case kPatternGradient: {
                    r[i] = static_cast<uint16_t>(uint64_t(x) * 4095 / (width > 1 ? width - 1 : 1));
                    g[i] = static_cast<uint16_t>(uint64_t(y) * 4095 / (height > 1 ? height - 1 : 1));
                    b[i] = static_cast<uint16_t>((uint64_t(x + y) * 16 + frame * 64) % 4096);
                    break;
                }
                case kPatternZonePlate: {
                    const double cx = x - width / 2.0, cy = y - height / 2.0;
                    const double k = 3.14159265358979 / (2.0 * (width > height ? width : height));
                    const double v = 2047.5 + 2047.5 * std::cos(k * (cx * cx + cy * cy) + 0.3 * frame);
                    r[i] = g[i] = b[i] = Clamp12(v);
                    break;
                }
                case kPatternBox: {
                    // A box moving on a diagonal over a dim background whose alpha falls off to the right.
                    const uint32_t side = (width < height ? width : height) / 3 + 1;
                    const uint32_t span = width > side ? width - side : 1;
                    const uint32_t bx = (frame * 3) % span,
                                   by = (frame * 2) % (height > side ? height - side : 1);
                    const bool inside = x >= bx && x < bx + side && y >= by && y < by + side;
                    if (inside) {
                        r[i] = 3900;
                        g[i] = 1200;
                        b[i] = 300;
                        a[i] = 4095;
                    } else {
                        r[i] = 400;
                        g[i] = static_cast<uint16_t>(400 + uint64_t(y) * 1200 / (height > 1 ? height : 1));
                        b[i] = 900;
                        a[i] = static_cast<uint16_t>(4095 - uint64_t(x) * 4095 / (width > 1 ? width - 1 : 1));
                    }
                    break;
                }
            }
        }
    }
    return PictureFromRgba12(r.data(), g.data(), b.data(), a.data(), width, height, format);
}

}  // namespace encode
}  // namespace krvx
