#include "tests/codec/CodecTestSupport.h"

#include <cstring>

#include "codec/core/ColourMath.h"

namespace krvx {
namespace codectest {

using namespace codec;

std::vector<int32_t> HalvePlane(const std::vector<uint16_t>& plane, uint32_t& w, uint32_t& h, int steps) {
    std::vector<int32_t> current(plane.begin(), plane.end());
    for (int s = 0; s < steps; ++s) {
        const uint32_t nw = (w + 1) / 2, nh = (h + 1) / 2;
        std::vector<int32_t> rows(size_t(nw) * h);
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < nw; ++x) {
                const int32_t a = current[size_t(y) * w + 2 * x];
                rows[size_t(y) * nw + x] = 2 * x + 1 < w ? (a + current[size_t(y) * w + 2 * x + 1]) >> 1 : a;
            }
        }
        std::vector<int32_t> next(size_t(nw) * nh);
        for (uint32_t y = 0; y < nh; ++y) {
            for (uint32_t x = 0; x < nw; ++x) {
                const int32_t a = rows[size_t(2 * y) * nw + x];
                next[size_t(y) * nw + x] = 2 * y + 1 < h ? (a + rows[size_t(2 * y + 1) * nw + x]) >> 1 : a;
            }
        }
        current.swap(next);
        w = nw;
        h = nh;
    }
    return current;
}

uint32_t RowBytesOf(uint32_t format, uint32_t width) {
    switch (format) {
        case KRVX_PIXEL_FORMAT_BGRA:
            return 4 * width;
        case KRVX_PIXEL_FORMAT_YUYV:
            return 4 * ((width + 1) / 2);
        case KRVX_PIXEL_FORMAT_YU64:
            return 8 * ((width + 1) / 2);
        case KRVX_PIXEL_FORMAT_WP13:
            return 6 * width;
        default:
            return 8 * width;
    }
}

namespace {

void Put16(uint8_t* p, int32_t v) {
    const uint16_t u = static_cast<uint16_t>(v);
    std::memcpy(p, &u, 2);
}

}  // namespace

std::vector<uint8_t> ExpectedOutput(const encode::Picture& picture, int resolution, uint32_t format,
                                    uint32_t& width, uint32_t& height, uint32_t& rowBytes) {
    const int steps = resolution - 1;
    std::vector<int32_t> planes[4];
    uint32_t stride[4] = {0, 0, 0, 0};
    for (int p = 0; p < picture.PlaneCount(); ++p) {
        uint32_t w = picture.PlaneWidth(p), h = picture.height;
        planes[p] = HalvePlane(picture.planes[p], w, h, steps);
        stride[p] = w;
    }
    width = picture.width >> steps;
    height = picture.height >> steps;
    rowBytes = RowBytesOf(format, width);
    std::vector<uint8_t> out(size_t(rowBytes) * height);
    const bool yuv = picture.format == encode::kFormatYuv;
    const ColourMatrix& matrix = MatrixForPicture(picture.width, picture.height);
    const bool alpha = picture.format == encode::kFormatRgba;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = out.data() + size_t(y) * rowBytes;
        auto at = [&](int p, uint32_t x) { return planes[p][size_t(y) * stride[p] + x]; };
        for (uint32_t x = 0; x < width; ++x) {
            // Every pixel's R, G, B at 8, 13 and 16 bits.
            Rgb c8, c13, c16;
            int32_t a12 = alpha ? at(3, x) : 4095;
            if (yuv) {
                c8 = YuvToRgb(matrix, at(0, x), at(1, x / 2), at(2, x / 2), 255);
                c13 = YuvToRgb(matrix, at(0, x), at(1, x / 2), at(2, x / 2), 8191);
                c16 = YuvToRgb(matrix, at(0, x), at(1, x / 2), at(2, x / 2), 65535);
            } else {
                const int32_t r = at(0, x), g = at(1, x), b = at(2, x);
                c8 = {Rgb12To8(r), Rgb12To8(g), Rgb12To8(b)};
                c13 = {Rgb12To13(r), Rgb12To13(g), Rgb12To13(b)};
                c16 = {Rgb12To16(r), Rgb12To16(g), Rgb12To16(b)};
            }
            switch (format) {
                case KRVX_PIXEL_FORMAT_BGRA:
                    row[4 * x] = static_cast<uint8_t>(c8.b);
                    row[4 * x + 1] = static_cast<uint8_t>(c8.g);
                    row[4 * x + 2] = static_cast<uint8_t>(c8.r);
                    row[4 * x + 3] = static_cast<uint8_t>(Rgb12To8(a12));
                    break;
                case KRVX_PIXEL_FORMAT_WP13:
                    Put16(row + 6 * x, c13.r);
                    Put16(row + 6 * x + 2, c13.g);
                    Put16(row + 6 * x + 4, c13.b);
                    break;
                case KRVX_PIXEL_FORMAT_W13A:
                    Put16(row + 8 * x, c13.r);
                    Put16(row + 8 * x + 2, c13.g);
                    Put16(row + 8 * x + 4, c13.b);
                    Put16(row + 8 * x + 6, Rgb12To13(a12));
                    break;
                case KRVX_PIXEL_FORMAT_B64A:
                    Put16(row + 8 * x, Rgb12To16(a12));
                    Put16(row + 8 * x + 2, c16.r);
                    Put16(row + 8 * x + 4, c16.g);
                    Put16(row + 8 * x + 6, c16.b);
                    break;
                default:
                    break;
            }
        }
        if (format != KRVX_PIXEL_FORMAT_YUYV && format != KRVX_PIXEL_FORMAT_YU64) continue;
        const bool wide = format == KRVX_PIXEL_FORMAT_YU64;
        for (uint32_t x = 0; x < width; x += 2) {
            const uint32_t x1 = x + 1 < width ? x + 1 : x;
            int32_t y0, y1, cb, cr;
            if (yuv) {
                auto depth = [&](int32_t v) { return wide ? Yuv10To16(v) : Yuv10To8(v); };
                y0 = depth(at(0, x));
                y1 = depth(at(0, x1));
                cb = depth(at(1, x / 2));
                cr = depth(at(2, x / 2));
            } else {
                const YuvRange& range = wide ? kYuv16 : kYuv8;
                y0 = RgbToY(matrix, at(0, x), at(1, x), at(2, x), range);
                y1 = RgbToY(matrix, at(0, x1), at(1, x1), at(2, x1), range);
                RgbPairToChroma(matrix, at(0, x) + at(0, x1), at(1, x) + at(1, x1), at(2, x) + at(2, x1),
                                range, cb, cr);
            }
            if (wide) {
                Put16(row + 4 * x, y0);
                Put16(row + 4 * x + 2, cr);
                Put16(row + 4 * x + 4, y1);
                Put16(row + 4 * x + 6, cb);
            } else {
                row[2 * x] = static_cast<uint8_t>(y0);
                row[2 * x + 1] = static_cast<uint8_t>(cb);
                row[2 * x + 2] = static_cast<uint8_t>(y1);
                row[2 * x + 3] = static_cast<uint8_t>(cr);
            }
        }
    }
    return out;
}

