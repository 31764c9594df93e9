// krvx-host demo: the tour of a clip's life as the host drives it, one step per stage the plug-in offers.
#include <cstdio>

#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/HostQueries.h"

namespace krvx {
namespace host {

namespace {
void Heading(const char* text) { std::printf("\n== %s\n", text); }

void PrintLines(Session& session) {
    for (const std::string& line : session.TakeDebugLines())
        if (!line.empty()) std::printf("  | %s\n", line.c_str());
}

int Run(const CommandContext& context) {
    if (!context.arguments.empty()) {
        std::fprintf(stderr, "krvx-host demo: unexpected argument %s\n", context.arguments[0].c_str());
        return kExitUsage;
    }
    Session session(context.session);
    Heading("Loading the plug-in module");
    if (!StartSession(session)) return kExitPluginError;
    std::printf("loaded; the plug-in's debug lines follow each step, marked |\n");

    Heading("What the host learns before opening a file");
    int32_t result = PrintCapabilities(session, stdout);
    PrintLines(session);

    Heading("Host-side bookkeeping");
    std::printf("host blocks still held by the plug-in: %zu, handles: %zu\n", session.Host().LiveBlocks(),
                session.Host().LiveHandles());
    return result == 0 ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration({"demo", "",
                                    "Tours the plug-in as the host drives it and shows what the host learns "
                                    "at each step, with the plug-in's debug lines.",
                                    Run});
}  // namespace

}  // namespace host
}  // namespace krvx
