// Files: buffered and unbuffered opens, positioned reads through an explicit seek, the volume's sector size.
// The flags-and-attributes values are the Win32 ones on every backend, so callers store one value.
#pragma once
#include <cstdint>

namespace krvx {
namespace platform {

struct NativeFile;

constexpr uint32_t kFileAttributeNormal = 0x00000080;
constexpr uint32_t kFileFlagNoBuffering = 0x20000000;
constexpr uint32_t kFileFlagWriteThrough = 0x80000000;

enum class FileDisposition {
    OpenExistingForRead,  // read access, others may read too
    CreateAlwaysForWrite, // write access, truncates an existing file
    OpenAlwaysForWrite,   // write access, keeps an existing file's bytes
};

enum class SeekOrigin { Begin = 0, Current = 1, End = 2 };

// Returns null when the file cannot be opened. With kFileFlagNoBuffering the POSIX backend reads
// with O_DIRECT where the file system accepts it and falls back to ordinary reads where it does not.
// The POSIX backend takes a backslash in the path as a folder separator, as Windows does.
NativeFile* FileOpen(const char* path, FileDisposition disposition, uint32_t flagsAndAttributes);
void FileClose(NativeFile* file);

// One read or write system call of at most `size` bytes at the current position; the transferred
// count is stored even when the call fails. False when the system call failed.
bool FileRead(NativeFile* file, void* buffer, uint32_t size, uint32_t* bytesRead);
bool FileWrite(NativeFile* file, const void* buffer, uint32_t size, uint32_t* bytesWritten);

// Moves the position; stores the new position when newPosition is not null. False on failure.
bool FileSeek(NativeFile* file, int64_t distance, SeekOrigin origin, uint64_t* newPosition);

// Bytes per sector of the volume holding `path` (a path without any "\\?\" prefix): the direct-I/O
// alignment where the system reports it. 0 when it cannot be found; callers then use 512.
uint32_t VolumeSectorSize(const char* path);

// Copies the file `from` to `to`, replacing `to`; the copy runs as a program where the original does.
bool FileCopy(const char* from, const char* to);

// Last-write time in 100-nanosecond units since 1601-01-01 (the Windows file-time scale).
bool FileLastWriteTime(const char* path, uint64_t* fileTime);

// Sets only the last-write time (the Windows file-time scale) of the file named by a UTF-16 path, opening it
// for attribute writing alone. False when the file cannot be opened or the time cannot be set.
bool FileSetLastWriteTime(const char16_t* path, uint64_t fileTime);

}  // namespace platform
}  // namespace krvx
