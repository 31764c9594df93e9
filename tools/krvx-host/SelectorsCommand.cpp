// krvx-host selectors: what the host learns from the plug-in before it opens any file.
#include <cstdio>
#include <cstring>

#include "host/Selectors.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/HostQueries.h"

namespace krvx {
namespace sim {

namespace {
int Run(const CommandContext& context) {
    if (!context.arguments.empty()) {
        std::fprintf(stderr, "krvx-host selectors: unexpected argument %s\n", context.arguments[0].c_str());
        return kExitUsage;
    }
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    return PrintCapabilities(session, stdout) == 0 ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration(
    {"selectors", "",
     "Calls imInit, imGetIndFormat, imGetSupports7, imGetSupports8 and imShutdown "
     "and prints what came back.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
