#include "platform/module.h"

#include <dlfcn.h>

#include <cstring>

namespace krvx {
namespace platform {

namespace {
thread_local char t_lastError[512];
void RememberError() {
    const char* error = dlerror();
    std::strncpy(t_lastError, error ? error : "unknown error", sizeof(t_lastError) - 1);
}
}  // namespace

NativeModule* ModuleLoad(const char* pathOrName) {
    void* handle = dlopen(pathOrName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) RememberError();
    return static_cast<NativeModule*>(handle);
}

void* ModuleSymbol(NativeModule* module, const char* name) {
    void* symbol = module ? dlsym(module, name) : nullptr;
    if (!symbol) RememberError();
    return symbol;
}

void ModuleFree(NativeModule* module) {
    if (module) dlclose(module);
}

const char* ModuleLastError() { return t_lastError; }

bool ModuleDirectoryOf(const void* address, char* buffer, size_t bufferSize) {
    Dl_info info;
    if (!dladdr(address, &info) || !info.dli_fname) return false;
    const char* slash = std::strrchr(info.dli_fname, '/');
    size_t length = slash ? static_cast<size_t>(slash - info.dli_fname + 1) : 0;
    if (length + 1 > bufferSize) return false;
    std::memcpy(buffer, info.dli_fname, length);
    buffer[length] = '\0';
    return true;
}

}  // namespace platform
}  // namespace krvx
