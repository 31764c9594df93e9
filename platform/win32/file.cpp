#include "platform/file.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace krvx {
namespace platform {

struct NativeFile {
    HANDLE handle;
};

NativeFile* FileOpen(const char* path, FileDisposition disposition, uint32_t flagsAndAttributes) {
    if (!path) return nullptr;
    DWORD access = FILE_READ_DATA;
    DWORD share = FILE_SHARE_READ;
    DWORD creation = OPEN_EXISTING;
    switch (disposition) {
        case FileDisposition::OpenExistingForRead:
            break;
        case FileDisposition::CreateAlwaysForWrite:
            access = FILE_WRITE_DATA;
            share = 0;
            creation = CREATE_ALWAYS;
            break;
        case FileDisposition::OpenAlwaysForWrite:
            access = FILE_WRITE_DATA;
            share = 0;
            creation = OPEN_ALWAYS;
            break;
    }
    HANDLE handle = CreateFileA(path, access, share, nullptr, creation, flagsAndAttributes, nullptr);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
    NativeFile* file = new (std::nothrow) NativeFile{handle};
    if (!file) CloseHandle(handle);
    return file;
}

void FileClose(NativeFile* file) {
    if (!file) return;
    CloseHandle(file->handle);
    delete file;
}

bool FileRead(NativeFile* file, void* buffer, uint32_t size, uint32_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!file) return false;
    DWORD count = 0;
    BOOL done = ReadFile(file->handle, buffer, size, &count, nullptr);
    if (bytesRead) *bytesRead = count;
    if (!done) GetLastError();
    return done != FALSE;
}

bool FileWrite(NativeFile* file, const void* buffer, uint32_t size, uint32_t* bytesWritten) {
    if (bytesWritten) *bytesWritten = 0;
    if (!file) return false;
    DWORD count = 0;
    BOOL done = WriteFile(file->handle, buffer, size, &count, nullptr);
    if (bytesWritten) *bytesWritten = count;
    if (!done) GetLastError();
    return done != FALSE;
}

bool FileSeek(NativeFile* file, int64_t distance, SeekOrigin origin, uint64_t* newPosition) {
    if (!file) return false;
    DWORD method = FILE_BEGIN;
    switch (origin) {
        case SeekOrigin::Begin:
            method = FILE_BEGIN;
            break;
        case SeekOrigin::Current:
            method = FILE_CURRENT;
            break;
        case SeekOrigin::End:
            method = FILE_END;
            break;
    }
    LARGE_INTEGER move;
    LARGE_INTEGER moved;
    move.QuadPart = distance;
    moved.QuadPart = 0;
    if (!SetFilePointerEx(file->handle, move, &moved, method)) return false;
    if (newPosition) *newPosition = static_cast<uint64_t>(moved.QuadPart);
    return true;
}

uint32_t VolumeSectorSize(const char* path) {
    if (!path) return 0;
    char drive[_MAX_DRIVE] = {0};
    _splitpath(path, drive, nullptr, nullptr, nullptr);
    // A path without a drive (a network share) has no volume to ask.
    if (drive[0] == '\0') return 0;
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceA(drive, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return 0;
    return bytesPerSector;
}

bool FileCopy(const char* from, const char* to) { return from && to && CopyFileA(from, to, FALSE) != 0; }

bool FileLastWriteTime(const char* path, uint64_t* fileTime) {
    if (!path || !fileTime) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    *fileTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool FileSetLastWriteTime(const char16_t* path, uint64_t fileTime) {
    if (!path) return false;
    // Attribute writing alone: the time changes, the contents cannot.
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(fileTime);
    time.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    bool set = SetFileTime(file, nullptr, nullptr, &time) != 0;
    CloseHandle(file);
    return set;
}

}  // namespace platform
}  // namespace krvx
