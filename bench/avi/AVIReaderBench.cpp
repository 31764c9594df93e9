// Opening a one-hour 25 fps clip (headers and a full legacy index; the movie data is sparse) with the
// reader and with libavformat, and locating frames through the legacy and the OpenDML index.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <random>

#include "ClipWriter.h"
#include "avi/AVIReader.h"

namespace {

using krvx::test::ClipOptions;

// The two clips, written once for the whole run.
struct Clips {
    krvx::test::TempDir dir;
    std::string legacy = dir.File("hour-legacy.avi");
    std::string openDml = dir.File("hour-opendml.avi");
    Clips() {
        ClipOptions options;
        options.frames = 25 * 3600;
        options.frameSize = 20000;
        options.sparseFrames = true;
        options.sparseAudio = true;
        options.keyInterval = 12;
        if (!krvx::test::WriteClipFile(legacy, options))
            std::fprintf(stderr, "cannot write %s\n", legacy.c_str());
        options.framesPerStdIndex = 15000;
        if (!krvx::test::WriteClipFile(openDml, options))
            std::fprintf(stderr, "cannot write %s\n", openDml.c_str());
    }
};

Clips& TheClips() {
    static Clips clips;
    return clips;
}

void BM_OpenReader(benchmark::State& state) {
    const std::string& path = TheClips().legacy;
    for (auto _ : state) {
        krvx::AVIReader reader;
        if (krvx::dshow::Failed(reader.Open(path.c_str()))) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(reader.Video().OldIndex().Count());
    }
}
BENCHMARK(BM_OpenReader)->Unit(benchmark::kMillisecond);

void BM_OpenLibavformat(benchmark::State& state) {
    const std::string& path = TheClips().legacy;
    av_log_set_level(AV_LOG_QUIET);
    for (auto _ : state) {
        AVFormatContext* context = nullptr;
        if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) != 0)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(context);
        avformat_close_input(&context);
    }
}
BENCHMARK(BM_OpenLibavformat)->Unit(benchmark::kMillisecond);

// Frame locations at random frames: the legacy table is indexed directly, the OpenDML index is a scan over
// its standard index chunks (loaded on the first lookup, before timing starts).
void LocateFrames(benchmark::State& state, const std::string& path) {
    krvx::AVIReader reader;
    if (krvx::dshow::Failed(reader.Open(path.c_str()))) return state.SkipWithError("open failed");
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> frames(0, reader.TotalFrames() - 1);
    reader.GetVideoFrameSize(0);
    for (auto _ : state) {
        uint32_t size = 0, lead = 0, alignedSize = 0;
        uint64_t offset = 0;
        reader.Video().GetAlignedFrameLocation(frames(random), 512, &size, &lead, &offset, &alignedSize);
        benchmark::DoNotOptimize(offset);
    }
}
void BM_LocateFrameLegacy(benchmark::State& state) {
    LocateFrames(state, TheClips().legacy);
}
void BM_LocateFrameOpenDml(benchmark::State& state) {
    LocateFrames(state, TheClips().openDml);
}
BENCHMARK(BM_LocateFrameLegacy);
BENCHMARK(BM_LocateFrameOpenDml);

}  // namespace

BENCHMARK_MAIN();
