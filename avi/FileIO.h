// Buffered access to one file: positioned and sequential reads and writes with 64-bit positions.
#pragma once
#include <cstdint>

#include "platform/file.h"

namespace krvx {

// Status values of the file classes.
constexpr uint32_t kFileOk = 0;           // done
constexpr uint32_t kFileShort = 1;        // not every byte moved, or the transfer failed
constexpr uint32_t kFileNotSectors = 2;   // BlockFileIO write of a size or offset that is not whole sectors
constexpr uint32_t kFileUnavailable = 3;  // not open (for this direction), open or seek failed, unsupported

class FileIO {
public:
    FileIO();
    virtual ~FileIO();
    FileIO(const FileIO&) = delete;
    FileIO& operator=(const FileIO&) = delete;

    virtual uint32_t Open(const char* path);
    virtual uint32_t Create(const char* path, uint32_t truncate);
    // The open-with-flags operation of the file interface, which no file of this reader offers: it
    // answers 3. (A block file first sets its flags and sector size, as Create does.)
    virtual uint32_t OpenUnsupported(const char* path, uint32_t flag);
    virtual uint32_t Close();
    virtual uint32_t ReadAt(void* buffer, uint64_t size, uint64_t* bytesRead, uint64_t offset);
    virtual uint32_t Read(void* buffer, uint64_t size, uint64_t* bytesRead);
    virtual uint32_t WriteAt(const void* buffer, uint64_t size, uint64_t offset);
    virtual uint32_t Write(const void* buffer, uint64_t size);
    virtual uint64_t Tell();
    virtual uint32_t Seek(int64_t offset, uint32_t origin);

    bool IsOpen() const { return m_isOpen != 0; }

protected:
    uint32_t m_flagsAndAttributes;
    uint8_t m_isOpen;
    uint8_t m_canRead;
    uint8_t m_canWrite;
    platform::NativeFile* m_handle;
};

}  // namespace krvx
