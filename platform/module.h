// Shared libraries loaded at run time: the decoder library from the plug-in, the plug-in from the harness.
#pragma once
#include <cstddef>

namespace krvx {
namespace platform {

struct NativeModule;

// Loads by path or by file name (searched the system's way). Null on failure; ModuleLastError says why.
NativeModule* ModuleLoad(const char* pathOrName);
void* ModuleSymbol(NativeModule* module, const char* name);
void ModuleFree(NativeModule* module);
const char* ModuleLastError();

// The folder (with a trailing separator) of the module that contains `address`. False when unknown.
bool ModuleDirectoryOf(const void* address, char* buffer, size_t bufferSize);

}  // namespace platform
}  // namespace krvx
