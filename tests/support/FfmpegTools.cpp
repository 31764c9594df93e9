#include "tests/support/FfmpegTools.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/TempClip.h"

namespace krvx {
namespace testing_support {
namespace {

std::string Tool(const char* variable, const char* name) {
    const char* given = std::getenv(variable);
    return given ? given : name;
}

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

// Runs `command` with its standard output in a file; returns the output, or fails the test.
std::string Capture(const std::string& command, bool* ok) {
    testing_support::TempFolder folder;
    const std::string output = folder.File("output.txt");
    *ok = std::system((command + " >" + Quote(output)).c_str()) == 0;
    return testing_support::ReadFile(output);
}

}  // namespace

std::map<std::string, std::string> Probe(const std::string& path, const std::string& arguments) {
    const std::string ffprobe = Tool("KRVX_FFPROBE", "ffprobe");
    std::map<std::string, std::string> values;
    if (std::system((Quote(ffprobe) + " -version >/dev/null 2>&1").c_str()) != 0) {
        ADD_FAILURE() << "ffprobe was not found on PATH (install the ffmpeg package, or set KRVX_FFPROBE)";
        return values;
    }
    const std::string command = Quote(ffprobe) + " -v error -of flat " + arguments + " " + Quote(path);
    bool ok = false;
    std::istringstream lines(Capture(command, &ok));
    if (!ok) ADD_FAILURE() << command;
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        values[line.substr(0, equals)] = value;
    }
    return values;
}

std::vector<bool> VideoKeyFlags(const std::string& path) {
    const std::string ffprobe = Tool("KRVX_FFPROBE", "ffprobe");
    const std::string command =
        Quote(ffprobe) + " -v error -select_streams v -show_entries packet=flags -of csv=p=0 " + Quote(path);
    bool ok = false;
    std::istringstream lines(Capture(command, &ok));
    if (!ok) ADD_FAILURE() << command;
    std::vector<bool> flags;
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty()) flags.push_back(line[0] == 'K');
    }
    return flags;
}

bool RunFfmpeg(const std::string& arguments) {
    const std::string ffmpeg = Tool("KRVX_FFMPEG", "ffmpeg");
    return std::system((Quote(ffmpeg) + " -nostdin -v error -y " + arguments).c_str()) == 0;
}

}  // namespace testing_support
}  // namespace krvx
