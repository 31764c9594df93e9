// A per-user and a machine-wide key-value store: the registry on Windows; on POSIX a folder tree under
// $KRVX_REGISTRY_DIR (default ~/.local/share/krvx/registry), one folder per key and one file per value.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {
namespace platform {

enum class StoreHive { CurrentUser, LocalMachine };

// Reads a string value into `buffer` (zero-terminated). False when the key or value is missing, is not a
// string, or does not fit.
bool StoreReadString(StoreHive hive, const char* key, const char* name, char* buffer, size_t bufferSize);
bool StoreWriteString(StoreHive hive, const char* key, const char* name, const char* value);

bool StoreReadDword(StoreHive hive, const char* key, const char* name, uint32_t* value);
bool StoreWriteDword(StoreHive hive, const char* key, const char* name, uint32_t value);

}  // namespace platform
}  // namespace krvx
