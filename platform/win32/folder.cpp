#include "platform/folder.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace krvx {
namespace platform {

namespace {
// A directory search handle, closed on every path.
class FindHandle {
public:
    FindHandle(const std::string& pattern, WIN32_FIND_DATAA* found)
        : m_handle(FindFirstFileA(pattern.c_str(), found)) {}
    ~FindHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) FindClose(m_handle);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA* found) { return FindNextFileA(m_handle, found) != 0; }

private:
    HANDLE m_handle;
};
}  // namespace

bool MakeTemporaryFolder(const char* prefix, char* buffer, size_t bufferSize) {
    if (!prefix || !buffer || bufferSize == 0) return false;
    char base[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof(base), base);
    if (length == 0 || length > MAX_PATH) return false;
    // A name nobody holds yet: the process and a counter make it unique here; the tick count apart from
    // the leftovers of earlier processes with the same identifier.
    static volatile LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof(name), "%lu-%lu-%ld", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()),
                      static_cast<long>(InterlockedIncrement(&counter)));
        std::string folder = std::string(base) + prefix + name;
        if (!CreateDirectoryA(folder.c_str(), nullptr)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        folder += '\\';
        if (folder.size() + 1 > bufferSize) {
            RemoveDirectoryA(folder.c_str());
            return false;
        }
        std::memcpy(buffer, folder.c_str(), folder.size() + 1);
        return true;
    }
    return false;
}

bool RemoveFolderTree(const char* path) {
    if (!path || !*path) return false;
    std::string folder = path;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    bool removed = true;
    {
        WIN32_FIND_DATAA found;
        FindHandle search(folder + "\\*", &found);
        for (bool more = search.Valid(); more; more = search.Next(&found)) {
            if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
            std::string child = folder + "\\" + found.cFileName;
            // A junction or link to a folder is removed as itself, never followed out of the tree.
            bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
            if (isFolder) {
                removed = RemoveFolderTree(child.c_str()) && removed;
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removed = RemoveDirectoryA(child.c_str()) && removed;
            } else {
                // A read-only file refuses deletion until the attribute is cleared.
                if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                    SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                removed = DeleteFileA(child.c_str()) && removed;
            }
        }
    }
    return RemoveDirectoryA(folder.c_str()) && removed;
}

}  // namespace platform
}  // namespace krvx