std::vector<std::vector<uint8_t>> EncodeFrames(encode::Pattern pattern, uint32_t w, uint32_t h,
                                               uint32_t format, uint32_t count, uint32_t gop,
                                               std::vector<encode::Picture>* pictures,
                                               const std::vector<encode::MetadataItem>& metadata) {
    encode::FrameEncoder encoder;
    encoder.SetMetadata(metadata);
    std::vector<std::vector<uint8_t>> samples(count);
    for (uint32_t i = 0; i < count; ++i) {
        const encode::Picture picture = encode::RenderPattern(pattern, w, h, format, i);
        encoder.Encode(picture, i % gop == 0, samples[i]);
        if (pictures) pictures->push_back(picture);
    }
    return samples;
}

KRVX_Error Decode(SampleDecoder& decoder, const std::vector<uint8_t>& sample, uint32_t format, int resolution,
                  void* output, int32_t pitch) {
    decoder.PrepareDecode(0, 0, format, resolution, output ? 0 : 1, sample.data(),
                          static_cast<uint32_t>(sample.size()), nullptr, nullptr, nullptr);
    return decoder.DecodeSample(sample.data(), static_cast<uint32_t>(sample.size()), output, pitch);
}

std::vector<uint8_t> DecodeToRows(SampleDecoder& decoder, const std::vector<uint8_t>& sample, uint32_t format,
                                  int resolution, KRVX_Error& error) {
    KRVX_SampleInfo info{};
    decoder.GetSampleInfo(sample.data(), static_cast<uint32_t>(sample.size()), &info);
    const uint32_t w = info.width >> (resolution - 1), h = info.height >> (resolution - 1);
    const uint32_t rowBytes = RowBytesOf(format, w);
    std::vector<uint8_t> buffer(size_t(rowBytes) * h);
    error = Decode(decoder, sample, format, resolution, buffer.data(), static_cast<int32_t>(rowBytes));
    if (format != KRVX_PIXEL_FORMAT_BGRA || buffer.empty()) return buffer;
    std::vector<uint8_t> rows(buffer.size());
    for (uint32_t y = 0; y < h; ++y) {
        std::memcpy(rows.data() + size_t(y) * rowBytes, buffer.data() + size_t(h - 1 - y) * rowBytes,
                    rowBytes);
    }
    return rows;
}

}  // namespace codectest
}  // namespace krvx
