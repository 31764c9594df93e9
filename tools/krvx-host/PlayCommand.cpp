// krvx-host play CLIP [--size WxH] [--format F] [--frames N] [--json] [-q]: every frame in order as the
// host asks while playing, with frames per second and each frame's time split into read and decode,
// conversion or scaling, and everything else, from the plug-in's timing lines. Those count whole
// milliseconds, so the means (which the rounding does not bias) say more than the medians of short steps.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"
#include "tools/krvx-host/FrameRequests.h"
#include "tools/krvx-host/ProgressBar.h"

namespace krvx {
namespace sim {

namespace {

// The sum of the numbers the plug-in's lines report after `label` (seconds in its timing lines), or a
// negative value when no line has the label.
double SumAfterLabel(const std::vector<std::string>& lines, const char* label) {
    double total = -1.0;
    for (const std::string& line : lines) {
        const size_t at = line.find(label);
        if (at == std::string::npos) continue;
        total = std::max(total, 0.0) +
                std::strtod(line.c_str() + at + std::char_traits<char>::length(label), nullptr);
    }
    return total;
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values) sum += value;
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("play", context.arguments, {"--size", "--format", "--frames"}, {"--json", "-q"}))
        return kExitUsage;
    int64_t wanted = 0;
    uint32_t format = 0;
    int32_t width = 0, height = 0;
    if (!arguments.Number("play", "--frames", 0, 1, INT32_MAX, &wanted) ||
        !FrameFormatAndSize("play", arguments, &format, &width, &height))
        return kExitUsage;
    const bool json = arguments.Has("--json");
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    if (!OpenClipOrSay("play", clip)) return kExitPluginError;
    const FileInfoRecord& info = clip.Info();
    if (format == 0) {
        const std::vector<uint32_t> offered = clip.PixelFormats(nullptr);
        format = offered.empty() ? 0 : offered.front();
    }
    if (width == 0) {
        width = info.width;
        height = info.height;
    }
    const int32_t clipFrames = info.ticksPerFrame > 0 ? info.durationTicks / info.ticksPerFrame : 0;
    const int32_t frames = wanted ? std::min(static_cast<int32_t>(wanted), clipFrames) : clipFrames;
    ProgressBar progress(static_cast<uint64_t>(frames > 0 ? frames : 0), "frames",
                         !arguments.Has("-q") && !json);

    std::vector<double> readDecode, convert, other;
    session.TakeDebugLines();
    const auto start = std::chrono::steady_clock::now();
    for (int32_t n = 0; n < frames; ++n) {
        SourceFrame frame(session);
        const auto before = std::chrono::steady_clock::now();
        const int32_t result = frame.Request(clip, n, format, width, height);
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
        if (result != 0) {
            std::fprintf(stderr, "krvx-host play: frame %d: result %d\n", n, result);
            return kExitPluginError;
        }
        const std::vector<std::string> lines = session.TakeDebugLines();
        const double decodeMs = std::max(0.0, SumAfterLabel(lines, "Read/Decode Time:")) * 1000.0;
        const double convertMs = std::max(0.0, SumAfterLabel(lines, "ConvertToOutputFrame Time:")) * 1000.0;
        readDecode.push_back(decodeMs);
        convert.push_back(convertMs);
        other.push_back(std::max(0.0, wall - decodeMs - convertMs));
        progress.Update(static_cast<uint64_t>(n) + 1);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double fps = seconds > 0 ? frames / seconds : 0.0;
    // The importer's allocator reports its peak (the decoder's memory included) when the clip closes.
    clip.Close();
    const double peakMB =
        std::max(0.0, SumAfterLabel(session.TakeDebugLines(), "Peak memory usage:")) / 1048576.0;
    if (json) {
        std::printf(
            "{\"frames\": %d, \"seconds\": %.6f, \"fps\": %.3f, \"readDecodeMs\": %.3f, \"convertMs\": %.3f, "
            "\"otherMs\": %.3f, \"readDecodeMeanMs\": %.3f, \"convertMeanMs\": %.3f, \"otherMeanMs\": %.3f, "
            "\"peakAllocatorMB\": %.1f}\n",
            frames, seconds, fps, Median(readDecode), Median(convert), Median(other), Mean(readDecode),
            Mean(convert), Mean(other), peakMB);
    } else {
        std::printf("%d frames of %dx%d %s in %.3f s: %.1f frames per second\n", frames, width, height,
                    FourChars(format).c_str(), seconds, fps);
        std::printf(
            "per frame (mean): read and decode %.3f ms, conversion or scaling %.3f ms, other %.3f ms\n",
            Mean(readDecode), Mean(convert), Mean(other));
        std::printf("peak memory of the clip's allocator: %.1f MB\n", peakMB);
    }
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"play", "CLIP [--size WxH] [--format F] [--frames N] [--json] [-q]",
     "Requests every frame in order (or the first N) and reports frames per second "
     "and the mean split of a frame's time: read and decode, conversion or "
     "scaling (from the plug-in's timing lines), and the rest.",
     Run, nullptr});

}  // namespace

}  // namespace sim
}  // namespace krvx
