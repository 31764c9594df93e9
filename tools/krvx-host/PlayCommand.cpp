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
#include "tools/krvx-host/FrameRequests.h"

namespace krvx {
namespace host {

namespace {

struct PlayOptions {
    std::string clip;
    std::string format;
    int32_t width = 0, height = 0;
    int32_t frames = 0;  // 0: every frame of the clip
    bool json = false;
    bool quiet = false;
};

int Usage(const std::string& message) {
    std::fprintf(stderr, "krvx-host play: %s\n", message.c_str());
    return kExitUsage;
}

int Parse(const std::vector<std::string>& arguments, PlayOptions* options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--json") {
            options->json = true;
        } else if (argument == "-q") {
            options->quiet = true;
        } else if (argument == "--size" || argument == "--format" || argument == "--frames") {
            if (i + 1 >= arguments.size()) return Usage(argument + " needs a value");
            const std::string& value = arguments[++i];
            if (argument == "--size") {
                if (!ParseFrameSize(value, &options->width, &options->height))
                    return Usage("bad --size " + value);
            } else if (argument == "--format") {
                if (PixelFormatFromText(value) == 0)
                    return Usage("--format takes four characters, such as bgra");
                options->format = value;
            } else {
                char* end = nullptr;
                const long frames = std::strtol(value.c_str(), &end, 10);
                if (!end || *end || frames < 1 || frames > INT32_MAX) return Usage("bad --frames " + value);
                options->frames = static_cast<int32_t>(frames);
            }
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage("unknown option " + argument);
        } else if (options->clip.empty()) {
            options->clip = argument;
        } else {
            return Usage("one clip at a time");
        }
    }
    return options->clip.empty() ? Usage("which clip?") : kExitSuccess;
}

// The sum of the numbers the plug-in's lines report after `label` (seconds in its timing lines), or a
// negative value when no line has the label.
double TimingSeconds(const std::vector<std::string>& lines, const char* label) {
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

void ShowProgress(int32_t done, int32_t total) {
    const int width = 40;
    const int filled = total ? static_cast<int>(static_cast<int64_t>(done) * width / total) : width;
    std::fprintf(stderr, "\r[%.*s%*s] %d/%d frames", filled,
                 "========================================", width - filled, "", done, total);
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

int Run(const CommandContext& context) {
    PlayOptions options;
    const int parsed = Parse(context.arguments, &options);
    if (parsed != kExitSuccess) return parsed;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, options.clip);
    const int32_t opened = clip.Open();
    if (opened != 0) {
        std::fprintf(stderr, "krvx-host play: the plug-in refused the clip: result %d\n", opened);
        return kExitPluginError;
    }
    const FileInfoRecord& info = clip.Info();
    uint32_t format = PixelFormatFromText(options.format);
    if (format == 0) {
        const std::vector<uint32_t> offered = clip.PixelFormats(nullptr);
        format = offered.empty() ? 0 : offered.front();
    }
    const int32_t width = options.width ? options.width : info.width;
    const int32_t height = options.height ? options.height : info.height;
    const int32_t clipFrames = info.ticksPerFrame > 0 ? info.durationTicks / info.ticksPerFrame : 0;
    const int32_t frames = options.frames ? std::min(options.frames, clipFrames) : clipFrames;
    const bool progress = !options.quiet && !options.json && platform::StandardErrorIsTerminal();

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
            if (progress) std::fputc('\n', stderr);
            std::fprintf(stderr, "krvx-host play: frame %d: result %d\n", n, result);
            return kExitPluginError;
        }
        const std::vector<std::string> lines = session.TakeDebugLines();
        const double decodeMs = std::max(0.0, TimingSeconds(lines, "Read/Decode Time:")) * 1000.0;
        const double convertMs = std::max(0.0, TimingSeconds(lines, "ConvertToOutputFrame Time:")) * 1000.0;
        readDecode.push_back(decodeMs);
        convert.push_back(convertMs);
        other.push_back(std::max(0.0, wall - decodeMs - convertMs));
        if (progress && (n % 10 == 9 || n + 1 == frames)) ShowProgress(n + 1, frames);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double fps = seconds > 0 ? frames / seconds : 0.0;
    // The importer's allocator reports its peak (the decoder's memory included) when the clip closes.
    clip.Close();
    const double peakMB =
        std::max(0.0, TimingSeconds(session.TakeDebugLines(), "Peak memory usage:")) / 1048576.0;
    if (options.json) {
        std::printf(
            "{\"frames\": %d, \"seconds\": %.6f, \"fps\": %.3f, \"readDecodeMs\": %.3f, \"convertMs\": %.3f, "
            "\"otherMs\": %.3f, \"readDecodeMeanMs\": %.3f, \"convertMeanMs\": %.3f, \"otherMeanMs\": %.3f, "
            "\"peakAllocatorMB\": %.1f}\n",
            frames, seconds, fps, Median(readDecode), Median(convert), Median(other), Mean(readDecode), Mean(convert),
            Mean(other), peakMB);
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
     "and the median split of a frame's time: read and decode, conversion or "
     "scaling (from the plug-in's timing lines), and the rest.",
     Run});

}  // namespace

}  // namespace host
}  // namespace krvx
