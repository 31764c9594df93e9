#include "tests/support/ToolRun.h"

#include <algorithm>

#include "platform/process.h"
#include "platform/system.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace testing_support {

namespace {
// The harness beside this test program, with this program's file-name extension (".exe" on Windows).
std::string ToolPath() {
    char self[4096];
    if (!platform::ExecutablePath(self, sizeof(self))) return "krvx-host";
    std::string path = self;
    size_t folderEnd = path.find_last_of("/\\") + 1;
    size_t dot = path.rfind('.');
    std::string extension = dot != std::string::npos && dot > folderEnd ? path.substr(dot) : "";
    return path.substr(0, folderEnd) + "krvx-host" + extension;
}
}  // namespace

ToolOutcome RunHostTool(const std::vector<std::string>& arguments, const std::string& outputFile) {
    std::vector<const char*> line;
    for (const std::string& argument : arguments) line.push_back(argument.c_str());
    int exitCode = platform::RunProcess(ToolPath().c_str(), line.data(), line.size(), outputFile.c_str());
    std::string text = ReadFile(outputFile);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return {exitCode, text};
}

}  // namespace testing_support
}  // namespace krvx
