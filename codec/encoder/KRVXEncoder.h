// The KRVX encoder library: pictures to samples, one frame at a time.
//
//     krvx::encode::FrameEncoder encoder(KRVX_FIELD_PROGRESSIVE);
//     krvx::encode::Picture picture = krvx::encode::RenderPattern(krvx::encode::kPatternBars, 64, 36,
//                                                                  krvx::encode::kFormatYuv, 0);
//     std::vector<uint8_t> sample;
//     bool key = false;
//     encoder.Encode(picture, /*wantKeyFrame=*/true, sample, &key);
//
// Whole AVI clips with audio are tools/clip-writer/ClipWriter.h, which puts these samples into the
// container; the codec itself knows nothing of containers.
// Every function returns 0 on success and a nonzero EncodeError otherwise; nothing throws.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <KRVXDecoder.h>

namespace krvx {
namespace encode {

enum EncodeError : int {
    kEncodeOkay = 0,
    kEncodeBadArgument = 1,
    kEncodeBadPicture = 2,  // size or planes do not match
    kEncodeIoError = 3,
    kEncodeSourceFailed = 4,  // the picture source callback answered false
    kEncodeOutOfMemory = 5,
};

enum Format : uint32_t {
    kFormatYuv = KRVX_ENCODED_YUV422_10,
    kFormatRgb = KRVX_ENCODED_RGB444_12,
    kFormatRgba = KRVX_ENCODED_RGBA4444_12,
};

// One picture in the encoder's input precision. YUV: planes Y, Cb, Cr with 10-bit video-range values;
// the chroma planes are (width + 1) / 2 wide. RGB(A): planes R, G, B[, A] with 12-bit values (0..4095).
// Rows run top-down; every plane is stored without padding.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = kFormatYuv;
    std::vector<uint16_t> planes[4];

    static Picture Make(uint32_t width, uint32_t height, uint32_t format);
    uint32_t PlaneWidth(int plane) const;
    int PlaneCount() const { return format == kFormatRgba ? 4 : 3; }
};

// Converts 12-bit R, G, B, A planes (width x height each, top-down) into a picture of the given format
// with the rules of codec/FORMAT.md (video range for YUV, BT.601 at standard definition and BT.709 above;
// chroma from the sum of each pixel pair).
Picture PictureFromRgba12(const uint16_t* r, const uint16_t* g, const uint16_t* b, const uint16_t* a,
                          uint32_t width, uint32_t height, uint32_t format);

// Converts packed 8-bit RGBA rows (top-down) with c12 = (c8 * 4095 + 127) / 255, then as above.
Picture PictureFromRgba8(const uint8_t* rgba, uint32_t width, uint32_t height, size_t rowBytes,
                         uint32_t format);

struct MetadataItem {
    uint32_t track = KRVX_TRACK_CLIP;
    char tag[4] = {0, 0, 0, 0};
    uint32_t type = KRVX_METADATA_BYTES;
    std::vector<uint8_t> data;

    static MetadataItem Text(uint32_t track, const char* tag, const std::string& text);
    static MetadataItem Int32(uint32_t track, const char* tag, int32_t value);
    static MetadataItem UInt32(uint32_t track, const char* tag, uint32_t value);
};

// The type a clip-information tag takes on the command line: numbers for the numeric tags, else text.
// Returns false for a numeric tag whose value is not a number.
bool MakeMetadataItem(const std::string& tag, const std::string& value, MetadataItem& item);

// Turns pictures into samples; keeps the previous frame's coefficients for dependent frames.
class FrameEncoder {
public:
    explicit FrameEncoder(uint32_t fieldValue = KRVX_FIELD_PROGRESSIVE);
    void SetMetadata(const std::vector<MetadataItem>& items) { m_metadata = items; }
    void SetFieldValue(uint32_t fieldValue) { m_fieldValue = fieldValue; }
    // A key frame when wantKeyFrame is set or the picture's size or format differs from the previous one.
    int Encode(const Picture& picture, bool wantKeyFrame, std::vector<uint8_t>& sample,
               bool* keyFrame = nullptr);

private:
    int EncodeUnchecked(const Picture& picture, bool wantKeyFrame, std::vector<uint8_t>& sample,
                        bool* keyFrame);

    uint32_t m_fieldValue;
    std::vector<MetadataItem> m_metadata;
    uint32_t m_refWidth = 0, m_refHeight = 0, m_refFormat = 0;
    bool m_hasReference = false;
    std::vector<int16_t> m_reference[4];
};

enum Pattern : int { kPatternBars = 0, kPatternGradient, kPatternZonePlate, kPatternBox };

// Built-in moving test patterns; the box pattern carries a soft-edged alpha matte.
Picture RenderPattern(Pattern pattern, uint32_t width, uint32_t height, uint32_t format, uint32_t frame);

}  // namespace encode
}  // namespace krvx
