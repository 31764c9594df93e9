// Whole test clips: pictures from the encoder library, interleaved with a PCM tone in an AVI file by the
// container's writer. The one place that needs both the codec and the container, kept with the tools
// that make clips (and the tests and benchmarks that do the same).
//
//     krvx::encode::ClipOptions options;          // 1920 x 1080, 25/1, 50 frames, key frame every 10
//     options.width = 320; options.height = 180;
//     options.format = krvx::encode::kFormatRgba;
//     options.metadata.push_back(krvx::encode::MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "A001"));
//     int rc = krvx::encode::WriteClip(options, "clip.avi", nullptr);   // 0 on success
//
// Pictures come from a built-in test pattern, or from options.source, a callback that fills frame n.
// The container alone, for callers with samples of their own, is avi/AVIWriter.h.
// Every function returns 0 on success and a nonzero EncodeError otherwise; nothing throws.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "codec/encoder/KRVXEncoder.h"

namespace krvx {
namespace encode {

using ProgressCallback = std::function<void(uint32_t framesDone, uint32_t framesTotal)>;
// Fills the picture for frame n (any format; it is converted when it differs); false stops the clip.
using PictureSource = std::function<bool(uint32_t frame, Picture& picture)>;

struct ClipOptions {
    uint32_t width = 1920, height = 1080;
    uint32_t rate = 25, scale = 1;
    uint32_t frames = 50;
    uint32_t gop = 10;  // a key frame every gop frames; 1 = all key frames
    uint32_t format = kFormatYuv;
    uint32_t fieldValue = KRVX_FIELD_PROGRESSIVE;
    Pattern pattern = kPatternBars;
    PictureSource source;        // when set, used instead of the pattern
    uint32_t audioRate = 48000;  // 0: no audio
    uint16_t audioChannels = 2;
    uint16_t audioBits = 16;
    bool openDml = false;
    uint64_t riffLimit = uint64_t(1) << 30;
    std::vector<MetadataItem> metadata;  // written into every sample
};

int WriteClip(const ClipOptions& options, const char* path, const ProgressCallback& progress);

// The PCM the clip writer puts into the audio stream: sample frames [first, first + count) of a tone per
// channel, interleaved little-endian at the given bit depth.
void RenderAudio(const ClipOptions& options, uint64_t first, uint32_t count, std::vector<uint8_t>& out);

}  // namespace encode
}  // namespace krvx
