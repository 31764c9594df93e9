// One run of the harness: the simulated host, the loaded plug-in and the listener for its debug lines.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/debug_listener.h"
#include "tools/krvx-host/HostSim.h"
#include "tools/krvx-host/PluginModule.h"

namespace krvx {
namespace sim {

struct SessionOptions {
    std::string modulePath;   // empty: the module beside the program
    bool printDebug = false;  // echo the plug-in's debug lines as they come
    int32_t interfaceVersion = 8;
};

class Session {
public:
    explicit Session(const SessionOptions& options);

    // Loads the module; false with the reason in Error().
    bool Start();
    const std::string& Error() const { return m_module.Error(); }

    // Calls xImportEntry and, with printDebug, echoes the lines it wrote.
    int32_t Call(int32_t selector, intptr_t param1, intptr_t param2);
    int32_t Call(int32_t selector, const void* param1, const void* param2) {
        return Call(selector, reinterpret_cast<intptr_t>(param1), reinterpret_cast<intptr_t>(param2));
    }

    HostSim& Host() { return m_host; }
    // Debug lines written since the last call of this function.
    std::vector<std::string> TakeDebugLines();

private:
    void EchoDebugLines();

    SessionOptions m_options;
    platform::DebugListener m_listener;
    HostSim m_host;
    PluginModule m_module;
    std::vector<std::string> m_unread;
};

}  // namespace sim
}  // namespace krvx
