#include "tools/krvx-host/HostName.h"

#include <cstdio>
#include <cstdlib>

#include "platform/file.h"
#include "platform/folder.h"
#include "platform/process.h"
#include "platform/system.h"
#include "tools/krvx-host/Command.h"

namespace krvx {
namespace sim {

namespace {
// Set for the copy: a copy that still is not seen under the name must fail, not start another copy.
const char kCopyMarker[] = "KRVX_HOST_COPY";

bool SeenAs(const std::string& name) {
    char current[1024];
    return platform::HostExecutableName(current, sizeof(current)) && name == current;
}

// Says why on standard error; the harness exits with `exitCode`, by default as for any other error.
HostNameOutcome Fail(const std::string& message, int exitCode = kExitPluginError) {
    std::fprintf(stderr, "krvx-host: %s\n", message.c_str());
    return {false, exitCode};
}
}  // namespace

HostNameOutcome PresentAsHost(const std::string& name, const std::vector<std::string>& arguments,
                              const std::string& modulePath) {
    // The name is a program file's name: a folder in it would put the copy elsewhere.
    if (name.empty() || name.find_first_of("/\\") != std::string::npos)
        return Fail("the host name must be a file name without a folder: " + name, kExitUsage);
    if (SeenAs(name) || platform::PresentHostExecutableName(name.c_str())) return {true, kExitSuccess};
    if (std::getenv(kCopyMarker)) return Fail("the copy named " + name + " is not seen under that name");

    char self[4096];
    if (!platform::ExecutablePath(self, sizeof(self))) return Fail("cannot find this program's own file");
    platform::TemporaryFolder folder("krvx-host-");
    if (!folder.Made()) return Fail("cannot make a temporary folder for the copy named " + name);
    std::string copy = std::string(folder.Path()) + name;
    if (!platform::FileCopy(self, copy.c_str())) return Fail("cannot copy this program to " + copy);
    if (!platform::SetEnvironmentValue(kCopyMarker, "1")) return Fail("cannot mark the copy's environment");

    // Global options come first.
    std::vector<const char*> line = {"--module", modulePath.c_str()};
    for (const std::string& argument : arguments) line.push_back(argument.c_str());
    // The copy writes to the same output: what we hold back must go first.
    std::fflush(stdout);
    std::fflush(stderr);
    int exitCode = platform::RunProcess(copy.c_str(), line.data(), line.size(), nullptr);
    if (exitCode == -1) return Fail("cannot run " + copy);
    return {false, exitCode};
}

}  // namespace sim
}  // namespace krvx
