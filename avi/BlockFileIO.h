// Unbuffered access to one file: reads go straight from the disk into the caller's memory, so their
// offset, size and buffer must be whole sectors of the volume; writes must be whole sectors.
#pragma once
#include <cstdint>

#include "avi/FileIO.h"

namespace krvx {

constexpr uint32_t kDefaultSectorSize = 512;

// Bytes per sector of the volume holding `path` (a leading "\\?\" is skipped); 512 when the volume
// does not say. Returns 3 for a null path, 0 otherwise (and does nothing for a null out pointer).
uint32_t GetSectorSize(const char* path, uint32_t* sectorSize);

class BlockFileIO : public FileIO {
public:
    BlockFileIO();

    uint32_t Open(const char* path) override;
    uint32_t Create(const char* path, uint32_t truncate) override;
    uint32_t OpenUnsupported(const char* path, uint32_t flag) override;
    uint32_t ReadAt(void* buffer, uint64_t size, uint64_t* bytesRead, uint64_t offset) override;
    uint32_t Read(void* buffer, uint64_t size, uint64_t* bytesRead) override;
    uint32_t WriteAt(const void* buffer, uint64_t size, uint64_t offset) override;
    uint32_t Write(const void* buffer, uint64_t size) override;

    uint32_t SectorSize() const { return m_sectorSize; }

private:
    uint32_t ApplyEndOfFileRule(uint32_t status, uint64_t size, uint64_t bytesRead) const;
    uint32_t PrepareCreate(const char* path);

    uint32_t m_sectorSize;
};

}  // namespace krvx
