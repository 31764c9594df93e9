#include "tools/krvx-host/Session.h"

#include <cstdio>

namespace krvx {
namespace sim {

Session::Session(const SessionOptions& options) : m_options(options), m_host(options.interfaceVersion) {}

bool Session::Start() {
    // The listener must exist before the module writes its first line.
    m_listener.Start();
    std::string path = m_options.modulePath.empty() ? PluginModule::DefaultPath() : m_options.modulePath;
    return m_module.Load(path);
}

int32_t Session::Call(int32_t selector, intptr_t param1, intptr_t param2) {
    int32_t result = m_module.Call(selector, m_host.StdParms(), param1, param2);
    EchoDebugLines();
    return result;
}

void Session::EchoDebugLines() {
    for (std::string& line : m_listener.TakeLines()) {
        if (m_options.printDebug) std::fprintf(stderr, "[debug] %s\n", line.c_str());
        m_unread.push_back(std::move(line));
    }
}

std::vector<std::string> Session::TakeDebugLines() {
    EchoDebugLines();
    std::vector<std::string> lines;
    lines.swap(m_unread);
    return lines;
}

}  // namespace sim
}  // namespace krvx
