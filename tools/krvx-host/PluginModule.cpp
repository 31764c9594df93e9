#include "tools/krvx-host/PluginModule.h"

#include <cstdlib>

#include "platform/module.h"

namespace krvx {
namespace sim {

namespace {
#if defined(_WIN32)
const char kModuleFile[] = "KRVX_AVI_ImporterCS5_32.prm";
#else
const char kModuleFile[] = "KRVX_AVI_ImporterCS5_32.so";
#endif
int g_addressInThisProgram;
}  // namespace

PluginModule::~PluginModule() {
    if (m_module) platform::ModuleFree(m_module);
}

bool PluginModule::Load(const std::string& path) {
    m_module = platform::ModuleLoad(path.c_str());
    if (!m_module) {
        m_error = "cannot load " + path + ": " + platform::ModuleLastError();
        return false;
    }
    m_entry = reinterpret_cast<ImportEntryFn>(platform::ModuleSymbol(m_module, "xImportEntry"));
    if (!m_entry) {
        m_error = path + " has no export xImportEntry";
        platform::ModuleFree(m_module);
        m_module = nullptr;
        return false;
    }
    return true;
}

std::string PluginModule::DefaultPath() {
    char here[4096];
    if (platform::ModuleDirectoryOf(&g_addressInThisProgram, here, sizeof(here)))
        return std::string(here) + kModuleFile;
    const char* folder = std::getenv("KRVX_TEST_BIN");
    if (folder && *folder) return std::string(folder) + "/" + kModuleFile;
    return kModuleFile;
}

}  // namespace sim
}  // namespace krvx
