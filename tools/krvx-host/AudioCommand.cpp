// krvx-host audio: pulls a clip's audio as the host does, in blocks, and writes it as a float WAV file.
#include <cstdio>
#include <vector>

#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"
#include "tools/krvx-host/ProgressBar.h"
#include "tools/krvx-host/WavWriter.h"

namespace krvx {
namespace sim {

namespace {

constexpr int64_t kDefaultBlock = 4800;
constexpr int64_t kMaximumBlock = 1 << 20;
// The host's position for "where the last request ended".
constexpr int64_t kContinue = -1;

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("audio", context.arguments, {"-o", "--from", "--count", "--block"},
                         {"-q", "--quiet"}))
        return kExitUsage;
    if (!arguments.Has("-o")) {
        std::fprintf(stderr, "krvx-host audio: where to? (-o out.wav)\n");
        return kExitUsage;
    }
    int64_t from = 0, count = -1, block = 0;
    if (!arguments.Number("audio", "--from", 0, 0, INT64_MAX / 2, &from) ||
        !arguments.Number("audio", "--count", -1, 0, INT64_MAX / 2, &count) ||
        !arguments.Number("audio", "--block", kDefaultBlock, 1, kMaximumBlock, &block))
        return kExitUsage;

    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    if (!OpenClipOrSay("audio", clip)) return kExitPluginError;
    int32_t result = 0;
    const FileInfoRecord& info = clip.Info();
    if (!info.hasAudio) {
        std::fprintf(stderr, "krvx-host audio: the clip has no audio\n");
        return kExitPluginError;
    }
    const int64_t length = info.audioDurationFrames;
    if (count < 0) count = length > from ? length - from : 0;

    WavWriter wav;
    if (!wav.Open(arguments.Value("-o"), 2, static_cast<uint32_t>(info.audioSampleRate))) {
        std::fprintf(stderr, "krvx-host audio: cannot write %s\n", arguments.Value("-o").c_str());
        return kExitPluginError;
    }
    // The buffers live for the whole run: the loop allocates nothing.
    std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
    std::vector<float> interleaved(static_cast<size_t>(block) * 2);
    ProgressBar progress(static_cast<uint64_t>(count), "sample frames",
                         !arguments.Has("-q") && !arguments.Has("--quiet") && count > 10 * block);
    int64_t done = 0;
    while (done < count && result == 0) {
        const uint32_t frames = static_cast<uint32_t>(count - done < block ? count - done : block);
        result = clip.ImportAudio(done == 0 ? from : kContinue, frames, left.data(), right.data());
        if (result != 0) break;
        for (uint32_t i = 0; i < frames; ++i) {
            interleaved[2 * i] = left[i];
            interleaved[2 * i + 1] = right[i];
        }
        if (!wav.Write(interleaved.data(), frames)) break;
        done += frames;
        progress.Update(static_cast<uint64_t>(done));
    }
    const bool written = wav.Close();
    if (!written) {
        std::fprintf(stderr, "krvx-host audio: writing %s failed\n", arguments.Value("-o").c_str());
        return kExitPluginError;
    }
    if (result != 0) {
        std::fprintf(stderr, "krvx-host audio: the plug-in answered %d at sample frame %lld\n", result,
                     static_cast<long long>(from + done));
        return kExitPluginError;
    }
    std::printf("%lld sample frames from %lld written to %s\n", static_cast<long long>(done),
                static_cast<long long>(from), arguments.Value("-o").c_str());
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"audio", "CLIP -o OUT.wav [--from S] [--count N] [--block B] [-q]",
     "Pulls the clip's audio as the host does (blocks of B sample frames, default "
     "4800, the first at S, the rest continuing) and writes it as a 32-bit float "
     "WAV file. A progress bar shows on long clips when standard error is a terminal.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
