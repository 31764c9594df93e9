// Reads the debug lines that code in this process writes, as a debug viewer does: on POSIX through the
// KRVX_DEBUG_LOG file, on Windows through the system's debug-output buffer. The host harness starts a
// listener before it loads the plug-in, whose module exports nothing else to reach its lines by.
#pragma once
#include <string>
#include <vector>

namespace krvx {
namespace platform {

class DebugListener {
public:
    DebugListener();
    ~DebugListener();
    DebugListener(const DebugListener&) = delete;
    DebugListener& operator=(const DebugListener&) = delete;

    // False when the channel cannot be set up (another listener on Windows, no temporary file).
    bool Start();
    // Every text written since the last call, one entry per write, in order.
    std::vector<std::string> TakeLines();

private:
    struct Native;
    Native* m_native;
};

}  // namespace platform
}  // namespace krvx
