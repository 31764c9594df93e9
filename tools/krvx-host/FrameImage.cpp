#include "tools/krvx-host/FrameImage.h"

#include <cstring>

#include "host/PrPixelFormat.h"

namespace krvx {
namespace sim {

namespace {

uint8_t ToByte(float value) {
    const float scaled = value * 255.0f + 0.5f;
    return static_cast<uint8_t>(scaled < 0.0f ? 0.0f : (scaled > 255.0f ? 255.0f : scaled));
}

// Full-range Y (0..1) and colour differences (-0.5..0.5) to R, G, B with the given luma weights.
void YuvToRgb(float y, float cb, float cr, float kr, float kb, uint8_t* rgb) {
    const float kg = 1.0f - kr - kb;
    const float r = y + 2.0f * (1.0f - kr) * cr;
    const float b = y + 2.0f * (1.0f - kb) * cb;
    const float g = (y - kr * r - kb * b) / kg;
    rgb[0] = ToByte(r);
    rgb[1] = ToByte(g);
    rgb[2] = ToByte(b);
}

constexpr float kBt601Red = 0.299f, kBt601Blue = 0.114f;
constexpr float kBt709Red = 0.2126f, kBt709Blue = 0.0722f;

float Float(const uint8_t* p) {
    float value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

uint16_t Word(const uint8_t* p) {
    uint16_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

// One host pixel (or, for 4:2:2, the pair it belongs to) into out[0..3].
void ReadPixel(uint32_t format, const uint8_t* row, int32_t x, uint8_t* out) {
    switch (format) {
        case PrPixelFormat_BGRA_4444_8u: {
            const uint8_t* p = row + x * 4;
            out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = p[3];
            break;
        }
        case PrPixelFormat_ARGB_4444_8u: {
            const uint8_t* p = row + x * 4;
            out[0] = p[1], out[1] = p[2], out[2] = p[3], out[3] = p[0];
            break;
        }
        case PrPixelFormat_BGRA_4444_16u: {
            // 0 for black, 32768 for white.
            const uint8_t* p = row + x * 8;
            const int order[4] = {2, 1, 0, 3};
            for (int c = 0; c < 4; ++c) out[c] = ToByte(Word(p + order[c] * 2) / 32768.0f);
            break;
        }
        case PrPixelFormat_BGRA_4444_32f:
        case PrPixelFormat_ARGB_4444_32f: {
            const uint8_t* p = row + x * 16;
            const bool argb = format == PrPixelFormat_ARGB_4444_32f;
            const int order[4] = {argb ? 1 : 2, argb ? 2 : 1, argb ? 3 : 0, argb ? 0 : 3};
            for (int c = 0; c < 4; ++c) out[c] = ToByte(Float(p + order[c] * 4));
            break;
        }
        case PrPixelFormat_VUYA_4444_8u: {
            // Video range: Y 16..235, colour differences 128 +- 112.
            const uint8_t* p = row + x * 4;
            YuvToRgb((p[2] - 16) / 219.0f, (p[1] - 128) / 224.0f, (p[0] - 128) / 224.0f, kBt601Red,
                     kBt601Blue, out);
            out[3] = p[3];
            break;
        }
        case PrPixelFormat_VUYA_4444_32f: {
            const uint8_t* p = row + x * 16;
            YuvToRgb(Float(p + 8), Float(p + 4), Float(p), kBt601Red, kBt601Blue, out);
            out[3] = ToByte(Float(p + 12));
            break;
        }
        case PrPixelFormat_YUYV_422_8u_709: {
            const uint8_t* pair = row + (x / 2) * 4;
            const uint8_t y = pair[(x & 1) * 2];
            YuvToRgb((y - 16) / 219.0f, (pair[1] - 128) / 224.0f, (pair[3] - 128) / 224.0f, kBt709Red,
                     kBt709Blue, out);
            out[3] = 255;
            break;
        }
        default:
            break;
    }
}

}  // namespace

bool HostFrameToRgba(const HostSim::FrameView& frame, RgbaImage* image) {
    if (!image || !frame.pixels || frame.width < 1 || frame.height < 1 ||
        HostBytesPerPixel(frame.pixelFormat) == 0)
        return false;
    image->width = frame.width;
    image->height = frame.height;
    image->rgba.assign(static_cast<size_t>(frame.width) * frame.height * 4, 0);
    const bool bottomUp = frame.pixelFormat != PrPixelFormat_YUYV_422_8u_709;
    for (int32_t y = 0; y < frame.height; ++y) {
        const int32_t memoryRow = bottomUp ? frame.height - 1 - y : y;
        const uint8_t* row = frame.pixels + static_cast<size_t>(memoryRow) * frame.rowBytes;
        for (int32_t x = 0; x < frame.width; ++x)
            ReadPixel(frame.pixelFormat, row, x,
                      image->rgba.data() + (static_cast<size_t>(y) * frame.width + x) * 4);
    }
    return true;
}

}  // namespace sim
}  // namespace krvx
