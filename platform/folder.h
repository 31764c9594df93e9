// Temporary folders: made fresh under the system's temporary folder, removed with everything in them.
#pragma once
#include <cstddef>

namespace krvx {
namespace platform {

// Makes a new, empty folder whose name starts with `prefix` under the system's temporary folder, and stores
// its path with a trailing separator. False when it cannot be made or its path does not fit.
bool MakeTemporaryFolder(const char* prefix, char* buffer, size_t bufferSize);

// Removes the folder (with or without a trailing separator) and everything in it. False when anything is
// left.
bool RemoveFolderTree(const char* path);

// A temporary folder for the life of the object.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const char* prefix)
        : m_made(MakeTemporaryFolder(prefix, m_path, sizeof(m_path))) {}
    ~TemporaryFolder() {
        if (m_made) RemoveFolderTree(m_path);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    bool Made() const { return m_made; }
    // The folder's path with a trailing separator: a file name appended names a file in it.
    const char* Path() const { return m_path; }

private:
    char m_path[1024] = {};
    bool m_made;
};

}  // namespace platform
}  // namespace krvx
