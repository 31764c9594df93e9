// The plug-in module as the host sees it: a file loaded by path with one export, xImportEntry.
#pragma once
#include <cstdint>
#include <string>

#include "host/HostTables.h"

namespace krvx {
namespace platform {
struct NativeModule;
}
namespace sim {

using ImportEntryFn = int32_t (*)(int32_t selector, imStdParms* stdParms, intptr_t param1, intptr_t param2);

class PluginModule {
public:
    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // False with Error() set when the file cannot be loaded or has no xImportEntry.
    bool Load(const std::string& path);
    const std::string& Error() const { return m_error; }

    int32_t Call(int32_t selector, imStdParms* stdParms, intptr_t param1, intptr_t param2) const {
        return m_entry(selector, stdParms, param1, param2);
    }

    // The module built beside the running program (the harness or a test).
    static std::string DefaultPath();

private:
    platform::NativeModule* m_module = nullptr;
    ImportEntryFn m_entry = nullptr;
    std::string m_error;
};

}  // namespace sim
}  // namespace krvx
