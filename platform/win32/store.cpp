#include "platform/store.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace krvx {
namespace platform {

namespace {
HKEY Root(StoreHive hive) { return hive == StoreHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

bool Query(StoreHive hive, const char* key, const char* name, DWORD expectedType, void* data, DWORD size) {
    HKEY handle;
    if (!key || RegOpenKeyExA(Root(hive), key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(handle, name, nullptr, &type, static_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS && type == expectedType;
}

bool Set(StoreHive hive, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle;
    if (!key || RegCreateKeyExA(Root(hive), key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}
}  // namespace

bool StoreCheckKeyLevels(StoreHive hive, const char* key, bool createLast) {
    if (!key || !*key) return false;
    HKEY parent = Root(hive);
    HKEY opened = nullptr;
    bool reached = true;
    const char* start = key;
    while (reached && *start) {
        const char* end = std::strchr(start, '\\');
        bool last = end == nullptr;
        std::string level = last ? std::string(start) : std::string(start, end);
        HKEY next = nullptr;
        LONG rc = RegOpenKeyExA(parent, level.c_str(), 0, KEY_ALL_ACCESS, &next);
        if (rc == ERROR_FILE_NOT_FOUND && last && createLast)
            rc = RegCreateKeyExA(parent, level.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next,
                                 nullptr);
        reached = rc == ERROR_SUCCESS;
        if (opened) RegCloseKey(opened);
        opened = reached ? next : nullptr;
        parent = opened;
        start = last ? start + level.size() : end + 1;
    }
    if (opened) RegCloseKey(opened);
    return reached;
}

bool StoreDeleteKey(StoreHive hive, const char* key) {
    if (!key || !*key) return false;
    LONG rc = RegDeleteTreeA(Root(hive), key);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        HKEY handle;
        rc = RegOpenKeyExA(Root(hive), key, 0, KEY_READ, &handle);
        if (rc == ERROR_SUCCESS) {
            // RegDeleteTree leaves the key itself; remove it as well.
            RegCloseKey(handle);
            rc = RegDeleteKeyA(Root(hive), key);
            return rc == ERROR_SUCCESS;
        }
        return true;
    }
    return false;
}

bool StoreReadString(StoreHive hive, const char* key, const char* name, char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize < 1 || bufferSize > 0x7FFFFFFF) return false;
    // The stored text may lack its terminator; keep one byte back for it.
    std::memset(buffer, 0, bufferSize);
    return Query(hive, key, name, REG_SZ, buffer, static_cast<DWORD>(bufferSize - 1));
}

bool StoreWriteString(StoreHive hive, const char* key, const char* name, const char* value) {
    return value && Set(hive, key, name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

bool StoreReadDword(StoreHive hive, const char* key, const char* name, uint32_t* value) {
    DWORD data = 0;
    if (!value || !Query(hive, key, name, REG_DWORD, &data, sizeof(data))) return false;
    *value = data;
    return true;
}

bool StoreWriteDword(StoreHive hive, const char* key, const char* name, uint32_t value) {
    DWORD data = value;
    return Set(hive, key, name, REG_DWORD, &data, sizeof(data));
}

}  // namespace platform
}  // namespace krvx
