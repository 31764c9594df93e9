// krvx-host: plays the host for the plug-in module, and is the product's command-line tool.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/HostName.h"
#include "tools/krvx-host/PluginModule.h"

using namespace krvx::sim;

namespace {
void PrintHelp() {
    std::printf(
        "usage: krvx-host [--module PATH] [--debug] [--host-name NAME] COMMAND [ARGS]\n\n"
        "Loads the importer plug-in module and drives it as the host does.\n\n"
        "options:\n"
        "  --module PATH     the plug-in module to load (default: the one beside this program)\n"
        "  --debug           print the plug-in's debug lines as they come, on standard error\n"
        "  --host-name NAME  present this process to the plug-in as the executable NAME (on Windows by\n"
        "                    running a copy of this program named NAME from a temporary folder)\n"
        "  --help            this text; COMMAND --help tells about one command\n\n"
        "commands:\n");
    for (const Command& command : Commands()) std::printf("  %-12s %s\n", command.name, command.summary);
}

int Usage(const char* message, const char* detail) {
    std::fprintf(stderr, "krvx-host: %s%s\n", message, detail);
    return kExitUsage;
}
}  // namespace

int main(int argc, char** argv) {
    CommandContext context;
    const Command* command = nullptr;
    std::string hostName;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (command) {
            context.arguments.push_back(argument);
        } else if (argument == "--help" || argument == "-h") {
            PrintHelp();
            return kExitSuccess;
        } else if (argument == "--debug") {
            context.session.printDebug = true;
        } else if (argument == "--module" || argument == "--host-name") {
            if (i + 1 >= argc) return Usage("missing value after ", argument.c_str());
            const char* value = argv[++i];
            if (argument == "--module") {
                context.session.modulePath = value;
            } else {
                hostName = value;
            }
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage("unknown option ", argument.c_str());
        } else {
            command = FindCommand(argument);
            if (!command) return Usage("unknown command ", argument.c_str());
        }
    }
    if (!command) {
        PrintHelp();
        return kExitUsage;
    }
    if (WantsHelp(context.arguments)) {
        PrintCommandHelp(*command);
        return kExitSuccess;
    }
    if (hostName.empty() && command->hostName) hostName = command->hostName;
    if (!hostName.empty()) {
        const std::string& module = context.session.modulePath;
        HostNameOutcome outcome = PresentAsHost(hostName, std::vector<std::string>(argv + 1, argv + argc),
                                                module.empty() ? PluginModule::DefaultPath() : module);
        if (!outcome.goOn) return outcome.exitCode;
    }
    return command->run(context);
}
