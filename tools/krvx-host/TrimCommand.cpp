// krvx-host trim: a trimmed copy of the clip's frames and audio, written by the plug-in
// (imTrimFile8) without re-encoding, with a progress bar from its progress callback.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "host/Selectors.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"
#include "tools/krvx-host/ProgressBar.h"

namespace krvx {
namespace sim {

namespace {

struct ProgressState {
    ProgressBar* bar;
    int64_t stopAfter;  // the copy ends after this frame of the copy; -1: never
    int64_t calls;
};

int32_t OnProgress(int32_t done, int32_t /*total*/, void* context) {
    ProgressState* state = static_cast<ProgressState*>(context);
    ++state->calls;
    state->bar->Update(static_cast<uint64_t>(done) + 1);
    return state->stopAfter >= 0 && done >= state->stopAfter ? 0 : 1;
}

int64_t FileSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return file ? static_cast<int64_t>(file.tellg()) : -1;
}

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("trim", context.arguments, {"--in", "--frames", "--stop-after", "-o"},
                         {"--no-audio", "--no-video", "-q", "--quiet"}))
        return kExitUsage;
    if (!arguments.Has("-o")) {
        std::fprintf(stderr, "krvx-host trim: -o OUT names the copy\n");
        return kExitUsage;
    }
    int64_t in = 0, frames = 0, stopAfter = -1;
    if (!arguments.Number("trim", "--in", 0, 0, INT32_MAX, &in) ||
        !arguments.Number("trim", "--frames", 0, 0, INT32_MAX, &frames) ||
        !arguments.Number("trim", "--stop-after", -1, 0, INT32_MAX, &stopAfter))
        return kExitUsage;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    if (!OpenClipOrSay("trim", clip)) return kExitPluginError;
    const FileInfoRecord& info = clip.Info();
    const int64_t ticks = info.ticksPerFrame;
    const int64_t clipFrames = ticks > 0 ? info.durationTicks / ticks : 0;
    if (!arguments.Has("--frames")) frames = clipFrames > in ? clipFrames - in : 0;
    if (ticks <= 0 || (in + frames) * ticks > INT32_MAX) {
        std::fprintf(stderr, "krvx-host trim: the trim does not fit the host's 32-bit times\n");
        return kExitUsage;
    }
    const std::string output = arguments.Value("-o");
    const std::u16string destination = ToUtf16(output);
    const bool quiet = arguments.Has("-q") || arguments.Has("--quiet");
    ProgressBar bar(static_cast<uint64_t>(frames), "frames", !quiet);
    ProgressState progress{&bar, stopAfter, 0};

    TrimFileRecord record{};
    record.privateData = clip.Handle();
    record.trimIn = static_cast<int32_t>(in * ticks);
    record.duration = static_cast<int32_t>(frames * ticks);
    record.keepAudio = info.hasAudio && !arguments.Has("--no-audio") ? 1 : 0;
    record.keepVideo = arguments.Has("--no-video") ? 0 : 1;
    record.destinationPath = destination.c_str();
    record.progress = OnProgress;
    record.progressContext = &progress;
    record.ticksPerFrame = static_cast<int32_t>(ticks);
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = session.Call(imTrimFile8, nullptr, &record);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result != 0) {
        std::printf("the plug-in could not write the copy: result %d\n", result);
        return kExitPluginError;
    }
    // The plug-in appends ".avi" to a destination that is not ".avi" or ".mov".
    std::string written = output;
    int64_t bytes = FileSize(written);
    if (bytes < 0) {
        written += ".avi";
        bytes = FileSize(written);
    }
    const double megabytes = bytes > 0 ? static_cast<double>(bytes) / 1e6 : 0.0;  // MB of 10^6 bytes
    std::printf("wrote %s: %lld bytes, %lld progress calls, %.3f s, %.1f MB/s, %.0f progress calls/s\n",
                written.c_str(), static_cast<long long>(bytes), static_cast<long long>(progress.calls), seconds,
                seconds > 0 ? megabytes / seconds : 0.0,
                seconds > 0 ? static_cast<double>(progress.calls) / seconds : 0.0);
    return bytes > 0 ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration(
    {"trim", "CLIP [--in FRAME] [--frames N] [--no-audio] [--no-video] [--stop-after K] -o OUT",
     "Has the plug-in write a trimmed copy of N frames from FRAME (imTrimFile8) without "
     "re-encoding: AVI, or QuickTime when OUT ends in .mov. --stop-after K makes the progress "
     "callback end the copy after its frame K.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
