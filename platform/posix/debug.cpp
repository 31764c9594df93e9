#include "platform/debug.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/common/DebugCapture.h"

namespace krvx {
namespace platform {

namespace {
std::mutex g_logLock;

// The log named by KRVX_DEBUG_LOG, opened on first use; null when unset or unopenable.
FILE* Log() {
    static FILE* log = [] {
        const char* name = std::getenv("KRVX_DEBUG_LOG");
        if (!name || !*name) return static_cast<FILE*>(nullptr);
        if (std::strcmp(name, "-") == 0) return stderr;
        return std::fopen(name, "a");
    }();
    return log;
}
}  // namespace

void DebugOutput(const char* text) {
    if (!text) return;
    detail::ForwardToCapture(text);
    std::lock_guard<std::mutex> lock(g_logLock);
    FILE* log = Log();
    if (!log) return;
    size_t length = std::strlen(text);
    std::fwrite(text, 1, length, log);
    if (length == 0 || text[length - 1] != '\n') std::fputc('\n', log);
    std::fflush(log);
}

}  // namespace platform
}  // namespace krvx
