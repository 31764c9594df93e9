#include "avi/BlockFileIO.h"

#include <cstring>

namespace krvx {

uint32_t GetSectorSize(const char* path, uint32_t* sectorSize) {
    if (!path) return kFileUnavailable;
    if (!sectorSize) return kFileOk;
    if (std::strncmp(path, "\\\\?\\", 4) == 0) path += 4;
    uint32_t size = platform::VolumeSectorSize(path);
    *sectorSize = size ? size : kDefaultSectorSize;
    return kFileOk;
}

BlockFileIO::BlockFileIO() : m_sectorSize(kDefaultSectorSize) {}

uint32_t BlockFileIO::Open(const char* path) {
    m_flagsAndAttributes = platform::kFileFlagNoBuffering;
    uint32_t status = GetSectorSize(path, &m_sectorSize);
    if (status != kFileOk) return status;
    return FileIO::Open(path);
}

uint32_t BlockFileIO::PrepareCreate(const char* path) {
    m_flagsAndAttributes = platform::kFileFlagWriteThrough | platform::kFileFlagNoBuffering;
    return GetSectorSize(path, &m_sectorSize);
}

uint32_t BlockFileIO::Create(const char* path, uint32_t truncate) {
    uint32_t status = PrepareCreate(path);
    if (status != kFileOk) return status;
    return FileIO::Create(path, truncate);
}

uint32_t BlockFileIO::OpenUnsupported(const char* path, uint32_t) {
    PrepareCreate(path);
    return kFileUnavailable;
}

// The read that covers the last, partly filled sector of a file returns fewer bytes than its whole
// sectors: that is success as long as something came and the shortfall is less than one sector.
uint32_t BlockFileIO::ApplyEndOfFileRule(uint32_t status, uint64_t size, uint64_t bytesRead) const {
    if (status != kFileShort) return status;
    return (bytesRead != 0 && size < bytesRead + m_sectorSize) ? kFileOk : kFileShort;
}

uint32_t BlockFileIO::Read(void* buffer, uint64_t size, uint64_t* bytesRead) {
    uint64_t count = 0;
    uint32_t status = FileIO::Read(buffer, size, &count);
    if (bytesRead) *bytesRead = count;
    return ApplyEndOfFileRule(status, size, count);
}

uint32_t BlockFileIO::ReadAt(void* buffer, uint64_t size, uint64_t* bytesRead, uint64_t offset) {
    uint64_t count = 0;
    uint32_t status = FileIO::ReadAt(buffer, size, &count, offset);
    if (bytesRead) *bytesRead = count;
    return ApplyEndOfFileRule(status, size, count);
}

uint32_t BlockFileIO::Write(const void* buffer, uint64_t size) {
    if (size % m_sectorSize != 0) return kFileNotSectors;
    return FileIO::Write(buffer, size);
}

uint32_t BlockFileIO::WriteAt(const void* buffer, uint64_t size, uint64_t offset) {
    if (size % m_sectorSize != 0 || offset % m_sectorSize != 0) return kFileNotSectors;
    return FileIO::WriteAt(buffer, size, offset);
}

}  // namespace krvx
