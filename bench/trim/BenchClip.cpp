#include "bench/trim/BenchClip.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "avi/AVIReader.h"
#include "avi/AVIWriter.h"
#include "tools/clip-writer/ClipWriter.h"

namespace krvx {
namespace bench {

namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080, kRate = 25, kGroup = 10, kAudioRate = 48000;
constexpr uint32_t kSamplesPerFrame = kAudioRate / kRate;

encode::ClipOptions Options() {
    encode::ClipOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.rate = kRate;
    options.gop = kGroup;
    options.audioRate = kAudioRate;
    return options;
}

uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const uint64_t bytes = std::filesystem::file_size(path, error);
    return error ? 0 : bytes;
}

// A clip already there is reused when it opens as this clip and is large enough.
bool Reusable(const std::string& path, uint64_t minBytes, BenchClipInfo* info) {
    const uint64_t bytes = FileBytes(path);
    if (bytes < minBytes) return false;
    AVIReader reader;
    if (dshow::Failed(reader.Open(path.c_str())) || !reader.Audio().IsValid() || reader.TotalFrames() == 0)
        return false;
    if (reader.Video().Header().rate != kRate || reader.Video().Header().scale != 1) return false;
    info->bytes = bytes;
    info->frames = reader.TotalFrames();
    info->keyFrameInterval = kGroup;
    return true;
}

}  // namespace

bool MakeBenchClip(const std::string& path, uint64_t minBytes, BenchClipInfo* info, std::string* error) {
    if (Reusable(path, minBytes, info)) return true;
    const encode::ClipOptions options = Options();
    // One group: a key frame and nine dependent frames of the gradient (about 1.5 MB a frame).
    encode::FrameEncoder encoder(options.fieldValue);
    std::vector<std::vector<uint8_t>> samples(kGroup);
    uint64_t groupBytes = 0;
    for (uint32_t f = 0; f < kGroup; ++f) {
        const encode::Picture picture =
            encode::RenderPattern(encode::kPatternGradient, kWidth, kHeight, options.format, f);
        bool key = false;
        if (encoder.Encode(picture, f == 0, samples[f], &key) != encode::kEncodeOkay || key != (f == 0)) {
            *error = "the encoder failed";
            return false;
        }
        groupBytes += samples[f].size() + kSamplesPerFrame * 4;
    }
    const uint64_t groups = (minBytes + groupBytes - 1) / groupBytes;

    AVIVideoParams video;
    video.compression = MakeFourCC('K', 'R', 'V', 'X');
    video.width = kWidth;
    video.height = kHeight;
    video.rate = kRate;
    AVIAudioParams audio;
    audio.sampleRate = kAudioRate;
    const std::string partial = path + ".part";
    AVIWriter writer;
    if (dshow::Failed(writer.Open(partial.c_str(), video, audio, AVIOpenDml::kAutomatic))) {
        *error = "cannot create " + partial;
        return false;
    }
    std::vector<uint8_t> pcm;
    bool written = true;
    info->videoBytes = 0;
    for (uint64_t frame = 0; written && frame < groups * kGroup; ++frame) {
        const std::vector<uint8_t>& sample = samples[frame % kGroup];
        encode::RenderAudio(options, frame * kSamplesPerFrame, kSamplesPerFrame, pcm);
        written = dshow::Succeeded(writer.WriteVideo(sample.data(), static_cast<uint32_t>(sample.size()),
                                                     frame % kGroup == 0)) &&
                  dshow::Succeeded(writer.WriteAudio(pcm.data(), static_cast<uint32_t>(pcm.size())));
        info->videoBytes += sample.size();
    }
    if (!dshow::Succeeded(writer.Close()) || !written) {
        std::remove(partial.c_str());
        *error = "cannot write " + partial;
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(partial, path, renameError);
    if (renameError || !Reusable(path, minBytes, info)) {
        *error = "the clip written at " + path + " does not open";
        return false;
    }
    return true;
}

}  // namespace bench
}  // namespace krvx
