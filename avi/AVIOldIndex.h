// One stream's part of the legacy "idx1" index, filled when the file is opened.
#pragma once
#include <cstdint>
#include <memory>

#include "avi/AVIIndexBase.h"

namespace krvx {

struct OldIndexEntry {
    uint64_t offset;  // the chunk's first data byte
    uint32_t size;
    uint32_t flags;  // 0x10: key frame
};

constexpr uint32_t kOldIndexKeyFrame = 0x10;

class AVIOldIndex : public AVIIndexBase {
public:
    dshow::HResult Allocate(uint32_t count);
    void Release();

    dshow::HResult GetEntry(uint32_t entry, uint64_t* offset, uint32_t* size) override;
    uint32_t IsKeyFrame(uint32_t entry) override;

    uint32_t Count() const { return m_count; }
    OldIndexEntry* Entries() { return m_entries.get(); }

private:
    uint32_t m_count = 0;
    std::unique_ptr<OldIndexEntry[]> m_entries;
};

}  // namespace krvx
