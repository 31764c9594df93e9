#include "platform/posix/host_path.h"

#include <cstring>

namespace krvx {
namespace platform {

bool HostPathToNative(const char* path, char* buffer, size_t bufferSize) {
    const size_t length = std::strlen(path);
    if (length >= bufferSize) return false;
    for (size_t i = 0; i <= length; ++i) buffer[i] = path[i] == '\\' ? '/' : path[i];
    return true;
}

}  // namespace platform
}  // namespace krvx
