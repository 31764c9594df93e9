// The harness run as a user runs it: a separate process, each argument whole, its exit code and its
// output (standard output and standard error together, with plain line ends).
#pragma once
#include <string>
#include <vector>

namespace krvx {
namespace testing_support {

struct ToolOutcome {
    int exitCode;
    std::string output;
};

// Runs krvx-host from beside this test program; `outputFile` receives what it prints.
ToolOutcome RunHostTool(const std::vector<std::string>& arguments, const std::string& outputFile);

}  // namespace testing_support
}  // namespace krvx
