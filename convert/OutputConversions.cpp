#include "convert/OutputConversions.h"

#include <cstdlib>
#include <cstring>

#include "convert/FrameScaler.h"
#include "convert/RowKernels.h"
#include "convert/ScalingPool.h"
#include "convert/StripePool.h"

namespace krvx {

namespace {

void RunPooled(int32_t kind, const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
               int32_t width, int32_t height, uint32_t argument0 = 0, uint32_t argument1 = 0) {
    if (width <= 0 || height <= 0) return;
    StripeJob job;
    job.source = src;
    job.destination = dst;
    job.width = width;
    job.height = height;
    job.sourcePitch = srcPitch;
    job.destinationPitch = dstPitch;
    job.argument[0] = argument0;
    job.argument[1] = argument1;
    job.kind = kind;
    RunStripeJob(job);
}

// The 13-bit layouts carry 4 samples per pixel with alpha, 3 without.
int32_t SamplesPerPixel(DecodedLayout format) {
    return format == DecodedLayout::Rgba13 ? 4 : 3;
}

bool Is13Bit(DecodedLayout format) {
    return format == DecodedLayout::Rgb13 || format == DecodedLayout::Rgba13;
}

// How a (decoded, host) pair is served.
enum class Route {
    Unsupported,
    Nothing,
    RowCopy,
    ByteReversal,
    YuyvToBgra8,
    YuyvToVuya8,
    BgraToVuya8,
    Yu64ToVuyaFloat,
    Rgb13ToVuyaFloat,
    Rgb13ToBgraFloat,
    Rgb13ToArgbFloat,
    Rgb13ToArgb8,
    Rgba16ToBgra16,
    ScaleYuyvToVuya8,
    ScaleYu64ToVuyaFloat,
    ScaleRgb13ToVuyaFloat,
    ScaleRgb13ToBgraFloat,
    ScaleRgb13ToArgbFloat,
    ScaleRgba16ToBgra16,
    ScaleBgra8,
    ScaleBgraToArgb8,
};

Route SameSizeRoute(DecodedLayout decoded, HostLayout host) {
    if ((decoded == DecodedLayout::Bgra8 && host == HostLayout::Bgra8) ||
        (decoded == DecodedLayout::Yuyv8 && host == HostLayout::Yuyv8))
        return Route::RowCopy;
    switch (host) {
        case HostLayout::Bgra8:
            return decoded == DecodedLayout::Yuyv8 ? Route::YuyvToBgra8 : Route::Unsupported;
        case HostLayout::Vuya8:
            if (decoded == DecodedLayout::Yuyv8) return Route::YuyvToVuya8;
            return decoded == DecodedLayout::Bgra8 ? Route::BgraToVuya8 : Route::Unsupported;
        case HostLayout::VuyaFloat:
            if (decoded == DecodedLayout::Yu64) return Route::Yu64ToVuyaFloat;
            return Is13Bit(decoded) ? Route::Rgb13ToVuyaFloat : Route::Unsupported;
        case HostLayout::BgraFloat:
            return Is13Bit(decoded) ? Route::Rgb13ToBgraFloat : Route::Unsupported;
        case HostLayout::ArgbFloat:
            return Is13Bit(decoded) ? Route::Rgb13ToArgbFloat : Route::Unsupported;
        case HostLayout::Bgra16:
            return decoded == DecodedLayout::Rgba16 ? Route::Rgba16ToBgra16 : Route::Unsupported;
        case HostLayout::Argb8:
            if (decoded == DecodedLayout::Bgra8) return Route::ByteReversal;
            return Is13Bit(decoded) ? Route::Rgb13ToArgb8 : Route::Nothing;
        default:
            return Route::Unsupported;
    }
}

Route ScaledRoute(DecodedLayout decoded, HostLayout host, bool scaleArgb8) {
    switch (host) {
        case HostLayout::Vuya8:
            return decoded == DecodedLayout::Yuyv8 ? Route::ScaleYuyvToVuya8 : Route::Unsupported;
        case HostLayout::VuyaFloat:
            if (decoded == DecodedLayout::Yu64) return Route::ScaleYu64ToVuyaFloat;
            return Is13Bit(decoded) ? Route::ScaleRgb13ToVuyaFloat : Route::Unsupported;
        case HostLayout::Bgra8:
            return decoded == DecodedLayout::Bgra8 ? Route::ScaleBgra8 : Route::Unsupported;
        case HostLayout::BgraFloat:
            return Is13Bit(decoded) ? Route::ScaleRgb13ToBgraFloat : Route::Unsupported;
        case HostLayout::ArgbFloat:
            return Is13Bit(decoded) ? Route::ScaleRgb13ToArgbFloat : Route::Unsupported;
        case HostLayout::Bgra16:
            return decoded == DecodedLayout::Rgba16 ? Route::ScaleRgba16ToBgra16 : Route::Unsupported;
        case HostLayout::Argb8:
            return scaleArgb8 && decoded == DecodedLayout::Bgra8 ? Route::ScaleBgraToArgb8
                                                                   : Route::Unsupported;
        default:
            return Route::Unsupported;
    }
}

// Whether a route writes destination row y from source row height - 1 - y.
bool TurnsOver(Route route) {
    switch (route) {
        case Route::RowCopy:
        case Route::ByteReversal:
        case Route::ScaleRgb13ToVuyaFloat:
        case Route::ScaleRgb13ToBgraFloat:
        case Route::ScaleRgb13ToArgbFloat:
        case Route::ScaleRgba16ToBgra16:
        case Route::ScaleBgra8:
        case Route::ScaleBgraToArgb8:
            return false;
        default:
            return true;
    }
}

}  // namespace

void CopyFrameRows(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t rowBytes,
                   int32_t height) {
    if (rowBytes <= 0) return;
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(dst + static_cast<intptr_t>(y) * dstPitch, src + static_cast<intptr_t>(y) * srcPitch,
                    static_cast<size_t>(rowBytes));
}

void ReverseBgraToArgb8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height) {
    if (width <= 0) return;
    const RowKernels& kernels = ActiveRowKernels();
    for (int32_t y = 0; y < height; ++y)
        kernels.reverseBytes(src + static_cast<intptr_t>(y) * srcPitch,
                             dst + static_cast<intptr_t>(y) * dstPitch, width);
}

