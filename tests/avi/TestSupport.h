// Small helpers shared by the reader's tests.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ClipWriter.h"
#include "avi/AVIReader.h"

namespace krvx {
namespace test {

// Memory aligned for unbuffered reads.
class AlignedBuffer {
public:
    explicit AlignedBuffer(size_t size, size_t alignment = 4096) : m_block(new uint8_t[size + alignment]) {
        uintptr_t at = reinterpret_cast<uintptr_t>(m_block.get());
        m_data = m_block.get() + (alignment - at % alignment) % alignment;
    }
    uint8_t* Data() { return m_data; }

private:
    std::unique_ptr<uint8_t[]> m_block;
    uint8_t* m_data;
};

// Writes `bytes` as a file in `dir` and opens it.
inline dshow::HResult OpenBytes(const TempDir& dir, const std::vector<uint8_t>& bytes, AVIReader& reader,
                                const char* name = "clip.avi") {
    std::string path = dir.File(name);
    if (!WriteBytes(path, bytes)) return dshow::kPointer;
    return reader.Open(path.c_str());
}

// Reads frame `frame` through the sample file with a sector-aligned read; false when any step fails.
inline bool ReadFrame(AVIReader& reader, uint32_t frame, std::vector<uint8_t>* out) {
    uint32_t size = 0, lead = 0, alignedSize = 0;
    uint64_t alignedOffset = 0;
    uint32_t sector = reader.SampleFile()->SectorSize();
    if (dshow::Failed(reader.Video().GetAlignedFrameLocation(frame, sector, &size, &lead, &alignedOffset,
                                                             &alignedSize))) {
        return false;
    }
    AlignedBuffer buffer(alignedSize, sector < 4096 ? 4096 : sector);
    uint64_t got = 0;
    if (dshow::Failed(
            AVIReader::ReadFileData(reader.SampleFile(), alignedOffset, alignedSize, buffer.Data(), &got))) {
        return false;
    }
    if (got < uint64_t(lead) + size) return false;
    out->assign(buffer.Data() + lead, buffer.Data() + lead + size);
    return true;
}

}  // namespace test
}  // namespace krvx
