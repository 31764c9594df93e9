#include "platform/module.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace krvx {
namespace platform {

namespace {
thread_local char t_lastError[512];
void RememberError(const char* what) {
    std::snprintf(t_lastError, sizeof(t_lastError), "%s failed, error %lu", what,
                  static_cast<unsigned long>(GetLastError()));
}
}  // namespace

NativeModule* ModuleLoad(const char* pathOrName) {
    HMODULE module = LoadLibraryA(pathOrName);
    if (!module) RememberError("LoadLibraryA");
    return reinterpret_cast<NativeModule*>(module);
}

void* ModuleSymbol(NativeModule* module, const char* name) {
    FARPROC symbol = module ? GetProcAddress(reinterpret_cast<HMODULE>(module), name) : nullptr;
    if (!symbol) RememberError("GetProcAddress");
    return reinterpret_cast<void*>(symbol);
}

void ModuleFree(NativeModule* module) {
    if (module) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

const char* ModuleLastError() { return t_lastError; }

bool ModuleDirectoryOf(const void* address, char* buffer, size_t bufferSize) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return false;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const char* slash = std::strrchr(path, '\\');
    size_t keep = slash ? static_cast<size_t>(slash - path + 1) : 0;
    if (keep + 1 > bufferSize) return false;
    std::memcpy(buffer, path, keep);
    buffer[keep] = '\0';
    return true;
}

}  // namespace platform
}  // namespace krvx
