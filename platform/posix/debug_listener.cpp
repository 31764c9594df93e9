#include "platform/debug_listener.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace krvx {
namespace platform {

struct DebugListener::Native {
    std::string path;
    FILE* file = nullptr;
    std::string pending;
};

DebugListener::DebugListener() : m_native(new Native) {}

DebugListener::~DebugListener() {
    if (m_native->file) std::fclose(m_native->file);
    if (!m_native->path.empty()) unlink(m_native->path.c_str());
    delete m_native;
}

bool DebugListener::Start() {
    if (m_native->file) return true;
    // Where the caller already names a log, read that one; otherwise make one for this process.
    const char* named = getenv("KRVX_DEBUG_LOG");
    if (named && *named && std::string(named) != "-") {
        m_native->file = std::fopen(named, "a+");
        if (m_native->file) std::fseek(m_native->file, 0, SEEK_END);
        return m_native->file != nullptr;
    }
    const char* folder = getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/krvx-debug-XXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd < 0) return false;
    close(fd);
    m_native->path = pattern;
    m_native->file = std::fopen(pattern.c_str(), "r");
    if (!m_native->file) return false;
    setenv("KRVX_DEBUG_LOG", pattern.c_str(), 1);
    return true;
}

std::vector<std::string> DebugListener::TakeLines() {
    std::vector<std::string> lines;
    if (!m_native->file) return lines;
    char chunk[4096];
    std::clearerr(m_native->file);
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), m_native->file)) > 0) m_native->pending.append(chunk, got);
    // Each write is one record ending in a line feed; a record that was written without one had it added.
    size_t start = 0;
    for (size_t end; (end = m_native->pending.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(m_native->pending.substr(start, end - start));
    m_native->pending.erase(0, start);
    return lines;
}

}  // namespace platform
}  // namespace krvx
