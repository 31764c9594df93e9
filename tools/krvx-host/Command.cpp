#include "tools/krvx-host/Command.h"

#include <cstdio>

namespace krvx {
namespace sim {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
}  // namespace

CommandRegistration::CommandRegistration(const Command& command) {
    Registry().push_back(command);
}

const std::vector<Command>& Commands() {
    return Registry();
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : Registry())
        if (name == command.name) return &command;
    return nullptr;
}

bool WantsHelp(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments)
        if (argument == "--help" || argument == "-h") return true;
    return false;
}

void PrintCommandHelp(const Command& command) {
    std::printf("usage: krvx-host [--module PATH] [--debug] [--host-name NAME] %s %s\n\n%s\n", command.name,
                command.usage, command.summary);
}

bool StartSession(Session& session) {
    if (session.Start()) return true;
    std::fprintf(stderr, "krvx-host: %s\n", session.Error().c_str());
    return false;
}

bool OpenClipOrSay(const char* command, OpenClip& clip) {
    const int32_t result = clip.Open();
    if (result == 0) return true;
    std::fprintf(stderr, "krvx-host %s: the plug-in refused the clip: result %d\n", command, result);
    return false;
}

}  // namespace sim
}  // namespace krvx
