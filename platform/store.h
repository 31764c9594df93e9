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

// Walks `key` one level at a time, opening each with full access: every level but the last must exist,
// and the last is created when missing if `createLast` is set. False when a level is missing or cannot be
// opened so, which lets a caller without the right to change a key stop before using it.
bool StoreCheckKeyLevels(StoreHive hive, const char* key, bool createLast);

// Removes a key with its values and subkeys. True when the key is gone afterwards.
bool StoreDeleteKey(StoreHive hive, const char* key);

bool StoreReadDword(StoreHive hive, const char* key, const char* name, uint32_t* value);
bool StoreWriteDword(StoreHive hive, const char* key, const char* name, uint32_t value);

}  // namespace platform
}  // namespace krvx
