// imImportAudio7 through the module, 4800 sample frames a request continuing with -1, as the host
// conforms a clip's audio. The clip is KRVX_AUDIO_BENCH_CLIP when set (audio_bench.sh passes its
// one-hour clip), else a two-minute clip written into the temporary folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/clip-writer/ClipWriter.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Session.h"

namespace {

constexpr uint32_t kBlock = 4800;

std::string BenchClip() {
    if (const char* path = std::getenv("KRVX_AUDIO_BENCH_CLIP")) return path;
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp ? tmp : "/tmp") + "/krvx-audio-bench.avi";
    krvx::encode::ClipOptions options;
    options.width = 32;
    options.height = 18;
    options.frames = 25 * 120;
    if (krvx::encode::WriteClip(options, path.c_str(), nullptr) != 0)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return path;
}

void ImportAudioBlocks(benchmark::State& state) {
    static const std::string path = BenchClip();
    krvx::sim::Session session(krvx::sim::SessionOptions{});
    if (!session.Start()) {
        state.SkipWithError(session.Error().c_str());
        return;
    }
    krvx::sim::OpenClip clip(session, path);
    if (clip.Open() != 0 || !clip.Info().hasAudio) {
        state.SkipWithError("the clip does not open with audio");
        return;
    }
    const int64_t length = clip.Info().audioDurationFrames;
    std::vector<float> left(kBlock), right(kBlock);
    int64_t position = 0;
    for (auto _ : state) {
        // Back to the start (position 0 rewinds) when the clip runs out.
        const bool rewind = position == 0 || position + kBlock > length;
        if (rewind) position = 0;
        int32_t result = clip.ImportAudio(rewind ? 0 : -1, kBlock, left.data(), right.data());
        if (result != 0) {
            state.SkipWithError("imImportAudio7 failed");
            break;
        }
        position += kBlock;
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(ImportAudioBlocks);

}  // namespace

BENCHMARK_MAIN();
