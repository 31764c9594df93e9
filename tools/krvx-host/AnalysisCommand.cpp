// krvx-host analysis: the clip's analysis text, asked for as the host asks (size first, then the text).
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/Selectors.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"

namespace krvx {
namespace sim {

namespace {

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("analysis", context.arguments, {}, {"--raw"})) return kExitUsage;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    int32_t result = clip.Open();
    AnalysisRecord record{};
    record.privateData = clip.Handle();
    if (result == 0) result = session.Call(imAnalysis, nullptr, &record);
    std::vector<char> text(record.bufferSize > 0 ? static_cast<size_t>(record.bufferSize) + 1 : 1, '\0');
    record.buffer = text.data();
    if (result == 0 && record.bufferSize > 0) result = session.Call(imAnalysis, nullptr, &record);
    if (result != 0) {
        std::printf("the plug-in answered %d\n", result);
        return kExitPluginError;
    }
    // The text is in the host's Windows-1252 code page; its trade mark sign is printed as UTF-8
    // unless the bytes are wanted as they are.
    const bool raw = arguments.Has("--raw");
    for (const char* at = text.data(); *at; ++at) {
        if (!raw && static_cast<unsigned char>(*at) == 0x99)
            std::fputs("\xE2\x84\xA2", stdout);
        else
            std::fputc(*at, stdout);
    }
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"analysis", "CLIP [--raw]",
     "Prints the clip's analysis text as imAnalysis answers (with --raw, its bytes "
     "as the plug-in wrote them, in the host's Windows-1252 code page).",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
