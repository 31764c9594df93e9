#include "tools/krvx-host/CommandArguments.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "tools/krvx-host/FrameRequests.h"

namespace krvx {
namespace sim {

namespace {
bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}
}  // namespace

bool CommandArguments::Parse(const char* command, const std::vector<std::string>& arguments,
                             const std::vector<std::string>& valued, const std::vector<std::string>& flags) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (Contains(valued, argument)) {
            if (i + 1 >= arguments.size()) {
                std::fprintf(stderr, "krvx-host %s: missing value after %s\n", command, argument.c_str());
                return false;
            }
            m_values[argument] = arguments[++i];
        } else if (Contains(flags, argument)) {
            m_values[argument] = "";
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "krvx-host %s: unknown option %s\n", command, argument.c_str());
            return false;
        } else if (m_clip.empty()) {
            m_clip = argument;
        } else {
            std::fprintf(stderr, "krvx-host %s: one clip at a time\n", command);
            return false;
        }
    }
    if (m_clip.empty()) {
        std::fprintf(stderr, "krvx-host %s: which clip?\n", command);
        return false;
    }
    return true;
}

std::string CommandArguments::Value(const std::string& option) const {
    auto found = m_values.find(option);
    return found == m_values.end() ? std::string() : found->second;
}

bool CommandArguments::Number(const char* command, const std::string& option, int64_t fallback,
                              int64_t minimum, int64_t maximum, int64_t* value) const {
    auto found = m_values.find(option);
    if (found == m_values.end()) {
        *value = fallback;
        return true;
    }
    const char* text = found->second.c_str();
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || number < minimum || number > maximum) {
        std::fprintf(stderr, "krvx-host %s: %s wants a whole number from %lld to %lld, not \"%s\"\n", command,
                     option.c_str(), static_cast<long long>(minimum), static_cast<long long>(maximum), text);
        return false;
    }
    *value = number;
    return true;
}

bool FrameFormatAndSize(const char* command, const CommandArguments& arguments, uint32_t* pixelFormat,
                        int32_t* width, int32_t* height) {
    *pixelFormat = 0;
    *width = *height = 0;
    if (arguments.Has("--format")) {
        *pixelFormat = PixelFormatFromText(arguments.Value("--format"));
        if (*pixelFormat == 0) {
            std::fprintf(stderr, "krvx-host %s: --format takes four characters, such as bgra\n", command);
            return false;
        }
    }
    if (arguments.Has("--size") && !ParseFrameSize(arguments.Value("--size"), width, height)) {
        std::fprintf(stderr, "krvx-host %s: --size wants WxH with sides from 1 to 32768\n", command);
        return false;
    }
    return true;
}

}  // namespace sim
}  // namespace krvx
