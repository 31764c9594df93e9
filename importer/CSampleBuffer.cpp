#include "importer/CSampleBuffer.h"

#include <cinttypes>

#include "avi/AVIReader.h"
#include "host/HostResults.h"
#include "platform/debug.h"

namespace krvx {

bool CSampleBuffer::Alloc(uint32_t size) {
    if (!CGenericBuffer::Alloc(size, m_readAlignment)) return false;
    m_sampleSize = size;
    m_offset = 0;
    return true;
}

int32_t CSampleBuffer::ReadSample(AVIReader* reader, uint32_t frame, uint32_t sectorSize) {
    if (!reader) return kImOtherErr;
    uint32_t size = 0, lead = 0, readSize = 0;
    uint64_t position = 0;
    if (dshow::Failed(
            reader->Video().GetAlignedFrameLocation(frame, sectorSize, &size, &lead, &position, &readSize)))
        return kImBadFile;

    uint32_t allocation = readSize ? readSize : size;
    if (!CGenericBuffer::Alloc(allocation, m_readAlignment)) {
        platform::DebugPrintf("CSampleBuffer::Alloc failed size: %d\n", static_cast<int>(allocation));
        return kImMemErr;
    }
    m_sampleSize = size;
    if (!Data() || allocation > Capacity()) {
        platform::DebugPrintf("CSampleBuffer::Alloc internal error buffer: 0x%08" PRIXPTR ", size: %d, actual: %d\n",
                              reinterpret_cast<uintptr_t>(Data()), static_cast<int>(allocation),
                              static_cast<int>(Capacity()));
        return kImMemErr;
    }
    m_offset = lead;
    uint64_t bytesRead = 0;
    if (dshow::Failed(AVIReader::ReadFileData(reader->SampleFile(), position, readSize, Data(), &bytesRead)))
        return kImBadFile;
    // The last sector of a file may come back short; the sample itself must be whole.
    if (bytesRead < static_cast<uint64_t>(lead) + size) return kImBadFile;
    return kImNoErr;
}

void CSampleBuffer::Release() {
    Free();
    m_sampleSize = 0;
}

}  // namespace krvx
