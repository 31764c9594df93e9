#include "platform/folder.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace krvx {
namespace platform {

bool MakeTemporaryFolder(const char* prefix, char* buffer, size_t bufferSize) {
    if (!prefix || !buffer || bufferSize == 0) return false;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (!mkdtemp(&pattern[0])) return false;
    pattern += '/';
    if (pattern.size() + 1 > bufferSize) {
        rmdir(pattern.c_str());
        return false;
    }
    std::memcpy(buffer, pattern.c_str(), pattern.size() + 1);
    return true;
}

bool RemoveFolderTree(const char* path) {
    if (!path || !*path) return false;
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    DIR* listing = opendir(folder.c_str());
    if (!listing) return false;
    bool removed = true;
    while (dirent* entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        std::string child = folder + "/" + entry->d_name;
        struct stat info;
        // lstat: a link to a folder is removed as a link, never followed out of the tree.
        if (lstat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            removed = RemoveFolderTree(child.c_str()) && removed;
        else
            removed = unlink(child.c_str()) == 0 && removed;
    }
    closedir(listing);
    return rmdir(folder.c_str()) == 0 && removed;
}

}  // namespace platform
}  // namespace krvx
