// krvx-host info CLIP [--json]: what the host learns when it opens a clip.
#include <cstdio>
#include <string>

#include "host/PrPixelFormat.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"

namespace krvx {
namespace sim {

namespace {
void PrintJson(int32_t result, const FileInfoRecord& info,
               const std::vector<std::pair<int32_t, int32_t>>& sizes) {
    std::printf(
        "{\"result\": %d, \"hasVideo\": %s, \"hasAudio\": %s, \"width\": %d, \"height\": %d, "
        "\"subtype\": \"%s\", \"fieldType\": %d, \"alphaCode\": %d, \"pixelAspect\": [%d, %d], "
        "\"timeBase\": %d, \"ticksPerFrame\": %d, \"durationTicks\": %d, \"audioChannels\": %d, "
        "\"audioRate\": %g, \"audioDurationSamples\": %lld, \"preferredSizes\": [",
        result, info.hasVideo ? "true" : "false", info.hasAudio ? "true" : "false", info.width, info.height,
        FourChars(static_cast<uint32_t>(info.subtype)).c_str(), info.fieldType, info.alphaCode,
        info.pixelAspectNumerator, info.pixelAspectDenominator, info.timeBase, info.ticksPerFrame,
        info.durationTicks, info.audioChannels, static_cast<double>(info.audioSampleRate),
        static_cast<long long>(info.audioDurationFrames));
    for (size_t i = 0; i < sizes.size(); ++i)
        std::printf("%s[%d, %d]", i ? ", " : "", sizes[i].first, sizes[i].second);
    std::printf("]}\n");
}

void PrintText(const FileInfoRecord& info, const std::vector<std::pair<int32_t, int32_t>>& sizes) {
    std::printf("video: %s\n", info.hasVideo ? "yes" : "no");
    if (info.hasVideo) {
        std::printf("  size: %d x %d, subtype \"%s\", pixel aspect %d:%d\n", info.width, info.height,
                    FourChars(static_cast<uint32_t>(info.subtype)).c_str(), info.pixelAspectNumerator,
                    info.pixelAspectDenominator);
        std::printf("  rate: %d / %d (time base / ticks per frame), duration %d ticks", info.timeBase,
                    info.ticksPerFrame, info.durationTicks);
        if (info.ticksPerFrame > 0) std::printf(" = %d frames", info.durationTicks / info.ticksPerFrame);
        std::printf(
            "\n  field type: %d (0 progressive, 1 upper first, 2 lower first, 3 unknown), alpha code: %d\n",
            info.fieldType, info.alphaCode);
        std::printf("  preferred sizes (bgra):");
        for (const auto& size : sizes) std::printf(" %dx%d", size.first, size.second);
        std::printf("\n");
    }
    std::printf("audio: %s\n", info.hasAudio ? "yes" : "no");
    if (info.hasAudio)
        std::printf("  %d channels at %g Hz, %lld sample frames\n", info.audioChannels,
                    static_cast<double>(info.audioSampleRate),
                    static_cast<long long>(info.audioDurationFrames));
}

int Run(const CommandContext& context) {
    std::string path;
    bool json = false;
    for (const std::string& argument : context.arguments) {
        if (argument == "--json") {
            json = true;
        } else if (!argument.empty() && argument[0] == '-') {
            std::fprintf(stderr, "krvx-host info: unknown option %s\n", argument.c_str());
            return kExitUsage;
        } else if (path.empty()) {
            path = argument;
        } else {
            std::fprintf(stderr, "krvx-host info: one clip at a time\n");
            return kExitUsage;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "krvx-host info: which clip?\n");
        return kExitUsage;
    }
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, path);
    int32_t result = clip.Open();
    std::vector<std::pair<int32_t, int32_t>> sizes;
    if (result == 0) sizes = clip.PreferredSizes(PrPixelFormat_BGRA_4444_8u);
    FileInfoRecord info = result == 0 ? clip.Info() : FileInfoRecord{};
    int32_t closed = clip.Close();
    if (result == 0) result = closed;
    if (json) {
        PrintJson(result, info, sizes);
    } else if (result == 0) {
        PrintText(info, sizes);
    } else {
        std::printf("the plug-in refused the clip: result %d\n", result);
    }
    return result == 0 ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration(
    {"info", "CLIP [--json]",
     "Opens CLIP as the host does and prints its description (with --json, one "
     "JSON object).",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
