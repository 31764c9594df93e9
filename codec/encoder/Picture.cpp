// Pictures, their conversion from RGBA and metadata items.
#include <cstdlib>
#include <cstring>

#include "codec/core/Bitstream.h"
#include "codec/core/ColourMath.h"
#include "codec/encoder/KRVXEncoder.h"

namespace krvx {
namespace encode {

using codec::kYuv10;

Picture Picture::Make(uint32_t width, uint32_t height, uint32_t format) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.format = format;
    for (int p = 0; p < picture.PlaneCount(); ++p)
        picture.planes[p].assign(size_t(picture.PlaneWidth(p)) * height, 0);
    return picture;
}

uint32_t Picture::PlaneWidth(int plane) const {
    return (format == kFormatYuv && plane > 0) ? (width + 1) / 2 : width;
}

Picture PictureFromRgba12(const uint16_t* r, const uint16_t* g, const uint16_t* b, const uint16_t* a,
                          uint32_t width, uint32_t height, uint32_t format) {
    Picture picture = Picture::Make(width, height, format);
    const size_t count = size_t(width) * height;
    if (format != kFormatYuv) {
        for (size_t i = 0; i < count; ++i) {
            picture.planes[0][i] = r[i];
            picture.planes[1][i] = g[i];
            picture.planes[2][i] = b[i];
            if (format == kFormatRgba) picture.planes[3][i] = a ? a[i] : 4095;
        }
        return picture;
    }
    const codec::ColourMatrix& matrix = codec::MatrixForPicture(width, height);
    const uint32_t cw = picture.PlaneWidth(1);
    for (uint32_t y = 0; y < height; ++y) {
        const size_t row = size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x) {
            picture.planes[0][row + x] =
                static_cast<uint16_t>(codec::RgbToY(matrix, r[row + x], g[row + x], b[row + x], kYuv10));
        }
        for (uint32_t cx = 0; cx < cw; ++cx) {
            const size_t i0 = row + 2 * cx, i1 = 2 * cx + 1 < width ? i0 + 1 : i0;
            int32_t cb, cr;
            codec::RgbPairToChroma(matrix, r[i0] + r[i1], g[i0] + g[i1], b[i0] + b[i1], kYuv10, cb, cr);
            picture.planes[1][size_t(y) * cw + cx] = static_cast<uint16_t>(cb);
            picture.planes[2][size_t(y) * cw + cx] = static_cast<uint16_t>(cr);
        }
    }
    return picture;
}

Picture PictureFromRgba8(const uint8_t* rgba, uint32_t width, uint32_t height, size_t rowBytes,
                         uint32_t format) {
    const size_t count = size_t(width) * height;
    std::vector<uint16_t> planes[4];
    for (auto& plane : planes) plane.resize(count);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = rgba + y * rowBytes;
        for (uint32_t x = 0; x < width; ++x) {
            for (int c = 0; c < 4; ++c) {
                planes[c][size_t(y) * width + x] = static_cast<uint16_t>(codec::Rgb8To12(row[4 * x + c]));
            }
        }
    }
    return PictureFromRgba12(planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data(), width,
                             height, format);
}

namespace {

MetadataItem MakeItem(uint32_t track, const char* tag, uint32_t type, const void* data, size_t size) {
    MetadataItem item;
    item.track = track;
    std::memcpy(item.tag, tag, 4);
    item.type = type;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    item.data.assign(bytes, bytes + size);
    return item;
}

}  // namespace

MetadataItem MetadataItem::Text(uint32_t track, const char* tag, const std::string& text) {
    return MakeItem(track, tag, KRVX_METADATA_TEXT, text.data(), text.size());
}

MetadataItem MetadataItem::Int32(uint32_t track, const char* tag, int32_t value) {
    uint8_t bytes[4];
    codec::WriteU32(bytes, static_cast<uint32_t>(value));
    return MakeItem(track, tag, KRVX_METADATA_INT32, bytes, 4);
}

MetadataItem MetadataItem::UInt32(uint32_t track, const char* tag, uint32_t value) {
    uint8_t bytes[4];
    codec::WriteU32(bytes, value);
    return MakeItem(track, tag, KRVX_METADATA_UINT32, bytes, 4);
}

bool MakeMetadataItem(const std::string& tag, const std::string& value, MetadataItem& item) {
    if (tag.size() != 4) return false;
    static const char* const kSigned[] = {"TAKE", "SHOT", "SCEN", "CAMR", "PROJ"};
    static const char* const kColour[] = {"CACT", "CMIX", "CMVL"};
    auto number = [&](bool isSigned, uint32_t track) {
        if (value.empty()) return false;
        char* end = nullptr;
        const long long v = std::strtoll(value.c_str(), &end, 0);
        if (end == nullptr || *end != '\0') return false;
        item = isSigned ? MetadataItem::Int32(track, tag.c_str(), static_cast<int32_t>(v))
                        : MetadataItem::UInt32(track, tag.c_str(), static_cast<uint32_t>(v));
        return true;
    };
    for (const char* t : kSigned) {
        if (tag == t) return number(true, KRVX_TRACK_CLIP);
    }
    if (tag == "PRNT") return number(false, KRVX_TRACK_CLIP);
    for (const char* t : kColour) {
        if (tag == t) return number(true, KRVX_TRACK_COLOUR);
    }
    item = MetadataItem::Text(KRVX_TRACK_CLIP, tag.c_str(), value);
    return true;
}

}  // namespace encode
}  // namespace krvx
