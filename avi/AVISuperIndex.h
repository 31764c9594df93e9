// The OpenDML two-level index of one stream: the "indx" entries taken from the stream list, and the
// standard index chunks they point at, read into memory on first use.
#pragma once
#include <cstdint>
#include <memory>

#include "avi/AVIIndexBase.h"
#include "avi/RiffChunk.h"

namespace krvx {

struct SuperIndexHeader {
    uint16_t longsPerEntry;
    uint8_t indexSubType;
    uint8_t indexType;
    uint32_t entriesInUse;
    uint32_t chunkId;
    uint32_t reserved[3];
};
static_assert(sizeof(SuperIndexHeader) == 24, "index header is 24 bytes");

struct SuperIndexEntry {
    uint64_t offset;  // the standard index chunk's header
    uint32_t size;
    uint32_t duration;
};
static_assert(sizeof(SuperIndexEntry) == 16, "super index entry is 16 bytes");

struct StdIndexRef {
    std::unique_ptr<uint8_t[]> data;  // the whole chunk data
    const uint8_t* lookup = nullptr;  // the same data, for lookups
    uint32_t first = 0;               // number of the first entry this chunk covers
    uint32_t count = 0;               // entries in use, clamped to what the chunk holds
};

constexpr uint32_t kIndexHeaderBytes = 24;
constexpr uint32_t kStdIndexEntryBytes = 8;
constexpr uint32_t kStdIndexNotKeyFrame = 0x80000000u;

class AVISuperIndex : public AVIIndexBase {
public:
    // Takes the "indx" chunk; its entry count is clamped to the entries the chunk holds.
    dshow::HResult Load(const RiffChunk& chunk);
    void Release();

    dshow::HResult GetEntry(uint32_t entry, uint64_t* offset, uint32_t* size) override;
    uint32_t IsKeyFrame(uint32_t entry) override;

    uint32_t EntriesInUse() const { return m_header.entriesInUse; }
    const SuperIndexEntry& Entry(uint32_t i) const { return m_entries[i]; }
    const SuperIndexHeader& Header() const { return m_header; }

    bool StandardIndexesAllocated() const { return m_standardIndexes != nullptr; }
    dshow::HResult AllocateStandardIndexes();
    // Record i takes the chunk's data; returns the entries in use it covers (clamped).
    uint32_t SetStandardIndex(uint32_t i, RiffChunk& chunk, uint32_t first);

private:
    const uint8_t* Find(uint32_t entry, uint64_t* baseOffset) const;

    uint32_t m_chunkId = 0;
    uint32_t m_chunkSize = 0;
    SuperIndexHeader m_header = {};
    std::unique_ptr<SuperIndexEntry[]> m_entries;
    std::unique_ptr<StdIndexRef[]> m_standardIndexes;
};

}  // namespace krvx
