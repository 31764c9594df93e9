// The host executable's name the plug-in sees. Where the system lets this process stand in for another name
// (POSIX) it does; where it cannot (Windows, where the name is the program file's), a copy of this program
// so named runs the same command line from a temporary folder, and its exit code is ours.
#pragma once
#include <string>
#include <vector>

namespace krvx {
namespace sim {

struct HostNameOutcome {
    bool goOn;     // this process is seen under the name: run the command here
    int exitCode;  // otherwise, exit with this: the copy's answer, or why there was none
};

// `arguments` is this process's command line after the program's own name. `modulePath` is the module the
// copy loads when the command line names none: the copy's folder holds no module.
HostNameOutcome PresentAsHost(const std::string& name, const std::vector<std::string>& arguments,
                              const std::string& modulePath);

}  // namespace sim
}  // namespace krvx
