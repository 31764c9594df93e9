// The harness's commands. Each command file registers itself with one CommandRegistration, so adding a
// command is writing its one function.
#pragma once
#include <string>
#include <vector>

#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Session.h"

namespace krvx {
namespace sim {

// Exit codes of every command.
enum ExitCode : int { kExitSuccess = 0, kExitPluginError = 1, kExitUsage = 2 };

struct CommandContext {
    SessionOptions session;
    std::vector<std::string> arguments;  // after the command name, global options removed
};

struct Command {
    const char* name;
    const char* usage;    // arguments, e.g. "CLIP [--json]"
    const char* summary;  // one line
    int (*run)(const CommandContext& context);
    const char* hostName;  // the host the command presents itself as when --host-name names none; null: none
};

class CommandRegistration {
public:
    explicit CommandRegistration(const Command& command);
};

const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);

// True when the arguments ask for help ("--help" or "-h").
bool WantsHelp(const std::vector<std::string>& arguments);
void PrintCommandHelp(const Command& command);

// Starts a session or prints why it cannot; false means the command should exit 1.
bool StartSession(Session& session);

// Opens the clip as the host does (imOpenFile8, imGetInfo8); false, with the plug-in's answer printed for
// `command`, when it refuses the clip.
bool OpenClipOrSay(const char* command, OpenClip& clip);

}  // namespace sim
}  // namespace krvx
