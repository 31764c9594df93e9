// Decode cost of a 1920 x 1080 frame at each resolution and in each output format, key and dependent
// frames, on one thread; the counters give the compressed size against the raw input.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <vector>

#include "codec/encoder/KRVXEncoder.h"
#include <KRVXDecoder.h>

namespace {

using krvx::encode::Pattern;

struct Clip {
    std::vector<std::vector<uint8_t>> samples;  // key frame, then one dependent frame
    double rawBytes = 0;
};

// Two frames of a pattern in memory: frame 0 a key frame, frame 1 dependent on it.
const Clip& GetClip(Pattern pattern, uint32_t format) {
    static std::map<std::pair<int, uint32_t>, Clip> clips;
    Clip& clip = clips[{pattern, format}];
    if (clip.samples.empty()) {
        krvx::encode::FrameEncoder encoder;
        clip.samples.resize(2);
        for (uint32_t i = 0; i < 2; ++i) {
            const auto picture = krvx::encode::RenderPattern(pattern, 1920, 1080, format, i);
            encoder.Encode(picture, i == 0, clip.samples[i]);
        }
        const double bitsPerPixel = format == 0 ? 20.0 : (format == 1 ? 36.0 : 48.0);
        clip.rawBytes = 1920.0 * 1080.0 * bitsPerPixel / 8.0;
    }
    return clip;
}

uint32_t BytesPerPixel(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case krvx::KRVX_PIXEL_FORMAT_BGRA:
            return 4;
        case krvx::KRVX_PIXEL_FORMAT_YUYV:
            return 2;
        case krvx::KRVX_PIXEL_FORMAT_YU64:
            return 4;
        case krvx::KRVX_PIXEL_FORMAT_WP13:
            return 6;
        default:
            return 8;
    }
}

struct DecoderDeleter {
    void operator()(krvx::SampleDecoder* d) const { d->Destroy(1); }
};

// args: resolution code, output format, encoded format, pattern, dependent (0/1)
void BM_Decode(benchmark::State& state) {
    const int resolution = static_cast<int>(state.range(0));
    const uint32_t pixelFormat = static_cast<uint32_t>(state.range(1));
    const uint32_t encoded = static_cast<uint32_t>(state.range(2));
    const Pattern pattern = static_cast<Pattern>(state.range(3));
    const bool dependent = state.range(4) != 0;
    const Clip& clip = GetClip(pattern, encoded);
    std::unique_ptr<krvx::SampleDecoder, DecoderDeleter> decoder(KRVX_CreateSampleDecoder(nullptr, nullptr));
    const uint32_t w = 1920 >> (resolution - 1), h = 1080 >> (resolution - 1);
    const int32_t pitch = static_cast<int32_t>((w * BytesPerPixel(pixelFormat) + 15) / 16 * 16);
    std::vector<uint8_t> out(size_t(pitch) * h);
    const auto& key = clip.samples[0];
    const auto& next = clip.samples[1];
    decoder->PrepareDecode(0, 0, pixelFormat, resolution, 0, key.data(), uint32_t(key.size()), nullptr,
                           nullptr, nullptr);
    for (auto _ : state) {
        if (dependent) {
            state.PauseTiming();
            decoder->DecodeSample(key.data(), uint32_t(key.size()), nullptr, 0);
            state.ResumeTiming();
        }
        const auto& sample = dependent ? next : key;
        if (decoder->DecodeSample(sample.data(), uint32_t(sample.size()), out.data(), pitch) != 0) {
            state.SkipWithError("decode failed");
            break;
        }
    }
    const auto& sample = dependent ? next : key;
    state.counters["compressed_bytes"] = double(sample.size());
    state.counters["ratio"] = clip.rawBytes / double(sample.size());
}

void AllResolutionsAndFormats(benchmark::internal::Benchmark* b) {
    const int64_t formats[] = {krvx::KRVX_PIXEL_FORMAT_BGRA, krvx::KRVX_PIXEL_FORMAT_YUYV,
                               krvx::KRVX_PIXEL_FORMAT_YU64, krvx::KRVX_PIXEL_FORMAT_WP13,
                               krvx::KRVX_PIXEL_FORMAT_W13A, krvx::KRVX_PIXEL_FORMAT_B64A};
    for (int64_t format : formats) {
        for (int64_t resolution = 1; resolution <= 4; ++resolution) b->Args({resolution, format, 0, 2, 0});
    }
    b->ArgNames({"res", "pixfmt", "enc", "pattern", "dependent"});
}

// Every output format at every resolution: YUV zone plate key frames.
BENCHMARK(BM_Decode)->Apply(AllResolutionsAndFormats)->Unit(benchmark::kMillisecond);
// Encoded formats, patterns and dependent frames at full and eighth resolution into BGRA.
BENCHMARK(BM_Decode)
    ->ArgsProduct({{1, 4}, {krvx::KRVX_PIXEL_FORMAT_BGRA}, {0, 1, 2}, {0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"res", "pixfmt", "enc", "pattern", "dependent"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
