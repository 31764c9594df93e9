#include <cstdarg>
#include <cstdio>

#include "platform/debug.h"

namespace krvx {
namespace platform {

void DebugPrintf(const char* format, ...) {
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof(line), format, arguments);
    va_end(arguments);
    DebugOutput(line);
}

}  // namespace platform
}  // namespace krvx
