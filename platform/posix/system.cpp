#include "platform/system.h"

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace krvx {
namespace platform {

uint32_t ProcessorCount() {
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count < 1 ? 1u : static_cast<uint32_t>(count);
}

uint32_t ClockMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u + now.tv_nsec / 1000000);
}

bool HostExecutableName(char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize == 0) return false;
    const char* stand = std::getenv("KRVX_HOST_NAME");
    char path[4096];
    const char* name = stand;
    if (!name) {
        ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
        if (length <= 0) return false;
        path[length] = '\0';
        const char* slash = std::strrchr(path, '/');
        name = slash ? slash + 1 : path;
    }
    size_t length = std::strlen(name);
    if (length + 1 > bufferSize) return false;
    std::memcpy(buffer, name, length + 1);
    return true;
}

bool SystemTimeAsFileTime(uint64_t* fileTime) {
    timespec now;
    if (!fileTime || clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    // Seconds between 1601-01-01 and 1970-01-01.
    constexpr uint64_t kEpochDelta = 11644473600ULL;
    *fileTime = (static_cast<uint64_t>(now.tv_sec) + kEpochDelta) * 10000000u +
                static_cast<uint64_t>(now.tv_nsec) / 100u;
    return true;
}

bool PresentHostExecutableName(const char* name) {
    return name && *name && setenv("KRVX_HOST_NAME", name, 1) == 0;
}

bool ExecutablePath(char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize == 0) return false;
    ssize_t length = readlink("/proc/self/exe", buffer, bufferSize - 1);
    if (length <= 0 || static_cast<size_t>(length) >= bufferSize - 1) return false;
    buffer[length] = '\0';
    return true;
}

bool UnbufferedReadsNeedAlignedMemory() { return true; }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool SetEnvironmentValue(const char* name, const char* value) { return setenv(name, value, 1) == 0; }

}  // namespace platform
}  // namespace krvx