void ConvertYuyvToBgra8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height) {
    RunPooled(kStripeYuyvToBgra8, src, srcPitch, dst, dstPitch, width, height);
}

void ConvertBgraToVuya8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height) {
    RunPooled(kStripeBgraToVuya8, src, srcPitch, dst, dstPitch, width, height);
}

void ConvertYuyvToVuya8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                        int32_t height, bool highDefinition) {
    RunPooled(kStripeYuyvToVuya8, src, srcPitch, dst, dstPitch, width, height, highDefinition ? 1 : 0);
}

void ConvertYu64ToVuyaFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                            int32_t width, int32_t height, bool highDefinition, bool interpolate) {
    RunPooled(kStripeYu64ToVuyaFloat, src, srcPitch, dst, dstPitch, width, height, highDefinition ? 1 : 0,
              interpolate ? 1 : 0);
}

void ConvertRgb13ToVuyaFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                             int32_t width, int32_t height, DecodedLayout decodedFormat) {
    RunPooled(kStripeRgb13ToVuyaFloat, src, srcPitch, dst, dstPitch, width, height,
              static_cast<uint32_t>(SamplesPerPixel(decodedFormat)));
}

void ConvertRgb13ToBgraFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                             int32_t width, int32_t height, DecodedLayout decodedFormat) {
    RunPooled(kStripeRgb13ToBgraFloat, src, srcPitch, dst, dstPitch, width, height,
              static_cast<uint32_t>(SamplesPerPixel(decodedFormat)));
}

void ConvertRgb13ToArgbFloat(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                             int32_t width, int32_t height, DecodedLayout decodedFormat) {
    RunPooled(kStripeRgb13ToArgbFloat, src, srcPitch, dst, dstPitch, width, height,
              static_cast<uint32_t>(SamplesPerPixel(decodedFormat)));
}

void ConvertRgb13ToArgb8(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch, int32_t width,
                         int32_t height, DecodedLayout decodedFormat) {
    RunPooled(kStripeRgb13ToArgb8, src, srcPitch, dst, dstPitch, width, height,
              static_cast<uint32_t>(SamplesPerPixel(decodedFormat)));
}

void ConvertRgba16ToBgra16(const uint8_t* src, int32_t srcPitch, uint8_t* dst, int32_t dstPitch,
                           int32_t width, int32_t height) {
    RunPooled(kStripeRgba16ToBgra16, src, srcPitch, dst, dstPitch, width, height);
}

