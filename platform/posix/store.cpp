#include "platform/store.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <string>

namespace krvx {
namespace platform {

namespace {
// Value files hold a type line and the data: "sz\n<text>" or "dword\n<decimal>".
const char kStringType[] = "sz";
const char kDwordType[] = "dword";

std::string Root() {
    const char* root = getenv("KRVX_REGISTRY_DIR");
    if (root && *root) return root;
    const char* home = getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/krvx/registry";
}

// Key "Software\Vendor\Thing" becomes the folder <root>/<hive>/Software/Vendor/Thing.
std::string KeyFolder(StoreHive hive, const char* key) {
    std::string folder = Root() + (hive == StoreHive::CurrentUser ? "/HKCU" : "/HKLM");
    std::string part;
    for (const char* c = key; ; ++c) {
        if (*c == '\\' || *c == '/' || *c == '\0') {
            if (!part.empty() && part != "." && part != "..") folder += "/" + part;
            part.clear();
            if (*c == '\0') break;
        } else {
            part += *c;
        }
    }
    return folder;
}

bool MakeFolders(const std::string& folder) {
    for (size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool ValueName(const char* name, std::string* file) {
    if (!name || std::strchr(name, '/') || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    *file = *name ? name : "(default)";
    return true;
}

bool ReadValue(StoreHive hive, const char* key, const char* name, std::string* type, std::string* data) {
    std::string file;
    if (!key || !ValueName(name, &file)) return false;
    FILE* in = fopen((KeyFolder(hive, key) + "/" + file).c_str(), "rb");
    if (!in) return false;
    std::string content;
    char chunk[1024];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), in)) > 0) content.append(chunk, got);
    fclose(in);
    size_t newline = content.find('\n');
    if (newline == std::string::npos) return false;
    *type = content.substr(0, newline);
    *data = content.substr(newline + 1);
    return true;
}

// Writes a temporary file beside the value and renames it over, so readers never see half a value.
bool WriteValue(StoreHive hive, const char* key, const char* name, const char* type, const std::string& data) {
    std::string file;
    if (!key || !ValueName(name, &file)) return false;
    std::string folder = KeyFolder(hive, key);
    if (!MakeFolders(folder)) return false;
    std::string target = folder + "/" + file;
    std::string temporary = target + ".tmp." + std::to_string(getpid());
    FILE* out = fopen(temporary.c_str(), "wb");
    if (!out) return false;
    bool written = fprintf(out, "%s\n", type) > 0 && fwrite(data.data(), 1, data.size(), out) == data.size();
    written = (fclose(out) == 0) && written;
    if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
}  // namespace

bool StoreCheckKeyLevels(StoreHive hive, const char* key, bool createLast) {
    if (!key) return false;
    std::string root = KeyFolder(hive, "");
    std::string folder = KeyFolder(hive, key);
    if (folder.size() <= root.size()) return false;
    // Full access to a folder key: list, read and add values.
    for (size_t slash = folder.find('/', root.size() + 1);; slash = folder.find('/', slash + 1)) {
        bool last = slash == std::string::npos;
        std::string level = last ? folder : folder.substr(0, slash);
        struct stat info;
        if (stat(level.c_str(), &info) != 0) {
            if (!last || !createLast || !MakeFolders(level)) return false;
        } else if (!S_ISDIR(info.st_mode)) {
            return false;
        }
        if (access(level.c_str(), R_OK | W_OK | X_OK) != 0) return false;
        if (last) return true;
    }
}

bool StoreDeleteKey(StoreHive hive, const char* key) {
    if (!key) return false;
    std::string folder = KeyFolder(hive, key);
    if (folder.size() <= KeyFolder(hive, "").size()) return false;
    // Depth-first, children before their folder; symbolic links are removed, not followed.
    auto remove = [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); };
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0) return errno == ENOENT;
    return nftw(folder.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

bool StoreReadString(StoreHive hive, const char* key, const char* name, char* buffer, size_t bufferSize) {
    std::string type, data;
    if (!buffer || !ReadValue(hive, key, name, &type, &data) || type != kStringType) return false;
    if (data.size() + 1 > bufferSize) return false;
    std::memcpy(buffer, data.c_str(), data.size() + 1);
    return true;
}

bool StoreWriteString(StoreHive hive, const char* key, const char* name, const char* value) {
    return value && WriteValue(hive, key, name, kStringType, value);
}

bool StoreReadDword(StoreHive hive, const char* key, const char* name, uint32_t* value) {
    std::string type, data;
    if (!value || !ReadValue(hive, key, name, &type, &data) || type != kDwordType) return false;
    char* end = nullptr;
    unsigned long long parsed = strtoull(data.c_str(), &end, 10);
    if (end == data.c_str() || parsed > UINT32_MAX) return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool StoreWriteDword(StoreHive hive, const char* key, const char* name, uint32_t value) {
    return WriteValue(hive, key, name, kDwordType, std::to_string(value));
}

}  // namespace platform
}  // namespace krvx
