// The allocator the frame paths hand to the scaler: it reads its importer's memory functions at every
// call and falls back to the C runtime heap when the importer has none.
#pragma once
#include "host/CMemAlloc.h"

namespace krvx {

class CAdobeFileImporter;

class CImporterAllocator : public CMemAlloc {
public:
    explicit CImporterAllocator(const CAdobeFileImporter* importer) : m_importer(importer) {}
    void* Alloc(uint32_t size) override;
    void* AllocClear(uint32_t size) override;
    int32_t Free(void* block) override;

private:
    const CAdobeFileImporter* m_importer;
};

}  // namespace krvx
