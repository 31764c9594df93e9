#include "trim/OutputPath.h"

#include <cctype>

namespace krvx {

namespace {

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// The extension of the last path component, dot included; empty when it has none.
std::string ExtensionOf(const std::string& path) {
    size_t nameStart = path.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return std::string();
    return path.substr(dot);
}

}  // namespace

std::string OutputPathFor(const std::string& destination, int32_t* container) {
    const std::string extension = ExtensionOf(destination);
    int32_t chosen = kContainerAVI;
    std::string path = destination;
    if (SameIgnoringCase(extension, ".mov")) {
        chosen = kContainerQuickTime;
    } else if (!SameIgnoringCase(extension, ".avi")) {
        path += ".avi";
    }
    if (container) *container = chosen;
    return path;
}

}  // namespace krvx
