// krvx-host formats CLIP: the pixel formats the plug-in offers for a clip, in its order.
#include <cstdio>
#include <string>

#include "host/HostResults.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"

namespace krvx {
namespace sim {

namespace {
int Run(const CommandContext& context) {
    if (context.arguments.size() != 1 || context.arguments[0].empty() || context.arguments[0][0] == '-') {
        std::fprintf(stderr, "krvx-host formats: give one clip\n");
        return kExitUsage;
    }
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, context.arguments[0]);
    int32_t result = clip.Open();
    if (result != 0) {
        std::printf("the plug-in refused the clip: result %d\n", result);
        return kExitPluginError;
    }
    int32_t closing = 0;
    for (uint32_t format : clip.PixelFormats(&closing)) std::printf("%s\n", FourChars(format).c_str());
    // The list ends with "index past the last format".
    return closing == kImBadFormatIndex ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration(
    {"formats", "CLIP",
     "Lists the pixel formats the plug-in offers for CLIP, one four-character code "
     "a line, in its order of preference.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
