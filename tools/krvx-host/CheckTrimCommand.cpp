// krvx-host checktrim: a trim of the clip's frames widened to its key frames, as imCheckTrim8 answers.
#include <cstdio>

#include "host/Selectors.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"

namespace krvx {
namespace sim {

namespace {

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("checktrim", context.arguments, {"--in", "--frames"}, {})) return kExitUsage;
    int64_t in = 0, frames = 0;
    if (!arguments.Number("checktrim", "--in", 0, 0, INT32_MAX, &in) ||
        !arguments.Number("checktrim", "--frames", 1, 1, INT32_MAX, &frames))
        return kExitUsage;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    int32_t result = clip.Open();
    if (result != 0) {
        std::printf("the plug-in refused the clip: result %d\n", result);
        return kExitPluginError;
    }
    const int64_t ticks = clip.Info().ticksPerFrame;
    if (ticks <= 0 || (in + frames) * ticks > INT32_MAX) {
        std::fprintf(stderr, "krvx-host checktrim: the trim does not fit the host's 32-bit times\n");
        return kExitUsage;
    }
    TrimCheckRecord record{};
    record.privateData = clip.Handle();
    record.requestedStart = static_cast<int32_t>(in * ticks);
    record.requestedDuration = static_cast<int32_t>(frames * ticks);
    record.keepAudio = 1;
    record.keepVideo = 1;
    record.ticksPerFrame = static_cast<int32_t>(ticks);
    result = session.Call(imCheckTrim8, nullptr, &record);
    if (result != 0) {
        std::printf("frames %lld..%lld cannot be trimmed on key frames: result %d\n",
                    static_cast<long long>(in), static_cast<long long>(in + frames - 1), result);
        return kExitPluginError;
    }
    const int32_t first = record.answeredStart / record.ticksPerFrame;
    const int32_t count = record.answeredDuration / record.ticksPerFrame;
    std::printf("requested frames %lld..%lld, answered frames %d..%d (%d frames)\n",
                static_cast<long long>(in), static_cast<long long>(in + frames - 1), first, first + count - 1,
                count);
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"checktrim", "CLIP --in FRAME --frames N",
     "Asks the plug-in to align a trim of N frames from FRAME to the clip's key "
     "frames (imCheckTrim8) and prints the frames it answers.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
