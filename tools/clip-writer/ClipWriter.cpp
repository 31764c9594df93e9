// WriteClip: pattern or caller pictures, encoded and interleaved with a PCM tone into one AVI file.
#include "tools/clip-writer/ClipWriter.h"

#include <cmath>
#include <new>

#include "avi/AVIWriter.h"

namespace krvx {
namespace encode {

namespace {

// Audio sample frames that belong with video frames [0, frame).
uint64_t AudioFramesBefore(const ClipOptions& options, uint64_t frame) {
    return frame * options.audioRate * options.scale / options.rate;
}

// Brings a caller's picture to the clip's format through 12-bit RGBA when it differs.
bool ConvertPicture(const Picture& in, uint32_t format, Picture& out) {
    if (in.format == format) {
        out = in;
        return true;
    }
    if (in.format == kFormatYuv) return false;
    const uint16_t* alpha = in.format == kFormatRgba ? in.planes[3].data() : nullptr;
    out = PictureFromRgba12(in.planes[0].data(), in.planes[1].data(), in.planes[2].data(), alpha, in.width,
                            in.height, format);
    return true;
}

}  // namespace

void RenderAudio(const ClipOptions& options, uint64_t first, uint32_t count, std::vector<uint8_t>& out) {
    const uint32_t bytesPerSample = (options.audioBits + 7) / 8;
    out.resize(size_t(count) * options.audioChannels * bytesPerSample);
    uint8_t* p = out.data();
    for (uint32_t i = 0; i < count; ++i) {
        const double t = double(first + i) / options.audioRate;
        for (uint32_t c = 0; c < options.audioChannels; ++c) {
            // A tone of 440 Hz times (channel + 1), at about a quarter of full scale.
            const double v = 0.25 * std::sin(2.0 * 3.14159265358979 * 440.0 * (c + 1) * t);
            const int32_t sample =
                static_cast<int32_t>(std::lround(v * ((1 << (8 * bytesPerSample - 1)) - 1)));
            for (uint32_t b = 0; b < bytesPerSample; ++b)
                *p++ = static_cast<uint8_t>(uint32_t(sample) >> (8 * b));
        }
    }
}

namespace {

int EncodeResult(dshow::HResult result) {
    if (dshow::Succeeded(result)) return kEncodeOkay;
    if (result == dshow::kInvalidArg) return kEncodeBadArgument;
    if (result == dshow::kOutOfMemory) return kEncodeOutOfMemory;
    return kEncodeIoError;
}

int WriteClipUnchecked(const ClipOptions& options, const char* path, const ProgressCallback& progress) {
    if (options.width == 0 || options.height == 0 || options.rate == 0 || options.scale == 0 ||
        options.gop == 0 || options.format > kFormatRgba || options.fieldValue > 3) {
        return kEncodeBadArgument;
    }
    if (options.audioRate != 0 &&
        (options.audioChannels == 0 ||
         (options.audioBits != 16 && options.audioBits != 24 && options.audioBits != 8))) {
        return kEncodeBadArgument;
    }
    AVIVideoParams video;
    video.compression = MakeFourCC('K', 'R', 'V', 'X');
    video.bitCount = options.format == kFormatRgba ? 32 : 24;
    video.width = options.width;
    video.height = options.height;
    video.rate = options.rate;
    video.scale = options.scale;
    AVIAudioParams audio;
    audio.sampleRate = options.audioRate;
    audio.channels = options.audioChannels;
    audio.bitsPerSample = options.audioBits;
    AVIWriter writer;
    int rc = EncodeResult(writer.Open(
        path, video, audio, options.openDml ? AVIOpenDml::kAlways : AVIOpenDml::kOff, options.riffLimit));
    if (rc != kEncodeOkay) return rc;

    FrameEncoder encoder(options.fieldValue);
    encoder.SetMetadata(options.metadata);
    std::vector<uint8_t> sample, pcm;
    for (uint32_t frame = 0; frame < options.frames && rc == kEncodeOkay; ++frame) {
        Picture picture;
        if (options.source) {
            Picture supplied;
            if (!options.source(frame, supplied)) {
                rc = kEncodeSourceFailed;
                break;
            }
            if (supplied.width != options.width || supplied.height != options.height ||
                !ConvertPicture(supplied, options.format, picture)) {
                rc = kEncodeBadPicture;
                break;
            }
        } else {
            picture = RenderPattern(options.pattern, options.width, options.height, options.format, frame);
        }
        bool key = false;
        rc = encoder.Encode(picture, frame % options.gop == 0, sample, &key);
        if (rc == kEncodeOkay)
            rc = EncodeResult(writer.WriteVideo(sample.data(), static_cast<uint32_t>(sample.size()), key));
        if (rc == kEncodeOkay && options.audioRate != 0) {
            const uint64_t first = AudioFramesBefore(options, frame);
            const uint64_t count = AudioFramesBefore(options, frame + 1) - first;
            if (count > 0) {
                RenderAudio(options, first, static_cast<uint32_t>(count), pcm);
                rc = EncodeResult(writer.WriteAudio(pcm.data(), static_cast<uint32_t>(pcm.size())));
            }
        }
        if (progress) progress(frame + 1, options.frames);
    }
    const int closed = EncodeResult(writer.Close());
    return rc != kEncodeOkay ? rc : closed;
}

}  // namespace

int WriteClip(const ClipOptions& options, const char* path, const ProgressCallback& progress) {
    try {
        return WriteClipUnchecked(options, path, progress);
    } catch (const std::bad_alloc&) {
        return kEncodeOutOfMemory;
    }
}

}  // namespace encode
}  // namespace krvx
