#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "platform/posix/host_path.h"
#include "platform/text.h"

namespace krvx {
namespace platform {

struct NativeFile {
    int fd;
};

namespace {

int OpenDescriptor(const char* path, int flags, bool direct) {
#ifdef O_DIRECT
    if (direct) {
        int fd = ::open(path, flags | O_DIRECT | O_CLOEXEC, 0644);
        // File systems without direct I/O (tmpfs) refuse the flag: read through the cache there.
        if (fd >= 0 || errno != EINVAL) return fd;
    }
#else
    (void)direct;
#endif
    return ::open(path, flags | O_CLOEXEC, 0644);
}

}  // namespace

NativeFile* FileOpen(const char* path, FileDisposition disposition, uint32_t flagsAndAttributes) {
    if (!path) return nullptr;
    // "\\?\" marks a Windows path to be taken as it stands; here the rest is that path.
    if (std::strncmp(path, "\\\\?\\", 4) == 0) path += 4;
    char native[4096];
    if (!HostPathToNative(path, native, sizeof(native))) return nullptr;
    path = native;
    int flags = O_RDONLY;
    switch (disposition) {
        case FileDisposition::OpenExistingForRead:
            flags = O_RDONLY;
            break;
        case FileDisposition::CreateAlwaysForWrite:
            flags = O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case FileDisposition::OpenAlwaysForWrite:
            flags = O_WRONLY | O_CREAT;
            break;
    }
    int fd = OpenDescriptor(path, flags, (flagsAndAttributes & kFileFlagNoBuffering) != 0);
    if (fd < 0) return nullptr;
    struct stat info;
    // Directories open read-only on POSIX but are not files; refuse them as Windows does.
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    NativeFile* file = new (std::nothrow) NativeFile{fd};
    if (!file) ::close(fd);
    return file;
}

void FileClose(NativeFile* file) {
    if (!file) return;
    ::close(file->fd);
    delete file;
}

bool FileRead(NativeFile* file, void* buffer, uint32_t size, uint32_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!file) return false;
    ssize_t count;
    do {
        count = ::read(file->fd, buffer, size);
    } while (count < 0 && errno == EINTR);
    if (count < 0) return false;
    if (bytesRead) *bytesRead = static_cast<uint32_t>(count);
    return true;
}

bool FileWrite(NativeFile* file, const void* buffer, uint32_t size, uint32_t* bytesWritten) {
    if (bytesWritten) *bytesWritten = 0;
    if (!file) return false;
    ssize_t count;
    do {
        count = ::write(file->fd, buffer, size);
    } while (count < 0 && errno == EINTR);
    if (count < 0) return false;
    if (bytesWritten) *bytesWritten = static_cast<uint32_t>(count);
    return true;
}

bool FileSeek(NativeFile* file, int64_t distance, SeekOrigin origin, uint64_t* newPosition) {
    if (!file) return false;
    int whence = SEEK_SET;
    switch (origin) {
        case SeekOrigin::Begin:
            whence = SEEK_SET;
            break;
        case SeekOrigin::Current:
            whence = SEEK_CUR;
            break;
        case SeekOrigin::End:
            whence = SEEK_END;
            break;
    }
    off_t position = ::lseek(file->fd, static_cast<off_t>(distance), whence);
    if (position < 0) return false;
    if (newPosition) *newPosition = static_cast<uint64_t>(position);
    return true;
}

uint32_t VolumeSectorSize(const char* path) {
    if (!path || !*path) return 0;
#if defined(STATX_DIOALIGN)
    struct statx info;
    if (statx(AT_FDCWD, path, 0, STATX_DIOALIGN, &info) == 0 && (info.stx_mask & STATX_DIOALIGN) &&
        info.stx_dio_offset_align != 0) {
        return info.stx_dio_offset_align;
    }
#endif
    return 0;
}

bool FileCopy(const char* from, const char* to) {
    if (!from || !to) return false;
    int source = ::open(from, O_RDONLY | O_CLOEXEC);
    if (source < 0) return false;
    struct stat info;
    bool copied = fstat(source, &info) == 0 && S_ISREG(info.st_mode);
    // The copy keeps the permission bits, so a program stays a program.
    int target = copied ? ::open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, info.st_mode & 07777) : -1;
    copied = target >= 0;
    char buffer[65536];
    while (copied) {
        ssize_t got = ::read(source, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            copied = got == 0;
            break;
        }
        for (ssize_t done = 0; copied && done < got;) {
            ssize_t put = ::write(target, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            copied = put > 0;
            done += put > 0 ? put : 0;
        }
    }
    if (target >= 0) {
        // open() applies the umask; the copy's bits are the original's.
        copied = fchmod(target, info.st_mode & 07777) == 0 && copied;
        copied = ::close(target) == 0 && copied;
    }
    ::close(source);
    return copied;
}

bool FileLastWriteTime(const char* path, uint64_t* fileTime) {
    if (!path || !fileTime) return false;
    struct stat info;
    if (::stat(path, &info) != 0) return false;
    // Seconds between 1601-01-01 and 1970-01-01.
    constexpr int64_t kEpochDelta = 11644473600LL;
    int64_t seconds = static_cast<int64_t>(info.st_mtim.tv_sec) + kEpochDelta;
    if (seconds < 0) return false;
    *fileTime =
        static_cast<uint64_t>(seconds) * 10000000u + static_cast<uint64_t>(info.st_mtim.tv_nsec) / 100u;
    return true;
}

bool FileSetLastWriteTime(const char16_t* path, uint64_t fileTime) {
    char narrow[4096];
    if (!path || !WideToMultibyte(path, narrow, sizeof(narrow))) return false;
    constexpr uint64_t kEpochDelta = 11644473600ULL;
    uint64_t seconds = fileTime / 10000000u;
    if (seconds < kEpochDelta) return false;
    // The access time stays as it is; only the modification time changes.
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds - kEpochDelta);
    times[1].tv_nsec = static_cast<long>(fileTime % 10000000u) * 100;
    return utimensat(AT_FDCWD, narrow, times, 0) == 0;
}

}  // namespace platform
}  // namespace krvx