int32_t ConvertOutputFrame(const DecodedFrameView& decoded, int32_t clipWidth, int32_t clipHeight,
                           const HostFrameView& host, IScratchAllocator* allocator, bool scaleArgb8) {
    const bool sameSize = decoded.width == host.width && decoded.height == host.height;
    const Route route = sameSize ? SameSizeRoute(decoded.format, host.format)
                                 : ScaledRoute(decoded.format, host.format, scaleArgb8);
    if (route == Route::Unsupported) return 3;
    if (route == Route::Nothing || host.width <= 0 || host.height <= 0 || decoded.width <= 0 ||
        decoded.height <= 0)
        return 0;

    // Read the decoded rows in whichever order leaves the host frame upright.
    const bool resultBottomUp = decoded.bottomUp != TurnsOver(route);
    const DecodedFrameView src =
        resultBottomUp == HostRowsBottomUp(host.format) ? decoded : ReversedView(decoded);
    const bool highDefinition = IsHighDefinition(clipWidth, clipHeight);
    const int32_t w = host.width, h = host.height;
    uint8_t* dst = host.data;
    const int32_t dp = host.rowBytes;
    const ScaleGeometry geometry{src.data, src.width, src.height, src.pitch, dst, w, h, dp};
    const int32_t samples = SamplesPerPixel(decoded.format);
    switch (route) {
        case Route::RowCopy: {
            const int32_t pitch = std::abs(src.pitch);
            CopyFrameRows(src.data, src.pitch, dst, dp, std::abs(dp) < pitch ? std::abs(dp) : pitch, h);
            return 0;
        }
        case Route::ByteReversal:
            ReverseBgraToArgb8(src.data, src.pitch, dst, dp, w, h);
            return 0;
        case Route::YuyvToBgra8:
            ConvertYuyvToBgra8(src.data, src.pitch, dst, dp, w, h);
            return 0;
        case Route::YuyvToVuya8:
            ConvertYuyvToVuya8(src.data, src.pitch, dst, dp, w, h, highDefinition);
            return 0;
        case Route::BgraToVuya8:
            ConvertBgraToVuya8(src.data, src.pitch, dst, dp, w, h);
            return 0;
        case Route::Yu64ToVuyaFloat:
            ConvertYu64ToVuyaFloat(src.data, src.pitch, dst, dp, w, h, highDefinition, true);
            return 0;
        case Route::Rgb13ToVuyaFloat:
            ConvertRgb13ToVuyaFloat(src.data, src.pitch, dst, dp, w, h, decoded.format);
            return 0;
        case Route::Rgb13ToBgraFloat:
            ConvertRgb13ToBgraFloat(src.data, src.pitch, dst, dp, w, h, decoded.format);
            return 0;
        case Route::Rgb13ToArgbFloat:
            ConvertRgb13ToArgbFloat(src.data, src.pitch, dst, dp, w, h, decoded.format);
            return 0;
        case Route::Rgb13ToArgb8:
            ConvertRgb13ToArgb8(src.data, src.pitch, dst, dp, w, h, decoded.format);
            return 0;
        case Route::Rgba16ToBgra16:
            ConvertRgba16ToBgra16(src.data, src.pitch, dst, dp, w, h);
            return 0;
        case Route::ScaleYuyvToVuya8:
            return ScaleYuyvToVuya8(geometry, allocator, highDefinition);
        case Route::ScaleYu64ToVuyaFloat:
            return ScaleYu64ToVuyaFloat(geometry, allocator, false);
        case Route::ScaleRgb13ToVuyaFloat:
            return ScaleRgb13ToVuyaFloat(geometry, allocator, samples);
        case Route::ScaleRgb13ToBgraFloat:
            return ScaleRgb13ToBgraFloat(geometry, allocator, samples);
        case Route::ScaleRgb13ToArgbFloat:
            return ScaleRgb13ToArgbFloat(geometry, allocator, samples);
        case Route::ScaleRgba16ToBgra16:
            return ScaleRgba16ToBgra16(geometry, allocator);
        case Route::ScaleBgra8:
            return ScaleBgra8(geometry, allocator);
        case Route::ScaleBgraToArgb8: {
            const int32_t result = ScaleBgra8(geometry, allocator);
            if (result == 0) ReverseBgraToArgb8(dst, dp, dst, dp, w, h);
            return result;
        }
        default:
            return 3;
    }
}

}  // namespace krvx
