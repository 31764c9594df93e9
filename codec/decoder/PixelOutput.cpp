#include "codec/decoder/PixelOutput.h"

#include <cstddef>
#include <cstring>

#include <KRVXPixelFormat.h>

namespace krvx {
namespace codec {
namespace {

inline int32_t Yuv(int16_t v) {
    return v < 0 ? 0 : (v > 1023 ? 1023 : v);
}
inline int32_t Rgb(int16_t v) {
    return v < 0 ? 0 : (v > 4095 ? 4095 : v);
}

// Rgb12To8 for every 12-bit value, built once.
struct EightBitTable {
    uint8_t value[4096];
    EightBitTable() {
        for (int32_t c = 0; c < 4096; ++c) value[c] = static_cast<uint8_t>(Rgb12To8(c));
    }
};
const EightBitTable kTo8;

inline void Put16(uint8_t* p, int32_t v) {
    const uint16_t u = static_cast<uint16_t>(v);
    std::memcpy(p, &u, 2);
}

struct RowSource {
    const int16_t* p[4];
};

RowSource SourceRow(const DecodedPlanes& planes, uint32_t y) {
    RowSource row{};
    for (int i = 0; i < 4; ++i) {
        row.p[i] = planes.plane[i] ? planes.plane[i] + static_cast<size_t>(y) * planes.stride[i] : nullptr;
    }
    return row;
}

// YUV source: chroma of pixel x is sample x / 2 (pairs share chroma).
void YuvRow(const RowSource& s, const ColourMatrix& m, uint32_t width, uint32_t format, uint8_t* out) {
    const int16_t* Y = s.p[0];
    const int16_t* U = s.p[1];
    const int16_t* V = s.p[2];
    switch (format) {
        case KRVX_PIXEL_FORMAT_YUYV:
            for (uint32_t x = 0; x < width; x += 2, out += 4) {
                const int32_t y1 = x + 1 < width ? Y[x + 1] : Y[x];
                out[0] = static_cast<uint8_t>(Yuv10To8(Yuv(Y[x])));
                out[1] = static_cast<uint8_t>(Yuv10To8(Yuv(U[x >> 1])));
                out[2] = static_cast<uint8_t>(Yuv10To8(Yuv(static_cast<int16_t>(y1))));
                out[3] = static_cast<uint8_t>(Yuv10To8(Yuv(V[x >> 1])));
            }
            break;
        case KRVX_PIXEL_FORMAT_YU64:
            for (uint32_t x = 0; x < width; x += 2, out += 8) {
                const int16_t y1 = x + 1 < width ? Y[x + 1] : Y[x];
                Put16(out, Yuv10To16(Yuv(Y[x])));
                Put16(out + 2, Yuv10To16(Yuv(V[x >> 1])));
                Put16(out + 4, Yuv10To16(Yuv(y1)));
                Put16(out + 6, Yuv10To16(Yuv(U[x >> 1])));
            }
            break;
        case KRVX_PIXEL_FORMAT_BGRA:
            for (uint32_t x = 0; x < width; ++x, out += 4) {
                const codec::Rgb c = YuvToRgb(m, Yuv(Y[x]), Yuv(U[x >> 1]), Yuv(V[x >> 1]), 255);
                out[0] = static_cast<uint8_t>(c.b);
                out[1] = static_cast<uint8_t>(c.g);
                out[2] = static_cast<uint8_t>(c.r);
                out[3] = 255;
            }
            break;
        case KRVX_PIXEL_FORMAT_WP13:
        case KRVX_PIXEL_FORMAT_W13A: {
            const bool alpha = format == KRVX_PIXEL_FORMAT_W13A;
            for (uint32_t x = 0; x < width; ++x) {
                const codec::Rgb c = YuvToRgb(m, Yuv(Y[x]), Yuv(U[x >> 1]), Yuv(V[x >> 1]), 8191);
                Put16(out, c.r);
                Put16(out + 2, c.g);
                Put16(out + 4, c.b);
                if (alpha) Put16(out + 6, 8191);
                out += alpha ? 8 : 6;
            }
            break;
        }
        case KRVX_PIXEL_FORMAT_B64A:
            for (uint32_t x = 0; x < width; ++x, out += 8) {
                const codec::Rgb c = YuvToRgb(m, Yuv(Y[x]), Yuv(U[x >> 1]), Yuv(V[x >> 1]), 65535);
                Put16(out, 65535);
                Put16(out + 2, c.r);
                Put16(out + 4, c.g);
                Put16(out + 6, c.b);
            }
            break;
        default:
            break;
    }
}

void RgbRow(const RowSource& s, const ColourMatrix& m, uint32_t width, uint32_t format, uint8_t* out) {
    const int16_t* R = s.p[0];
    const int16_t* G = s.p[1];
    const int16_t* B = s.p[2];
    const int16_t* A = s.p[3];
    switch (format) {
        case KRVX_PIXEL_FORMAT_BGRA:
            for (uint32_t x = 0; x < width; ++x, out += 4) {
                out[0] = kTo8.value[Rgb(B[x])];
                out[1] = kTo8.value[Rgb(G[x])];
                out[2] = kTo8.value[Rgb(R[x])];
                out[3] = A ? kTo8.value[Rgb(A[x])] : 255;
            }
            break;
        case KRVX_PIXEL_FORMAT_WP13:
            for (uint32_t x = 0; x < width; ++x, out += 6) {
                Put16(out, Rgb12To13(Rgb(R[x])));
                Put16(out + 2, Rgb12To13(Rgb(G[x])));
                Put16(out + 4, Rgb12To13(Rgb(B[x])));
            }
            break;
        case KRVX_PIXEL_FORMAT_W13A:
            for (uint32_t x = 0; x < width; ++x, out += 8) {
                Put16(out, Rgb12To13(Rgb(R[x])));
                Put16(out + 2, Rgb12To13(Rgb(G[x])));
                Put16(out + 4, Rgb12To13(Rgb(B[x])));
                Put16(out + 6, A ? Rgb12To13(Rgb(A[x])) : 8191);
            }
            break;
        case KRVX_PIXEL_FORMAT_B64A:
            for (uint32_t x = 0; x < width; ++x, out += 8) {
                Put16(out, A ? Rgb12To16(Rgb(A[x])) : 65535);
                Put16(out + 2, Rgb12To16(Rgb(R[x])));
                Put16(out + 4, Rgb12To16(Rgb(G[x])));
                Put16(out + 6, Rgb12To16(Rgb(B[x])));
            }
            break;
        case KRVX_PIXEL_FORMAT_YUYV:
        case KRVX_PIXEL_FORMAT_YU64: {
            const bool wide = format == KRVX_PIXEL_FORMAT_YU64;
            const YuvRange& range = wide ? kYuv16 : kYuv8;
            for (uint32_t x = 0; x < width; x += 2) {
                const uint32_t x1 = x + 1 < width ? x + 1 : x;
                const int32_t r0 = Rgb(R[x]), g0 = Rgb(G[x]), b0 = Rgb(B[x]);
                const int32_t r1 = Rgb(R[x1]), g1 = Rgb(G[x1]), b1 = Rgb(B[x1]);
                const int32_t y0 = RgbToY(m, r0, g0, b0, range), y1 = RgbToY(m, r1, g1, b1, range);
                int32_t cb, cr;
                RgbPairToChroma(m, r0 + r1, g0 + g1, b0 + b1, range, cb, cr);
                if (wide) {
                    Put16(out, y0);
                    Put16(out + 2, cr);
                    Put16(out + 4, y1);
                    Put16(out + 6, cb);
                    out += 8;
                } else {
                    out[0] = static_cast<uint8_t>(y0);
                    out[1] = static_cast<uint8_t>(cb);
                    out[2] = static_cast<uint8_t>(y1);
                    out[3] = static_cast<uint8_t>(cr);
                    out += 4;
                }
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

uint32_t OutputRowBytes(uint32_t pixelFormat, uint32_t width) {
    switch (pixelFormat) {
        case KRVX_PIXEL_FORMAT_BGRA:
            return 4 * width;
        case KRVX_PIXEL_FORMAT_YUYV:
            return 4 * ((width + 1) / 2);
        case KRVX_PIXEL_FORMAT_YU64:
            return 8 * ((width + 1) / 2);
        case KRVX_PIXEL_FORMAT_WP13:
            return 6 * width;
        case KRVX_PIXEL_FORMAT_W13A:
        case KRVX_PIXEL_FORMAT_B64A:
            return 8 * width;
        default:
            return 0;
    }
}

void WritePixels(const DecodedPlanes& planes, uint32_t width, uint32_t height, uint32_t pixelFormat,
                 uint8_t* out, int32_t pitch) {
    const bool bottomUp = pixelFormat == KRVX_PIXEL_FORMAT_BGRA;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t memoryRow = bottomUp ? height - 1 - y : y;
        uint8_t* row = out + static_cast<std::ptrdiff_t>(memoryRow) * pitch;
        const RowSource source = SourceRow(planes, y);
        if (planes.encodedFormat == 0) {
            YuvRow(source, *planes.matrix, width, pixelFormat, row);
        } else {
            RgbRow(source, *planes.matrix, width, pixelFormat, row);
        }
    }
}

}  // namespace codec
}  // namespace krvx
